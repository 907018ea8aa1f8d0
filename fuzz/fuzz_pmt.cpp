// Opening a parameter file (.pmt) the way the editor's Read button does,
// then on through the editor's fields to the three blocks a write would
// send. Whatever passes the editor's checks reaches the controller as
// entered: the blocks decode to the values shown. A file saved from the set
// opens to the same set.

#include "fuzz_support.h"

#include "parameters/parameter_transfer.h"
#include "parameters/pmt_file.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::Env env(fuzz::languageOf(data, size));
    AppState &s = env.s;
    // The last byte says how the editor was left: details shown, the default
    // box, the family of the device.
    const uint8_t mode = size > 0 ? data[size - 1] : 0;
    s.device.tz = (mode & 4) == 0;
    ParameterFields fields;
    fields.details = mode & 1;
    fields.useDefault = (mode & 2) == 0;
    ParameterView v;
    v.fields = [&] { return fields; };
    v.showFields = [&](const ParameterFields &f) { fields = f; };
    v.setCaption = [](const QString &) {};

    const QString path =
        fuzz::writeScratchFile(QStringLiteral("open.pmt"),
                               QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    env.prompter.files.push_back(path);
    params::openParameterFileCommand(s, v);
    if (s.parameterSlots[0].toString() != QLatin1String("open.pmt")) return 0;

    // The set the file gave saves and opens again unchanged.
    const QString again = QDir(fuzz::scratchDir()).filePath(QStringLiteral("saved.pmt"));
    FUZZ_CHECK(params::writeParameterFile(s, again), QStringLiteral("save failed"));
    ParameterSlots reread;
    FUZZ_CHECK(params::readParameterFile(reread, again), QStringLiteral("saved file refused"));
    ParameterSet back;
    FUZZ_CHECK(takeParameterSlots(reread, back) && back == s.parameters,
               QStringLiteral("a saved set opens differently"));

    fuzz::checkWriteCarries(fields);
    return 0;
}
