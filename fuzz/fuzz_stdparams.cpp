// The standard parameter lists (tzstdprm.lst, wtzstdprm.lst, rpstdprm.lst)
// through the parameter editor's Default button: the device dialog confirms
// the current device, the list fills the fields, and what passes the
// Write button's checks reaches the controller as the fields show it.

#include "fuzz_support.h"

#include "parameters/parameter_editor.h"
#include "parameters/std_params.h"

#include <QDialog>
#include <QFileInfo>
#include <QPushButton>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The first byte picks the list the bytes replace: 0 new TZ, 1 old TZ,
    // 2 RP (its value modulo 3, so a blank or a digit in front of the count
    // chooses); bit 4 shows the details.
    const uint8_t first = size > 0 ? data[0] : 0;
    const int pick = first % 3;
    const QString family = pick == 2 ? QStringLiteral("RP") : QStringLiteral("TZ");
    const QString name =
        QFileInfo(params::standardListPath(QString(), family, pick == 0)).fileName();
    const QString folder =
        fuzz::folderWithList(QStringLiteral("stdparams"), name,
                             QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    fuzz::Env env(fuzz::languageOf(data, size), folder);
    AppState &s = env.s;
    s.device.tz = pick != 2;
    s.device.newType = pick == 0;
    s.device.size = QStringLiteral(" 28");
    s.device.speed = QStringLiteral("L");
    s.device.stroke = 100;
    s.options.showParameterDetails = first & 4;

    ParameterEditor editor(s);
    editor.applyDetailsOption();
    env.prompter.dialogs.push_back([](QDialog &d) {
        d.findChild<QPushButton *>(QStringLiteral("okButton"))->click();
        return int(QDialog::Accepted);
    });
    editor.findChild<QPushButton *>(QStringLiteral("defaultButton"))->click();
    fuzz::checkWriteCarries(editor.fields());
    return 0;
}
