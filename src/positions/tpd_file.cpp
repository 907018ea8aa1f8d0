#include "positions/tpd_file.h"

#include "common/fieldfile.h"
#include "common/file_save.h"
#include "device/catalogue.h"
#include "device/units.h"
#include "positions/table_model.h"
#include "state/app_state.h"

#include <QFileInfo>

namespace positions {

namespace {

const QString kBreak = QStringLiteral("\r\n\r\n");
const QString kTpd = QStringLiteral("tpd");

QString tpdFilter(const AppState &s, const char *allFiles) {
    return s.japanese()
               ? QStringLiteral("位置データファイル(*.tpd)|*.tpd|すべてのファイル(*.*)|*.*")
               : QStringLiteral("TZ Data file(*.tpd)|*.tpd|") + QLatin1String(allFiles) +
                     QStringLiteral("(*.*)|*.*");
}

// The name shown for a file: without its folder and its ".tpd".
QString labelFor(const QString &path) {
    const QString name = QFileInfo(path).fileName();
    return name.left(qMax<qsizetype>(0, name.size() - 4));
}

// An unquoted field of a hand-made file may hold a double quote, which the
// quoted field of a save cannot: it would cut the text there. It becomes the
// apostrophe that typing one gives, so what the table shows is what a save
// keeps.
QString savable(const QString &field) {
    return QString(field).replace(u'"', u'\'');
}

// parseModelName refuses a name whose suffix is longer than three characters
// without a message, and the opening is abandoned then; every other refusal
// has told the user and the positions still load.
bool suffixAbandonsOpening(const QString &name) {
    if (name.left(3) != QLatin1String("TZ-") && name.left(3) != QLatin1String("RP-")) return false;
    const bool twoDigitSize = name.mid(6, 1) == QLatin1String("-");
    const QString speed = name.mid(twoDigitSize ? 5 : 6, 1);
    if (speed.isEmpty() || speed[0] < u'A' || speed[0] > u'Z') return false;
    return name.size() - (twoDigitSize ? 10 : 11) > 3;
}

// A save dialog with overwrite prompt, then Write file with the chosen name.
SaveResult saveWithDialog(AppState &s, const PositionView &v, const QString &title,
                          const char *allFiles, const char *initialName) {
    FileDialogSpec fd;
    fd.title = title;
    fd.filter = tpdFilter(s, allFiles);
    fd.defaultExt = kTpd;
    fd.initialName = QLatin1String(initialName);
    fd.overwritePrompt = true;
    const auto path = s.prompter.saveFile(fd);
    if (!path || path->isEmpty()) return SaveResult::Cancelled;
    return writeTpdFile(s, v, *path) ? SaveResult::Saved : SaveResult::Refused;
}

// What Open does once the file is chosen.
bool openChosenFile(AppState &s, const PositionView &v, const QString &path) {
    const auto image = readTpdFile(s, path, true);
    if (!image) return false;

    bool found = false;
    const bool parsed = device::parseModelName(
        s, image->modelName, image->newType ? QStringLiteral("NEW") : QStringLiteral("OLD"));
    if (parsed)
        found = device::adoptCandidate(s);
    else if (suffixAbandonsOpening(image->modelName))
        return false;
    s.device.typeText = image->newType ? QString() : s.tx("(旧型)", "(Old)");

    PositionTable &t = s.positions;
    t.loaded = *image;
    for (int row = 1; row < PositionTable::Rows; ++row)
        t.working[row] = image->rows[row];
    fillTableFileForm(s);
    for (int step = 1; step <= ProgramSequence::Steps; ++step)
        s.program.steps[step] = image->program[step];

    t.filePath = path;
    s.fileLabel = labelFor(path);
    t.tag.clear();

    device::buildModelName(s);
    // An adopted device has just been looked up in its catalogue; looking it
    // up again would only repeat a not-found message.
    if (!parsed) {
        found = device::loadCatalogue(s, false) && device::findDeviceInCatalogue(s, false);
        if (found) units::computeLimits(s);
    }
    if (found) units::recomputeMmColumn(s, t);

    v.showFileLabel();
    v.showDevice();
    v.redrawTable();
    v.redrawProgram();
    return true;
}

SaveResult saveAs(AppState &s, const PositionView &v) {
    if (!validateTableForUse(s)) return SaveResult::Refused;
    return saveWithDialog(s, v, s.tx("名前を付けて保存する", "Save TZ data as ..."), "All files",
                          "tzdata.tpd");
}

} // namespace

QString startupFileLabel(const AppState &s) {
    return s.tx("新規作成", "New Data");
}

QString newFileLabel(const AppState &s) {
    return s.tx("新規作成", "New ");
}

QString controllerFileLabel(const AppState &s) {
    return s.tx("ｺﾝﾄﾛｰﾗ内ﾃﾞｰﾀ", "Inside of C/T");
}

QString tpdOpenFilter(const AppState &s) {
    return tpdFilter(s, "All Files");
}

std::optional<PositionImage> readTpdFile(AppState &s, const QString &path, bool showMessage) {
    auto failed = [&]() -> std::optional<PositionImage> {
        if (showMessage)
            s.prompter.message(
                valueErrorText(s) + kBreak +
                    s.tx("データファイルの読み込みを中止します。", "Opening file is canceled."),
                PromptIcon::Exclamation);
        return std::nullopt;
    };

    auto reader = FieldReader::fromFile(path);
    if (!reader) return failed();
    PositionImage image;
    const auto name = reader->next();
    if (!name) return failed();
    image.modelName = *name;
    // Files from before the type field go straight on with the first VEL.
    const FieldReader afterName = *reader;
    const auto type = reader->next();
    if (!type) return failed();
    if (*type == QLatin1String("NEW") || *type == QLatin1String("OLD")) {
        image.newType = *type == QLatin1String("NEW");
    } else {
        image.newType = false;
        *reader = afterName;
    }

    for (int row = 1; row < PositionTable::Rows; ++row) {
        const auto vel = reader->nextInt16();
        const auto acc = reader->nextInt16();
        const auto out = reader->nextInt16();
        const auto pulses = reader->nextInt32();
        const auto comment = reader->next();
        if (!vel || !acc || !out || !pulses || !comment) return failed();
        PositionRecord &r = image.rows[row];
        r.vel = *vel;
        r.acc = *acc;
        r.out = *out;
        r.pulses = *pulses;
        r.comment = savable(*comment);
    }
    for (int step = 1; step <= ProgramSequence::Steps; ++step) {
        const auto text = reader->next();
        if (!text) return failed();
        image.program[step] = savable(*text);
    }
    return image;
}

bool writeTpdFile(AppState &s, const PositionView &v, const QString &path) {
    const PositionTable &t = s.positions;
    FieldWriter w;
    w.text(s.device.modelName)
        .text(s.device.newType ? QStringLiteral("NEW") : QStringLiteral("OLD"));
    w.endLine();
    for (int row = 1; row < PositionTable::Rows; ++row) {
        for (int col : {PositionTable::ColVel, PositionTable::ColAcc, PositionTable::ColOut,
                        PositionTable::ColPulse, PositionTable::ColComment})
            w.text(t.text(row, col).trimmed());
        w.endLine();
    }
    for (int step = 1; step <= ProgramSequence::Steps; ++step)
        w.text(s.program.steps[step]);
    w.endLine();

    if (!saveFieldFile(s.prompter, s.lang, path, w, "位置データファイルを保存できませんでした。",
                       "The position data file could not be saved."))
        return false;
    s.positions.filePath = path;
    s.fileLabel = labelFor(path);
    s.positions.tag.clear();
    v.showFileLabel();
    return true;
}

bool openPositionFile(AppState &s, const PositionView &v) {
    BracketScope commands(v.bracket);
    FileDialogSpec fd;
    fd.title = s.tx("位置データファイルを開く", "Open TZ data file");
    fd.filter = tpdOpenFilter(s);
    fd.defaultExt = kTpd;
    fd.mustExist = true;
    const auto path = s.prompter.openFile(fd);
    if (!path || path->isEmpty()) return false;
    return openChosenFile(s, v, *path);
}

bool openPositionFile(AppState &s, const PositionView &v, const QString &path) {
    BracketScope commands(v.bracket);
    return openChosenFile(s, v, path);
}

SaveResult savePositionFile(AppState &s, const PositionView &v) {
    BracketScope commands(v.bracket);
    if (!validateTableForUse(s)) return SaveResult::Refused;
    if (!s.positions.filePath.isEmpty())
        return writeTpdFile(s, v, s.positions.filePath) ? SaveResult::Saved : SaveResult::Refused;
    return saveWithDialog(s, v, s.tx("位置データを保存する", "Save TZ Data to file"), "All file",
                          "tzdata1.tpd");
}

SaveResult savePositionFileAs(AppState &s, const PositionView &v, bool bracketed) {
    if (!bracketed) return saveAs(s, v);
    BracketScope commands(v.bracket);
    return saveAs(s, v);
}

bool saveBeforePrompt(AppState &s, const PositionView &v) {
    if (!s.positions.changed()) return true;
    switch (s.prompter.ask(s.tx("データが変更されています。ファイルに保存しますか？",
                                "Data have been changed. Save in file?"),
                           PromptButtons::YesNoCancel, PromptIcon::Question)) {
    case PromptAnswer::No:
        return true;
    case PromptAnswer::Yes:
        // Going on after a save that did not happen would lose the edits.
        return savePositionFileAs(s, v) == SaveResult::Saved;
    default:
        return false;
    }
}

void newPositionData(AppState &s, const PositionView &v) {
    if (!saveBeforePrompt(s, v)) return;
    clearTable(s.positions);
    s.program.clear();
    s.positions.tag.clear();
    s.positions.filePath.clear();
    s.fileLabel = newFileLabel(s);
    v.redrawTable();
    v.redrawProgram();
    v.showFileLabel();
}

} // namespace positions
