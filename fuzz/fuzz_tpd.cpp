// Opening a position file (.tpd) the way File > Open does: the file's model
// name picks the device from its catalogue, the rows fill the table, the
// program fills the program grid. A file that opens and passes the table's
// checks saves, and the saved file opens to the same positions.

#include "fuzz_support.h"

#include "positions/table_model.h"
#include "positions/tpd_file.h"

#include <QDir>
#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Env env(fuzz::languageOf(data, size));
    AppState &s = env.s;
    const QString path =
        fuzz::writeScratchFile(QStringLiteral("open.tpd"),
                               QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    PositionView view;
    env.prompter.files.push_back(path);
    positions::openPositionFile(s, view);
    if (s.positions.filePath != path) return 0;

    // Save As through the table's checks; a refused table is no fault.
    const QString again = QDir(fuzz::scratchDir()).filePath(QStringLiteral("saved.tpd"));
    QFile::remove(again);
    env.prompter.files.push_back(again);
    if (positions::savePositionFileAs(s, view) != positions::SaveResult::Saved) return 0;
    const auto image = positions::readTpdFile(s, again, false);
    FUZZ_CHECK(image, QStringLiteral("a saved file does not open"));
    const PositionTable &t = s.positions;
    for (int row = 1; row < PositionTable::Rows; ++row) {
        const PositionRecord &saved = image->rows[row];
        const PositionRecord &shown = t.working[row];
        FUZZ_CHECK(saved.vel == shown.vel && saved.acc == shown.acc && saved.out == shown.out &&
                       saved.pulses == shown.pulses,
                   QStringLiteral("row %1 changed by a save").arg(row));
        FUZZ_CHECK(saved.comment == t.text(row, PositionTable::ColComment).trimmed(),
                   t.text(row, PositionTable::ColComment) + QStringLiteral(" saved as ") +
                       saved.comment);
    }
    for (int step = 1; step <= ProgramSequence::Steps; ++step)
        FUZZ_CHECK(image->program[step] == s.program.steps[step],
                   s.program.steps[step] + QStringLiteral(" saved as ") + image->program[step]);
    FUZZ_CHECK(image->modelName == s.device.modelName, image->modelName);
    return 0;
}
