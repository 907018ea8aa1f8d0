// Opening a parameter file (.pmt) the way the editor's Read button does,
// then on through the editor's fields to the three blocks a write would
// send. Whatever passes the editor's checks reaches the controller as
// entered: the blocks decode to the values shown. A file saved from the set
// opens to the same set.

#include "fuzz_support.h"

#include "parameters/parameter_codec.h"
#include "parameters/parameter_transfer.h"
#include "parameters/pmt_file.h"

#include <QDir>

namespace {

// The editor's values as the blocks carry them back.
void checkBlocksCarry(const ParameterSet &p, bool useDefault) {
    const auto blocks = params::SetParaData2LngData(p, useDefault);
    FUZZ_CHECK(blocks, QStringLiteral("checked values overflow the blocks"));
    ParaDA da;
    for (const QString &block : *blocks) {
        FUZZ_CHECK(block.size() == 18, block);
        params::decodeParaBlock(block.left(2), block.mid(2), da, !useDefault);
    }
    ParameterSet sent;
    FUZZ_CHECK(ParaDA2Hensu(da, sent), QStringLiteral("blocks do not decode"));
    const qint32 shown[] = {p.strokeLength, p.homeOffset,     p.homePushing,    p.homeOutPort,
                            p.homeOutBk,    p.homingVelocity, p.offsetVelocity, p.vel1,
                            p.vel2,         p.vel3,           p.homingMethod};
    const qint32 carried[] = {sent.strokeLength,   sent.homeOffset,  sent.homePushing,
                              sent.homeOutPort,    sent.homeOutBk,   sent.homingVelocity,
                              sent.offsetVelocity, sent.vel1,        sent.vel2,
                              sent.vel3,           sent.homingMethod};
    for (size_t i = 0; i < std::size(shown); ++i)
        FUZZ_CHECK(shown[i] == carried[i],
                   blocks->join(u' ') + QStringLiteral(" carry item %1 as %2, not %3")
                                            .arg(i)
                                            .arg(carried[i])
                                            .arg(shown[i]));
    if (!useDefault)
        FUZZ_CHECK(sent.currentReleaseTime == p.currentReleaseTime &&
                       sent.brakeReleaseTime == p.brakeReleaseTime &&
                       sent.brakeExecTime == p.brakeExecTime,
                   blocks->join(u' '));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Env env(fuzz::languageOf(data, size));
    AppState &s = env.s;
    // The last byte says how the editor was left: details shown, the default
    // box, the family of the device.
    const uint8_t mode = size > 0 ? data[size - 1] : 0;
    s.device.tz = (mode & 4) == 0;
    ParaFields fields;
    fields.details = mode & 1;
    fields.useDefault = (mode & 2) == 0;
    ParameterView v;
    v.fields = [&] { return fields; };
    v.showFields = [&](const ParaFields &f) { fields = f; };
    v.setCaption = [](const QString &) {};

    const QString path =
        fuzz::writeScratchFile(QStringLiteral("open.pmt"),
                               QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    env.prompter.files.push_back(path);
    params::ReadParaFileProc(s, v);
    if (s.paraDA[0].toString() != QLatin1String("open.pmt")) return 0;

    // The set the file gave saves and opens again unchanged.
    const QString again = QDir(fuzz::scratchDir()).filePath(QStringLiteral("saved.pmt"));
    FUZZ_CHECK(params::SaveParaFileAs(s, again) == 0, QStringLiteral("save failed"));
    ParaDA reread;
    FUZZ_CHECK(params::OpenParaFile(reread, again) == 0, QStringLiteral("saved file refused"));
    ParameterSet back;
    FUZZ_CHECK(ParaDA2Hensu(reread, back) && back == s.parameters,
               QStringLiteral("a saved set opens differently"));

    // The write's checks, in the order the Write button runs them.
    QString errList;
    if (Check_ParaDataUmu(fields) || CheckParaDataValue(fields, errList)) return 0;
    ParameterSet p;
    if (TorikomiParaData(fields, p) != 0) return 0;
    if (!params::itemsBlocksCannotCarry(p, fields.useDefault).isEmpty()) return 0;
    checkBlocksCarry(p, fields.useDefault);
    return 0;
}
