// The communication log window, and what the windows say when the port
// cannot be opened.

#include "../link/link_rig.h"
#include "link/communication_log.h"
#include "operation/io_exchange.h"
#include "operation/io_monitor.h"
#include "test_registry.h"
#include "ui/communication_log_window.h"
#include "ui/main_window.h"
#include "ui/options_dialog.h"
#include "ui/status_panel.h"
#include "widgets/lamp.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSerialPort>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct LogRig : LinkRig {
    MainWindow w{s};
    explicit LogRig(int language = 2) : LinkRig(language) { w.show(); }
    CommunicationLogWindow *open() {
        w.findChild<QAction *>(u"communicationLogAction"_s)->trigger();
        auto *log = w.findChild<CommunicationLogWindow *>();
        if (log) log->catchUp();
        return log;
    }
};

// A column of the window's rows.
QStringList column(CommunicationLogWindow *log, int c) {
    QStringList out;
    const QAbstractItemModel *m = log->model();
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, c).data().toString();
    return out;
}

// A fixed moment, so saved files can be compared byte for byte.
LinkEvent at(int second, LinkEvent::Kind kind, const QByteArray &bytes, qint64 ms = -1,
             const QString &note = {}) {
    LinkEvent e;
    e.kind = kind;
    e.bytes = bytes;
    e.elapsedMs = ms;
    e.note = note;
    e.msecsSinceEpoch = QDateTime(QDate(2024, 5, 6), QTime(7, 8, second, 90)).toMSecsSinceEpoch();
    return e;
}

QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class CommunicationLogWindowTest : public QObject {
    Q_OBJECT
private slots:
    // What happened before the window was opened is there; what happens
    // while it is open arrives; the filter, search, pause and clear act on
    // the view only.
    void showsFilterPauseClear() {
        LogRig r;
        QVERIFY(io::pollSignals(r.s.link).ok);
        r.s.link.closePortUnlessKept();
        QVERIFY(r.s.link.transact(u"0RV"_s, QString(), 8));
        r.s.link.closePortUnlessKept();
        CommunicationLogWindow *log = r.open();
        QVERIFY(log && log->isVisible());
        QCOMPARE(log->windowTitle(), u"Communication Log"_s);
        QCOMPARE(column(log, 2).filter(u"<CR><LF>"_s).size(), 8); // 3 + 1 lines, each answered

        auto *hide = log->findChild<QCheckBox *>(u"hidePollingBox"_s);
        hide->setChecked(true);
        QCOMPARE(column(log, 2).filter(u"<CR><LF>"_s).size(), 2);
        QCOMPARE(column(log, 2).first(), QString()); // the port's opening stays
        hide->setChecked(false);

        log->findChild<QLineEdit *>(u"searchBox"_s)->setText(u"0rv"_s);
        QCOMPARE(column(log, 2).size(), 2);
        log->findChild<QLineEdit *>(u"searchBox"_s)->clear();

        auto *pause = log->findChild<QPushButton *>(u"pauseViewButton"_s);
        const int before = log->model()->rowCount();
        pause->click();
        QVERIFY(r.s.link.transact(u"0RV"_s, QString(), 8));
        QTest::qWait(250);
        QCOMPARE(log->model()->rowCount(), before);
        pause->click();
        QCOMPARE(log->model()->rowCount(), before + 3); // opened, sent, received
        // New entries arrive by themselves while the window is open.
        r.s.link.closePortUnlessKept();
        QTRY_COMPARE(log->model()->rowCount(), before + 4);

        log->findChild<QPushButton *>(u"clearLogButton"_s)->click();
        QCOMPARE(log->model()->rowCount(), 0);
        QCOMPARE(r.s.log.size(), 0);
        QCOMPARE(log->findChild<QLabel *>(u"logCountLabel"_s)->text(),
                 u"0 shown of 0 recorded; the newest 20000 are kept"_s);
        QVERIFY(r.prompter.log.isEmpty());
    }

    // Save writes the rows shown, as text or as CSV by the name's ending,
    // through the save dialog; Copy takes the selected rows.
    void saveAndCopy_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("text") << 2 << "log.txt"
                              << QByteArray("2024-05-06 07:08:01.090  PC -> C/T  0RD20<CR><LF>\r\n"
                                            "2024-05-06 07:08:02.090  C/T -> PC  0%%0E<CR><LF>     "
                                            "               31 ms  Error 0E: Emergency stop\r\n"
                                            "2024-05-06 07:08:03.090                               "
                                            "             5001 ms  time-out: no reply\r\n"
                                            "2024-05-06 07:08:04.090  C/T -> PC  0?V123<CR><LF>    "
                                            "                      garbled: wrong head\r\n");
        QTest::newRow("csv") << 2 << "log.csv"
                             << QByteArray("Time,Direction,Data,Reply (ms),Meaning\r\n"
                                           "2024-05-06 07:08:01.090,PC -> C/T,0RD20<CR><LF>,,\r\n"
                                           "2024-05-06 07:08:02.090,C/T -> PC,0%%0E<CR><LF>,31,"
                                           "Error 0E: Emergency stop\r\n"
                                           "2024-05-06 07:08:03.090,,,5001,time-out: no reply\r\n"
                                           "2024-05-06 07:08:04.090,C/T -> PC,0?V123<CR><LF>,,"
                                           "garbled: wrong head\r\n");
        // Japanese goes out in Shift_JIS, as the program's other files do.
        QTest::newRow("csv, Japanese")
            << 1 << "log.csv"
            << QByteArray(
                   "\x93\xfa\x8e\x9e,\x95\xfb\x8c\xfc,\x83"
                   "f\x81[\x83^,\x89\x9e\x93\x9a\x8e\x9e\x8a\xd4(ms),\x93\xe0\x97"
                   "e\r\n"
                   "2024-05-06 07:08:01.090,PC -> C/T,0RD20<CR><LF>,,\r\n"
                   "2024-05-06 07:08:02.090,C/T -> PC,0%%0E<CR><LF>,31,\x83G\x83\x89\x81[ 0E: "
                   "\x94\xf1\x8f\xed\x92\xe2\x8e~\r\n"
                   "2024-05-06 07:08:03.090,,,5001,\x83^\x83"
                   "C\x83\x80\x83"
                   "A\x83"
                   "E\x83g: \x89\x9e\x93\x9a\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1\r\n"
                   "2024-05-06 07:08:04.090,C/T -> "
                   "PC,0?V123<CR><LF>,,"
                   "\x89\x9e\x93\x9a\x82\xcc\x90\xe6\x93\xaa\x82\xaa\x88\xe1\x82\xa2\x82\xdc\x82"
                   "\xb7\x81i\x95\xb6\x8e\x9a\x89\xbb\x82\xaf\x81j\r\n");
    }
    void saveAndCopy() {
        QFETCH(int, language);
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        LogRig r(language);
        r.s.log.clearEntries();
        using K = LinkEvent::Kind;
        r.s.log.record(at(1, K::Sent, "0RD20\r\n"));
        r.s.log.record(at(2, K::Received, "0%%0E\r\n", 31));
        r.s.log.record(at(3, K::TimeOut, {}, 5001));
        r.s.log.record(at(4, K::WrongReply, "0?V123\r\n", -1, u"head"_s));
        CommunicationLogWindow *log = r.open();
        QCOMPARE(log->model()->rowCount(), 4);

        const QString path = r.dir.filePath(name);
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("earlier") == 7);
        old.close();
        r.prompter.files.push_back(path);
        log->findChild<QPushButton *>(u"saveLogButton"_s)->click();
        QCOMPARE(fileBytes(path), bytes);
        const PromptRecord &dialog = r.prompter.log.first();
        QVERIFY(dialog.kind == PromptRecord::SaveFile && dialog.file.overwritePrompt);
        QCOMPARE(dialog.file.title,
                 language == 1 ? u"通信ログを保存"_s : u"Save the communication log"_s);

        // The text of rows 2 and 3 only.
        log->view()->selectRow(1);
        log->view()->selectionModel()->select(
            log->model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        log->findChild<QPushButton *>(u"copyLogButton"_s)->click();
        const QStringList lines = QApplication::clipboard()->text().split(u"\r\n"_s);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].contains(u"0%%0E"_s) && lines[1].contains(u"5001 ms"_s) &&
                lines[2].isEmpty());
    }

    // A port that cannot be opened stops the operation without a message;
    // the status bar, the lamp's tip, the I/O monitor and the log say which
    // port and why until the port opens again.
    void portFailureIsShown_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("text"); // %1: the device
        for (int language : {2, 1}) {
            const bool ja = language == 1;
            const auto row = [&](const char *fault, const char *en, const char *jaText) {
                QTest::addRow("%s, %s", fault, ja ? "Japanese" : "English")
                    << language << QString::fromLatin1(fault)
                    << QString::fromUtf8(ja ? jaText : en);
            };
            row("missing", "COM1 (%1): the device is not there — is the adapter plugged in?",
                "COM1 (%1): デバイスが見つかりません — アダプタが接続されているか確認してください");
            row("in use", "COM1 (%1): in use by another program",
                "COM1 (%1): 他のプログラムが使用中です");
            row("no permission",
                "COM1 (%1): permission denied — your user needs to be in the group %2",
                "COM1 (%1): アクセスが拒否されました — ユーザーをグループ %2 に追加してください");
            row("not mapped", "COM%3: no serial device is mapped to this number",
                "COM%3: この番号に割り当てられたシリアルデバイスがありません");
        }
    }
    void portFailureIsShown() {
        QFETCH(int, language);
        QFETCH(QString, fault);
        QFETCH(QString, text);
        LogRig r(language);
        QString device = r.sim.devicePath();
        QSerialPort holder;
        int number = 1;
        QString group;
        if (fault == u"missing"_s) {
            device = r.dir.filePath(u"ttyUSB7"_s);
            qputenv("TZC3_COM1", QFile::encodeName(device));
        } else if (fault == u"in use"_s) {
            holder.setPortName(device);
            QVERIFY(holder.open(QIODevice::ReadWrite));
        } else if (fault == u"no permission"_s) {
            if (geteuid() == 0) QSKIP("running as root: file permissions do not refuse the open");
            QVERIFY(::chmod(QFile::encodeName(device).constData(), 0) == 0);
            group = QFileInfo(device).group();
        } else {
            number = 0;
            for (int n = 9; n >= 2 && !number; --n)
                if (portmap::portDeviceFor(n).isEmpty()) number = n;
            if (!number) QSKIP("every port number maps to a device on this machine");
            r.s.link.portNumber = qint16(number);
        }
        text.replace(u"%1"_s, device)
            .replace(u"%2"_s, group)
            .replace(u"%3"_s, QString::number(number));

        r.w.findChild<QAction *>(u"versionAction"_s)->trigger(); // fails to open
        QVERIFY(!r.s.link.isPortOpen() && r.sim.log().isEmpty());
        QCOMPARE(r.prompter.texts(), QStringList());
        auto *panel = r.w.portFailurePanel();
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->text(), text);
        // A long reason never holds the window wide: a narrow one shows its start.
        QVERIFY(panel->minimumSizeHint().width() < panel->fontMetrics().horizontalAdvance(text));
        QVERIFY(r.w.portLamp()->toolTip().endsWith(u'\n' + text));
        const LogEntry &last = r.s.log.at(r.s.log.end() - 1);
        QCOMPARE(last.kind, LogEntry::Kind::PortOpenFailed);
        QCOMPARE(commlog::describe(last, r.s.lang, r.s.link.errorList), text);

        // The I/O monitor stops by itself and says why.
        {
            IoMonitor m(r.s, &r.w);
            m.show();
            QVERIFY(m.portStatusLabel()->isVisible());
            QCOMPARE(m.portStatusLabel()->text(), text);
            m.startStopButton()->click();
            QTRY_VERIFY(!m.isMonitoring());
            QCOMPARE(m.portStatusLabel()->text(), text);
        }

        // Until the port opens again.
        holder.close();
        if (fault == u"no permission"_s) ::chmod(QFile::encodeName(device).constData(), 0600);
        qputenv("TZC3_COM1", r.sim.devicePath().toLocal8Bit());
        r.s.link.portNumber = 1;
        QVERIFY(r.s.link.openPort());
        QVERIFY(!panel->isVisible() && !r.s.link.lastOpenFailure());
        QVERIFY(!r.w.portLamp()->toolTip().contains(u'\n'));
        QCOMPARE(r.prompter.texts(), QStringList());
    }

    // The options page lists the machine's serial devices with their numbers
    // and marks the one chosen; a number that reaches nothing says so.
    void optionsListThePorts() {
        LinkRig r;
        r.s.link.portNumber = 1;
        QStringList firstRow, unmapped;
        bool firstMarked = false;
        r.prompter.dialogs.push_back([&](QDialog &d) {
            auto *list = d.findChild<QTreeWidget *>(u"portList"_s);
            QTreeWidgetItem *first = list->topLevelItem(0);
            firstRow = QStringList{first->text(0), first->text(1)};
            firstMarked = first->isSelected() && first->font(0).bold();
            auto *box = d.findChild<QLineEdit *>(u"portBox"_s);
            for (int n = 9; n >= 2 && unmapped.isEmpty(); --n)
                if (portmap::portDeviceFor(n).isEmpty()) {
                    box->setText(QString::number(n));
                    unmapped << d.findChild<QLabel *>(u"portDeviceLabel"_s)->text()
                             << QString::number(list->selectedItems().size());
                }
            return int(QDialog::Rejected);
        });
        showOptions(r.s, nullptr);
        QCOMPARE(firstRow, (QStringList{"COM1", r.sim.devicePath() + u" (TZC3_COM1)"_s}));
        QVERIFY(firstMarked);
        if (unmapped.isEmpty()) QSKIP("every port number maps to a device on this machine");
        QCOMPARE(unmapped, (QStringList{"no serial device is mapped to this number", "0"}));
    }
};
TZC3_TEST(CommunicationLogWindowTest)

#include "test_communication_log_window.moc"
