#include "positions/position_transfer.h"

#include "common/numtext.h"
#include "controller/controller_mode.h"
#include "controller/status.h"
#include "positions/table_model.h"
#include "positions/tpd_file.h"
#include "state/app_state.h"

#include <QFileInfo>
#include <QScopeGuard>

namespace positions {

namespace {

const QString kBreak = QStringLiteral("\r\n\r\n");

// Opens the progress window for the life of an exchange; whatever way the
// operation ends, the window goes with it.
class ProgressScope {
public:
    ProgressScope(ProgressDisplay *p, int maximum, const QString &label) : p_(p) {
        if (!p_) return;
        p_->setMaximum(maximum);
        p_->setValue(0);
        p_->setLabel(label);
        p_->openWindow();
    }
    ~ProgressScope() { close(); }
    ProgressScope(const ProgressScope &) = delete;
    ProgressScope &operator=(const ProgressScope &) = delete;

    void setValue(int v) {
        if (p_) p_->setValue(v);
    }
    void restart(int maximum, const QString &label) {
        if (!p_) return;
        p_->setMaximum(maximum);
        p_->setValue(0);
        p_->setLabel(label);
    }
    void close() {
        if (p_) p_->closeWindow();
        p_ = nullptr;
    }

private:
    ProgressDisplay *p_;
};

qint64 hexOf(const QString &text) {
    return num::hexVal(text);
}

QString positionNoPrefix(const AppState &s) {
    return u'<' + s.tx(" 位置No.", " Position No.");
}

QString verificationResult(const AppState &s, const Comparison &c) {
    if (c.equal) return s.tx("照合結果：ＯＫ", "Result of Verification : OK");
    return s.tx("照合結果：ＮＧ", "Result of Verification : NG.") + kBreak +
           s.tx("一致しなかった位置No.", "Unmatched Position No.") + kBreak + c.unmatched;
}

bool collectForVerify(AppState &s) {
    if (collectTableValues(s)) return true;
    s.prompter.message(valueErrorText(s) + kBreak +
                       s.tx("照合を中止します。", "Verify is canceled."));
    return false;
}

void verifyAgainstFile(AppState &s, const PositionView &v) {
    if (!collectForVerify(s)) return;
    FileDialogSpec fd;
    fd.title = s.tx("照合する位置データファイルを開く", "Open file to Verify");
    fd.filter = tpdOpenFilter(s);
    fd.defaultExt = QStringLiteral("tpd");
    fd.mustExist = true;
    const auto path = s.prompter.openFile(fd);
    if (!path || path->isEmpty()) return;
    const auto image = readTpdFile(s, *path, true);
    if (!image) return;
    s.positions.loaded = *image;
    const Comparison c = compareBuffers(s);
    s.prompter.message(
        s.tx("照合データ：画面のデータとファイル", "Data : indicated and saved into the file") +
        u'(' + QFileInfo(*path).fileName() + u')' + kBreak + verificationResult(s, c));
    v.redrawTable();
}

Verification verifyAgainstController(AppState &s, const PositionView &v) {
    if (!collectForVerify(s)) return Verification::NotDone;
    BusyScope busy(s.link);
    const auto closing = qScopeGuard([&] { s.link.closePortUnlessKept(); });
    if (!readControllerTable(s, v)) return Verification::NotDone;
    const Comparison c = compareBuffers(s);
    s.link.closePortUnlessKept();
    s.prompter.message(s.tx("照合データ：画面のデータとコントローラ内のデータ",
                            "Data : indicated and inside of controller") +
                       kBreak + verificationResult(s, c));
    return c.equal ? Verification::Matched : Verification::Differed;
}

} // namespace

int brakeCurrentDownDigit(const AppState &s) {
    return s.options.overrideBrakeDigit ? s.options.brakeDigit : 2;
}

QString positionEntry(int row, const PositionRecord &r, int brakeDigit) {
    return num::hexField(row, 1) + num::hexField(r.vel, 1) + num::hexField(r.acc, 1) +
           num::hexField(r.out, 1) + num::decField(brakeDigit, 1) + num::hexField(r.pulses, 6);
}

bool readControllerTable(AppState &s, const PositionView &v) {
    if (!s.link.openPort()) return false;
    // A controller left in external start mode (the recovery probe puts it
    // there) may refuse position commands.
    if (!setCommunicationMode(s.link)) {
        s.link.closePortUnlessKept();
        return false;
    }
    ProgressScope progress(
        v.progress, 16,
        s.tx("コントローラからデータを読み込んでいます。", "Reading data from controller..."));
    QString replies[PositionTable::Rows];
    for (int row = 1; row < PositionTable::Rows; ++row) {
        s.link.replyTimeoutMs = 5000;
        if (!s.link.transact(QStringLiteral("0RP"), positionDigit(row), 16)) {
            s.link.closePortUnlessKept();
            return false;
        }
        replies[row] = s.link.lastReply;
        progress.setValue(row);
    }
    // Refreshes the version in the status bar; the table is read either way.
    readControllerVersion(s.link);
    progress.close();

    for (int row = 1; row < PositionTable::Rows; ++row) {
        const QString &reply = replies[row];
        PositionRecord &r = s.positions.loaded.rows[row];
        r.vel = qint16(hexOf(reply.mid(4, 1)));
        r.acc = qint16(hexOf(reply.mid(5, 1)));
        r.out = qint16(hexOf(reply.mid(6, 1)));
        r.pulses = qint32(hexOf(reply.mid(8, 6)));
    }
    return true;
}

bool readFromController(AppState &s, const PositionView &v) {
    BracketScope commands(v.bracket);
    PositionTable &t = s.positions;
    bool hasData = false;
    for (int row = 1; row < PositionTable::Rows; ++row)
        for (int col = PositionTable::ColVel; col <= PositionTable::ColPulse; ++col)
            hasData = hasData || !t.text(row, col).trimmed().isEmpty();

    if (hasData) {
        switch (s.prompter.ask(s.tx("データを読み込む前に、現在編集中のデータを保存しますか？",
                                    "Save editing data before reading the data?"),
                               PromptButtons::YesNoCancel, PromptIcon::Question)) {
        case PromptAnswer::Yes:
            // The read would overwrite what the user meant to keep.
            if (savePositionFileAs(s, v, false) != SaveResult::Saved) return false;
            break;
        case PromptAnswer::No:
            break;
        default:
            return false;
        }
    } else if (s.prompter.ask(s.tx("コントローラからデータを読み込みますか？",
                                   "Read the data from controller?"),
                              PromptButtons::YesNo, PromptIcon::Question) != PromptAnswer::Yes) {
        return false;
    }

    BusyScope busy(s.link);
    if (!readControllerTable(s, v)) return false;
    for (int row = 1; row < PositionTable::Rows; ++row)
        t.working[row] = t.loaded.rows[row];
    fillTableControllerForm(s);
    s.fileLabel = controllerFileLabel(s);
    t.filePath.clear();
    v.showFileLabel();
    v.redrawTable();
    s.link.closePortUnlessKept();
    return true;
}

bool writeToController(AppState &s, const PositionView &v) {
    BracketScope commands(v.bracket);
    PositionTable &t = s.positions;

    const RowCheck incomplete = findIncompleteRows(s);
    if (incomplete.count > 0) {
        showIncompleteRows(s, incomplete);
        return false;
    }
    const RowCheck skipped = findOutOfRangeRows(s, false);
    if (skipped.count == PositionTable::Rows - 1) {
        s.prompter.message(
            s.tx("データが正しくない箇所があります。以下の位置Noの値を確認して下さい。",
                 "Wrong data in some Positions! Confirm the position data "
                 "indicated below once again.") +
            kBreak + skipped.list);
        return false;
    }
    if (!collectTableValues(s)) {
        s.prompter.message(valueErrorText(s) + kBreak +
                           s.tx("書き込みを中止します。", "Writing data is canceled."));
        return false;
    }

    QString question;
    if (skipped.count == 0) {
        question = s.tx("データをコントローラに転送します。よろしいですか？",
                        "Data is transmitted to controller,Yes?");
    } else {
        QString numbers;
        for (int row = 1; row < PositionTable::Rows; ++row)
            if (t.outOfRange[row]) numbers += positionDigit(row) + u',';
        question =
            s.tx("データをコントローラに転送します。", "Data is transmitted to controller.") +
            kBreak +
            s.tx("以下の位置データは転送されません。",
                 "The following Position data is not transmitted.") +
            kBreak + positionNoPrefix(s) + numbers + QStringLiteral(" >") + kBreak +
            s.tx("データを転送しますか？", "Sending data?");
    }
    if (s.prompter.ask(question, PromptButtons::OkCancel, PromptIcon::Question) != PromptAnswer::Ok)
        return false;

    BusyScope busy(s.link);
    const auto closing = qScopeGuard([&] { s.link.closePortUnlessKept(); });
    ProgressScope progress(v.progress, 3, s.tx("通信チェック実行中", "Communication checking"));
    if (!s.link.openPort()) return false;
    if (!setCommunicationMode(s.link)) return false;
    s.link.replyTimeoutMs = 5000;
    if (!s.link.transact(QStringLiteral("0RD"), QStringLiteral("10"), 23)) return false;

    const qint64 strokeLimit = hexOf(s.link.lastReply.mid(5, 6));
    QString beyond;
    for (int row = 1; row < PositionTable::Rows; ++row)
        if (!t.outOfRange[row] && t.working[row].pulses > strokeLimit)
            beyond += positionDigit(row) + u',';
    if (!beyond.isEmpty()) {
        s.prompter.message(
            s.tx("以下に示す位置データの値が、パラメータ（ストローク長）を超えています。",
                 "Some position data exceed the soft limit in the Parameter(Stroke)") +
            kBreak +
            s.tx("値を確認し､再度実行してください｡",
                 "Confirm the position data indicated bellow, and try it again.") +
            kBreak + positionNoPrefix(s) + beyond + u'>');
        progress.close();
        s.link.closePortUnlessKept();
        v.redrawTable();
        v.redrawProgram();
        return false;
    }

    const int brakeDigit = brakeCurrentDownDigit(s);
    if (brakeDigit < 0 || brakeDigit > 3) return false;
    progress.restart(
        15, s.tx("データをコントローラへ転送しています", "Sending Data to the controller..."));
    // From the first row sent the controller's table is no longer the one
    // the motion operations cached, however the rest of the write goes.
    s.motionDataStale = true;
    s.presentPositionStale = true;
    for (int row = 1; row < PositionTable::Rows; ++row) {
        if (t.outOfRange[row]) continue;
        s.link.replyTimeoutMs = 5000;
        if (!s.link.transact(QStringLiteral("0WP"), positionEntry(row, t.working[row], brakeDigit),
                             16))
            return false;
        if (s.link.lastReply.left(4) != QStringLiteral("0WP") + positionDigit(row)) {
            s.link.closePortUnlessKept();
            s.prompter.message(s.tx("通信データエラー！", "Communication error occurs!") + kBreak +
                               s.tx("通信データのデータに異常が検出されました。",
                                    "transmit data length is wrong"));
            return false;
        }
        progress.setValue(row);
    }
    progress.close();
    s.prompter.message(s.tx("データの転送が終了しました", "Completed data transmit."));
    return true;
}

void verifyPositions(AppState &s, const PositionView &v) {
    BracketScope commands(v.bracket);
    if (!validateTableForUse(s)) return;
    const int choice = s.prompter.choose(
        s.tx("データ照合の選択", "Select TZ data to reference"),
        s.tx("表の位置データとの照合を行います。どちらと照合するか選択して下さい。",
             "Please select TZ data to reference."),
        {s.tx("ファイルと照合", "TZ data file"), s.tx("コントローラと照合", "Inside of C/T"),
         s.tx("キャンセル", "Cancel")});
    if (choice == 0)
        verifyAgainstFile(s, v);
    else if (choice == 1)
        verifyAgainstController(s, v);
}

void verifyAgainstFileCommand(AppState &s, const PositionView &v) {
    BracketScope commands(v.bracket);
    if (validateTableForUse(s)) verifyAgainstFile(s, v);
}

Verification verifyAgainstControllerCommand(AppState &s, const PositionView &v) {
    BracketScope commands(v.bracket);
    if (!validateTableForUse(s)) return Verification::NotDone;
    return verifyAgainstController(s, v);
}

} // namespace positions
