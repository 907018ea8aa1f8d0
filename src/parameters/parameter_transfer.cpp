#include "parameters/parameter_transfer.h"

#include "common/numtext.h"
#include "controller/controller_mode.h"
#include "parameters/parameter_codec.h"
#include "parameters/pmt_file.h"
#include "state/app_state.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <optional>

namespace params {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kBreak = QStringLiteral("\r\n\r\n");

void showProgress(ProgressDisplay *p, int maximum, const QString &label) {
    if (!p) return;
    p->setMaximum(maximum);
    p->setValue(0);
    p->setLabel(label);
    p->openWindow();
}

void setProgress(ProgressDisplay *p, int value) {
    if (p) p->setValue(value);
}

void closeProgress(ProgressDisplay *p) {
    if (p) p->closeWindow();
}

void setCaption(const ParameterView &v, const QString &caption) {
    if (v.setCaption) v.setCaption(caption);
}

// The name the editor shows for a file: its name without the extension.
QString captionOf(const QString &path) {
    const QString name = QFileInfo(path).fileName();
    return name.size() >= 4 ? name.chopped(4) : QString();
}

// Puts what ParameterSlots delivered into the set and the editor.
void showParameterSlots(AppState &s, const ParameterView &v, ParameterFields &f) {
    takeParameterSlots(s.parameterSlots, s.parameters);
    showParameters(s.parameters, f);
    v.showFields(f);
}

QString pmtFilter(const AppState &s) {
    return s.tx("TZパラメータファイル(*.pmt)|*.pmt|すべてのファイル(*.*)|*.*",
                "TZ Parameter file(*.pmt)|*.pmt|All files(*.*)|*.*");
}

void showRangeMessage(AppState &s, const QString &errList) {
    s.prompter.message(s.japanese() ? QStringLiteral("パラメータの") + errList +
                                          QStringLiteral("の数値が正しくありません。") + kBreak +
                                          QStringLiteral("値を確認後もう一度行って下さい。")
                                    : QStringLiteral("Invalid volue for parameter No.") + errList +
                                          QStringLiteral(".") + kBreak +
                                          QStringLiteral("Comfirm data value and try it again."));
}

// Checks the editor's fields and takes them into the set. False (after a
// message) when the set cannot be taken from them.
bool commonPreChecks(AppState &s, const ParameterFields &f) {
    if (anyRequiredFieldEmpty(f)) {
        s.prompter.message(
            s.tx("パラメータの数値が入力されていないところがあります。",
                 "No data in some of parameters.") +
            kBreak +
            s.tx("すべて入力した後に再度行って下さい。", "Fill the data in and try it again."));
        return false;
    }
    QString errList;
    if (fieldsOutOfRange(f, errList)) {
        showRangeMessage(s, errList);
        return false;
    }
    if (!takeFields(f, s.parameters)) {
        s.prompter.message(s.tx("ﾊﾟﾗﾒｰﾀの読み込みでｴﾗｰが発生しました。",
                                "An error occured while getting Value of Parameter Data."));
        return false;
    }
    return true;
}

void showOpenError(AppState &s) {
    s.prompter.message(s.tx("ﾊﾟﾗﾒｰﾀﾌｧｲﾙの読み込みでｴﾗｰが発生しました。",
                            "An error occured while opening Parameter file."));
}

QString verificationResult(const AppState &s, const QString &title, const QString &source,
                           const QString &diffList) {
    if (diffList.isEmpty())
        return title + source + kBreak + s.tx("照合結果：ＯＫ", "Result of Verification : OK");
    return title + kBreak + s.tx("照合結果：ＮＧ", "Result of Verification : NG.") + kBreak +
           s.tx("<一致しなかったﾊﾟﾗﾒｰﾀNo.>", "<Unmatched Parameter No.>") + kCrLf + diffList;
}

bool takesDetails(const ParameterFields &f) {
    return f.details && !f.useDefault;
}

} // namespace

bool saveParameters(AppState &s, const ParameterView &v) {
    if (!commonPreChecks(s, v.fields())) return false;
    FileDialogSpec fd;
    fd.title = s.tx("ＴＺパラメータを保存する", "Save TZ parameters to the file");
    fd.filter = pmtFilter(s);
    fd.defaultExt = QStringLiteral("pmt");
    fd.initialName = QStringLiteral("Parameta.pmt");
    fd.overwritePrompt = true;
    const auto path = s.prompter.saveFile(fd);
    if (!path || path->isEmpty()) return false;
    if (!writeParameterFile(s, *path)) return false;
    setCaption(v, captionOf(*path));
    return true;
}

// The open dialog of a parameter file, then the file into ParameterSlots. The chosen
// path, or nullopt when the dialog was cancelled or the file could not be
// read (the user has been told).
static std::optional<QString> openParameterFile(AppState &s, const QString &title) {
    FileDialogSpec fd;
    fd.title = title;
    fd.filter = pmtFilter(s);
    fd.defaultExt = QStringLiteral("pmt");
    fd.mustExist = true;
    const auto path = s.prompter.openFile(fd);
    if (!path || path->isEmpty()) return std::nullopt;
    if (!readParameterFile(s.parameterSlots, *path)) {
        showOpenError(s);
        return std::nullopt;
    }
    return path;
}

// Before the editor's values are replaced: whether to save them first. False
// when the user cancelled.
static bool saveBeforeOpening(AppState &s, const ParameterView &v) {
    if (!fieldsHoldData(v.fields())) return true;
    switch (s.prompter.ask(
        s.tx("パラメータをファイルに保存しますか？", "Save the parameter into the file?"),
        PromptButtons::YesNoCancel, PromptIcon::Question)) {
    case PromptAnswer::Yes:
        saveParameters(s, v);
        return true;
    case PromptAnswer::No:
        return true;
    default:
        return false;
    }
}

// The file just read into ParameterSlots, into the editor.
static void showOpenedFile(AppState &s, const ParameterView &v, const QString &path) {
    setCaption(v, captionOf(path));
    ParameterFields f = v.fields();
    showParameterSlots(s, v, f);
    if (!s.device.tz) return;
    if (s.parameterSlots.valueCount != 15) {
        f.homing = s.parameterSlots.number(16) == 1 ? 1 : 0;
    } else {
        s.prompter.message(
            s.tx("読み込んだﾊﾟﾗﾒｰﾀは、RP用のﾊﾟﾗﾒｰﾀです。", "The data is RP parameter.") + kCrLf +
            s.tx("TZで使用するには、10.垂直仕様の値を設定してから、再度保存してください。",
                 "To use the data for TZ,fill the Vertical setting and save as TZ parameter."));
        f.homing = 0;
    }
    v.showFields(f);
}

bool openParameters(AppState &s, const ParameterView &v) {
    if (!saveBeforeOpening(s, v)) return false;
    const auto path =
        openParameterFile(s, s.tx("ＴＺパラメータファイルを開く", "Open TZ parameter file"));
    if (!path) return false;
    showOpenedFile(s, v, *path);
    return true;
}

void openParameterFileCommand(AppState &s, const ParameterView &v, const QString &path) {
    if (!saveBeforeOpening(s, v)) return;
    if (!readParameterFile(s.parameterSlots, path)) {
        showOpenError(s);
        return;
    }
    showOpenedFile(s, v, path);
}

void verifyParametersAgainstFile(AppState &s, const ParameterView &v) {
    const ParameterFields f = v.fields();
    if (!commonPreChecks(s, f)) return;
    const auto path = openParameterFile(
        s, s.tx("照合するＴＺパラメータファイルを開く", "Open TZ parameter file for reference"));
    if (!path) return;
    // A file of the RP family holds no homing method, whatever the device:
    // whatever slot 16 still holds came from somewhere else.
    const bool rpFile = s.parameterSlots.valueCount == 15;
    if (rpFile && s.device.tz &&
        s.prompter.ask(s.tx("読み込んだﾊﾟﾗﾒｰﾀﾌｧｲﾙはRP用です。", "The data is RP parameter.") +
                           kBreak +
                           s.tx("10.垂直仕様の値がないため、この項目の照合は行われません。",
                                "There is not value in setting of <10.Vertical>.Verify of Vertical "
                                "setting will skip.") +
                           kBreak + s.tx("照合を行いますか？", "Are you continue? "),
                       PromptButtons::OkCancel, PromptIcon::Question) != PromptAnswer::Ok)
        return;
    QString diffList;
    parametersDiffer(s.parameterSlots, s.parameters, f.details, rpFile, diffList);
    s.prompter.message(verificationResult(s,
                                          s.tx("照合データ：画面のデータとファイル",
                                               "Parameters : indicated and saved into the file"),
                                          u'(' + QFileInfo(*path).fileName() + u')', diffList));
}

bool readParametersFromController(AppState &s, ProgressDisplay *progress, bool takeDetails) {
    if (!s.link.openPort()) return false;
    if (!setCommunicationMode(s.link)) {
        s.link.closePortUnlessKept();
        return false;
    }
    showProgress(progress, 3,
                 s.tx("コントローラからパラメータを読み込んでいます。",
                      "Reading parameters from the controller."));
    const auto done = qScopeGuard([&] {
        closeProgress(progress);
        s.link.closePortUnlessKept();
    });
    for (int i = 0; i < kBlocks.size(); ++i) {
        s.parameterSlots[0] = QVariant();
        s.link.replyTimeoutMs = 5000;
        if (!s.link.transact(QStringLiteral("0RD"), kBlocks[i], 23)) return false;
        decodeParameterBlock(kBlocks[i], s.link.lastReply.mid(5, 16), s.parameterSlots,
                             takeDetails);
        setProgress(progress, i + 1);
    }
    return true;
}

bool readParameters(AppState &s, const ParameterView &v) {
    ParameterFields f = v.fields();
    if (!readParametersFromController(s, v.progress, takesDetails(f))) return false;
    setCaption(v, s.tx("ｺﾝﾄﾛｰﾗ内ﾃﾞｰﾀ", "Inside of C/T"));
    showParameterSlots(s, v, f);
    return true;
}

Verification verifyParametersWithController(AppState &s, const ParameterView &v) {
    const ParameterFields f = v.fields();
    if (!commonPreChecks(s, f)) return Verification::NotDone;
    if (!readParametersFromController(s, v.progress, takesDetails(f))) {
        s.prompter.message(s.tx("ﾊﾟﾗﾒｰﾀのｺﾝﾄﾛｰﾗからの読み込みでｴﾗｰが発生しました。",
                                "An error occured while reading Parameter from Controller."));
        return Verification::NotDone;
    }
    QString diffList;
    const bool differ =
        parametersDiffer(s.parameterSlots, s.parameters, f.details, false, diffList);
    s.prompter.message(verificationResult(s,
                                          s.tx("照合データ：画面のデータとコントローラ内のデータ",
                                               "Parameters : indicated and inside of controller"),
                                          QString(), diffList));
    return differ ? Verification::Differed : Verification::Matched;
}

bool parametersDiffer(const ParameterSlots &da, const ParameterSet &p, bool details,
                      bool skipHoming, QString &diffList) {
    struct Item {
        int slot;
        double value;
        const char *label;
        bool compared;
    };
    const Item items[] = {{1, double(p.strokeLength), "1,", true},
                          {2, double(p.homeOffset), "2,", true},
                          {3, double(p.homePushing), "3,", true},
                          {4, double(p.homeOutPort), "4-OUT,", true},
                          {5, double(p.homeOutBk), "4-BK,", true},
                          {6, double(p.homingVelocity), "5,", true},
                          {7, double(p.offsetVelocity), "6,", true},
                          {8, double(p.vel1), "7,", true},
                          {9, double(p.vel2), "8,", true},
                          {10, double(p.vel3), "9,", true},
                          {16, double(p.homingMethod), "10,", !skipHoming},
                          {13, double(p.currentReleaseTime), "11,", details},
                          {14, double(p.brakeReleaseTime), "12,", details},
                          {15, double(p.brakeExecTime), "13,", details}};
    diffList.clear();
    for (const Item &it : items)
        if (it.compared && da.number(it.slot) != it.value) diffList += QLatin1String(it.label);
    return !diffList.isEmpty();
}

StrokeCheck checkPositionsFitStroke(AppState &s, ProgressDisplay *progress, QString &list) {
    showProgress(progress, 16, s.tx("データをチェックしています。", "Checking data,now..."));
    list.clear();
    auto failed = [&] {
        s.link.closePortUnlessKept();
        closeProgress(progress);
        return StrokeCheck::Failed;
    };
    if (!s.link.openPort() || !setCommunicationMode(s.link)) return failed();
    for (int n = 1; n <= 15; ++n) {
        s.link.replyTimeoutMs = 5000;
        const QString digit = num::hexField(n, 1);
        if (!s.link.transact(QStringLiteral("0RP"), digit, 16)) return failed();
        const qint64 stored = num::hexVal(s.link.lastReply.mid(8, 6));
        if (stored > s.parameters.strokeLength) list += digit + u',';
        setProgress(progress, n);
    }
    const StrokeCheck result = list.isEmpty() ? StrokeCheck::Fits : StrokeCheck::Exceeds;
    if (result == StrokeCheck::Fits) s.link.pause(500);
    s.link.closePortUnlessKept();
    return result;
}

bool writeParameterBlocks(AppState &s, ProgressDisplay *progress, const QStringList &blocks) {
    showProgress(progress, 3,
                 s.tx("データをコントローラへ転送しています", "Sending Data to the controller..."));
    s.link.replyTimeoutMs = 5000;
    for (int i = 0; i < blocks.size(); ++i) {
        if (!s.link.transact(QStringLiteral("0WD"), blocks[i], 23)) {
            closeProgress(progress);
            s.link.closePortUnlessKept();
            return false;
        }
        setProgress(progress, i + 1);
    }
    s.link.pause(500);
    closeProgress(progress);
    return true;
}

bool writeParameters(AppState &s, const ParameterView &v) {
    if (s.prompter.ask(
            s.tx("パラメータをコントローラに転送しますか？", "Send parameters to controller?"),
            PromptButtons::YesNo, PromptIcon::Question) != PromptAnswer::Yes) {
        s.link.closePortUnlessKept();
        return false;
    }
    const ParameterFields f = v.fields();
    if (!commonPreChecks(s, f)) return false;
    // The range check lets OUT and BK up to 255 through, but the controller's
    // block holds one decimal digit for each: such a value must never reach
    // it as something else.
    if (const QString cannot = itemsBlocksCannotCarry(s.parameters, f.useDefault);
        !cannot.isEmpty()) {
        showRangeMessage(s, cannot);
        return false;
    }
    const auto blocks = encodeParameterBlocks(s.parameters, f.useDefault);
    if (!blocks) {
        s.prompter.message(s.tx("ﾊﾟﾗﾒｰﾀの書き込みでｴﾗｰが発生しました。",
                                "An error occured while writing Parameter."));
        return false;
    }
    // The check's progress window stays up into the write; whatever way this
    // ends, it goes.
    const auto closing = qScopeGuard([&] { closeProgress(v.progress); });
    QString list;
    const StrokeCheck fit = checkPositionsFitStroke(s, v.progress, list);
    if (fit == StrokeCheck::Failed) return false;
    if (fit == StrokeCheck::Exceeds) {
        const QString question =
            s.japanese()
                ? QStringLiteral(
                      "書き込もうとしているストローク長より、位置データの値が大きくなって"
                      "いる箇所があります。") +
                      kBreak + QStringLiteral("< 位置No.") + list + u'>' + kBreak +
                      QStringLiteral("位置データを修正せずに動かすとエラーが出ますので、位置データ"
                                     "を修正してください。") +
                      kBreak + QStringLiteral("パラメータの書き込みを続けますか？")
                : QStringLiteral("Value of the position data exceeds the stroke.") + kBreak +
                      QStringLiteral("< Position No.") + list + u'>' + kBreak +
                      QStringLiteral("It becomes an error unless the data is changed. Correct "
                                     "data.") +
                      kBreak + QStringLiteral("Continue writing parameters?");
        if (s.prompter.ask(question, PromptButtons::YesNo, PromptIcon::Question) !=
            PromptAnswer::Yes)
            return false;
    }
    // What the motion operations cached from the controller is stale from
    // the first block sent, whether or not the others follow.
    s.motionDataStale = true;
    if (!writeParameterBlocks(s, v.progress, *blocks)) return false;
    resetController(s.link);
    s.link.pause(3000);
    s.link.closePortUnlessKept();
    return true;
}

void openParameterFileCommand(AppState &s, const ParameterView &v) {
    openParameters(s, v);
}

void saveParameterFileCommand(AppState &s, const ParameterView &v) {
    saveParameters(s, v);
}

void readParametersCommand(AppState &s, const ParameterView &v) {
    readParameters(s, v);
}

void writeParametersCommand(AppState &s, const ParameterView &v) {
    writeParameters(s, v);
}

void verifyParametersAgainstController(AppState &s, const ParameterView &v) {
    verifyParametersWithController(s, v);
}

} // namespace params
