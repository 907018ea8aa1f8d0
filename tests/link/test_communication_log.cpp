// The communication log as the link fills it, and why a port would not open.

#include "link/communication_log.h"
#include "link/port_failure.h"
#include "link_rig.h"
#include "operation/io_exchange.h"
#include "test_registry.h"

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(QSerialPort::SerialPortError)
Q_DECLARE_METATYPE(PortFailure::Reason)

namespace {

// What the log window shows of each entry recorded since `from`, one
// "direction|data|reply time given|meaning" line per entry.
QStringList shown(const AppState &s, quint64 from) {
    QStringList out;
    for (quint64 n = qMax(from, s.log.first()); n < s.log.end(); ++n) {
        const LogEntry &e = s.log.at(n);
        out << QStringList{commlog::direction(e), commlog::visibleText(e.bytes),
                           e.elapsedMs >= 0 ? u"timed"_s : QString(),
                           commlog::describe(e, s.lang, s.link.errorList)}
                   .join(u'|');
    }
    return out;
}

LinkEvent sent(const QByteArray &line) {
    LinkEvent e;
    e.bytes = line;
    return e;
}

} // namespace

class CommunicationLogTest : public QObject {
    Q_OBJECT
private slots:
    // A normal exchange, an error reply, a time-out and a garbled reply as
    // the user reads them, with the port's own entries between.
    void entriesOfTheExchanges_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("English") << 2
                                 << QStringList{
                                        // normal
                                        "|||COM1 (%1) opened",
                                        "PC -> C/T|0RV<CR><LF>||",
                                        "C/T -> PC|%2<CR><LF>|timed|",
                                        "|||COM1 (%1) closed",
                                        // error reply
                                        "|||COM1 (%1) opened",
                                        "PC -> C/T|0RV<CR><LF>||",
                                        "C/T -> PC|0%%0E<CR><LF>|timed|Error 0E: Emergency stop",
                                        // time-out
                                        "PC -> C/T|0RV<CR><LF>||",
                                        "||timed|time-out: no reply",
                                        "|||COM1 (%1) closed",
                                        // garbled
                                        "|||COM1 (%1) opened",
                                        "PC -> C/T|0RV<CR><LF>||",
                                        "C/T -> PC|%3<CR><LF>|timed|",
                                        "C/T -> PC|%3<CR><LF>||garbled: wrong head",
                                        "PC -> C/T|0CM0<CR><LF>||recovery probe (to external "
                                        "start mode)",
                                        "C/T -> PC|0CM0<CR><LF>|timed|",
                                        "|||COM1 (%1) closed",
                                    };
        QTest::newRow("Japanese") << 1
                                  << QStringList{
                                         "|||COM1 (%1) をオープンしました",
                                         "PC -> C/T|0RV<CR><LF>||",
                                         "C/T -> PC|%2<CR><LF>|timed|",
                                         "|||COM1 (%1) をクローズしました",
                                         "|||COM1 (%1) をオープンしました",
                                         "PC -> C/T|0RV<CR><LF>||",
                                         "C/T -> PC|0%%0E<CR><LF>|timed|エラー 0E: 非常停止",
                                         "PC -> C/T|0RV<CR><LF>||",
                                         "||timed|タイムアウト: 応答がありません",
                                         "|||COM1 (%1) をクローズしました",
                                         "|||COM1 (%1) をオープンしました",
                                         "PC -> C/T|0RV<CR><LF>||",
                                         "C/T -> PC|%3<CR><LF>|timed|",
                                         "C/T -> PC|%3<CR><LF>||応答の先頭が違います（文字化け）",
                                         "PC -> C/T|0CM0<CR><LF>||回復確認（外部起動モードへ）",
                                         "C/T -> PC|0CM0<CR><LF>|timed|",
                                         "|||COM1 (%1) をクローズしました",
                                     };
    }
    void entriesOfTheExchanges() {
        QFETCH(int, language);
        QFETCH(QStringList, expected);
        LinkRig r(language);
        const quint64 start = r.s.log.end();
        Link &link = r.s.link;
        const auto rv = [&] { return link.transact(u"0RV"_s, QString(), 8); };

        QVERIFY(rv());
        const QString version = link.lastReply.trimmed();
        link.closePort();
        r.sim.raiseAlarm(u"0E"_s);
        QVERIFY(!rv());
        r.sim.model().clearAlarm();
        link.replyTimeoutMs = 100;
        r.sim.silentNext();
        QVERIFY(!rv());
        link.replyTimeoutMs = 5000;
        r.sim.garbleNext();
        QVERIFY(!rv());
        const QString garbled = commlog::visibleText(r.s.log.at(r.s.log.end() - 4).bytes);

        for (QString &line : expected)
            line.replace(u"%1"_s, r.sim.devicePath())
                .replace(u"%2"_s, version)
                .replace(u"%3"_s, garbled.chopped(8));
        QCOMPARE(shown(r.s, start), expected);
    }

    // A reply short by one, another position's answer, input nobody asked
    // for, and an error code the list does not know.
    void otherFaultsAreNamed() {
        LinkRig r;
        Link &link = r.s.link;
        link.portOccupy = true;
        QVERIFY(link.transact(u"0RV"_s, QString(), 8));
        const QString version = link.lastReply.left(5); // one short of "0RV" + three
        const quint64 start = r.s.log.end();
        r.sim.shortenNext();
        QVERIFY(!link.transact(u"0RV"_s, QString(), 8));
        r.sim.model().setPosition(5, {1, 1, 0, 2, 0x555});
        r.sim.setReplyFilter([](const QByteArray &, const QByteArray &reply) {
            return reply.startsWith("0RP1") ? QByteArray("0RP51102000555\r\n") : reply;
        });
        QVERIFY(!link.transact(u"0RP"_s, u"1"_s, 16));
        r.sim.setReplyFilter({});
        r.sim.noise("\x7f~");
        QTest::qWait(50);
        r.sim.raiseAlarm(u"3F"_s);
        QVERIFY(!link.transact(u"0RV"_s, QString(), 8));
        const QStringList all = shown(r.s, start);
        QCOMPARE(all.filter(u"wrong length"_s),
                 QStringList{"C/T -> PC|" + version + "<CR><LF>||wrong length: 7 characters"});
        QCOMPARE(
            all.filter(u"another"_s),
            QStringList{"C/T -> PC|0RP51102000555<CR><LF>||answers another position or block"});
        QCOMPARE(all.filter(u"discarded"_s),
                 QStringList{"C/T -> PC|<7F>~||discarded: answers no command"});
        QCOMPARE(all.last(),
                 "C/T -> PC|0%%3F<CR><LF>|timed|Error 3F: No contents for this Error No.");
    }

    // The ring keeps the newest entries; memory does not grow with the run.
    void ringKeepsTheNewest() {
        LinkRig r;
        CommunicationLog log(5);
        for (int i = 0; i < 12; ++i)
            log.record(sent(QByteArray::number(i)));
        QCOMPARE(log.size(), 5);
        QVERIFY(log.first() == 7 && log.end() == 12);
        QCOMPARE(log.at(7).bytes, "7");
        QCOMPARE(log.at(11).bytes, "11");
        log.clearEntries();
        QCOMPARE(log.size(), 0);
        log.record(sent("next"));
        QVERIFY(log.first() == 12 && log.at(12).bytes == "next");
        QCOMPARE(r.s.log.capacity(), 20000);
    }

    // The I/O monitor's poll is marked, so the window can hide it; other
    // exchanges are not.
    void pollingIsMarked() {
        LinkRig r;
        const quint64 start = r.s.log.end();
        QVERIFY(io::pollSignals(r.s.link).ok);
        const quint64 afterPoll = r.s.log.end();
        QVERIFY(r.s.link.transact(u"0RV"_s, QString(), 8));
        QStringList marked;
        for (quint64 n = start; n < r.s.log.end(); ++n)
            if (r.s.log.at(n).kind == LogEntry::Kind::Sent)
                marked << QString::fromLatin1(r.s.log.at(n).bytes.trimmed()) +
                              (r.s.log.at(n).polling ? u"*"_s : QString());
        QCOMPARE(marked, (QStringList{"0CM1*", "0RD20*", "0RD2F*", "0RV"}));
        QVERIFY(r.s.log.at(start).polling && !r.s.log.at(afterPoll).polling);
    }

    // The driver says "permission" for a refused file, a busy device and a
    // lock another program holds; the file's rights tell them apart.
    void classifier_data() {
        QTest::addColumn<QSerialPort::SerialPortError>("error");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("accessible");
        QTest::addColumn<PortFailure::Reason>("reason");
        using R = PortFailure::Reason;
        QTest::newRow("not found")
            << QSerialPort::DeviceNotFoundError << false << false << R::DeviceMissing;
        QTest::newRow("vanished") << QSerialPort::PermissionError << false << false
                                  << R::DeviceMissing;
        QTest::newRow("no rights")
            << QSerialPort::PermissionError << true << false << R::PermissionDenied;
        QTest::newRow("locked or busy") << QSerialPort::PermissionError << true << true << R::InUse;
        QTest::newRow("other") << QSerialPort::ResourceError << true << true << R::Other;
    }
    void classifier() {
        QFETCH(QSerialPort::SerialPortError, error);
        QFETCH(bool, exists);
        QFETCH(bool, accessible);
        QTEST(classifyOpenFailure(error, exists, accessible), "reason");
    }

    // The windows' test words every reason through the real port in both
    // languages; these are the cases a pty cannot produce.
    void failureWording_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<PortFailure::Reason>("reason");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("text");
        using R = PortFailure::Reason;
        const auto row = [](const char *name, int language, R reason, const char *device,
                            const char *group, const char *text) {
            QTest::newRow(name) << language << reason << QString::fromUtf8(device)
                                << QString::fromUtf8(group) << QString::fromUtf8(text);
        };
        row("no device", 2, R::NoDevice, "", "", "COM3: no serial device is mapped to this number");
        row("permission", 2, R::PermissionDenied, "/dev/ttyUSB2", "dialout",
            "COM3 (/dev/ttyUSB2): permission denied — your user needs to be in the group dialout");
        row("permission, root's file", 2, R::PermissionDenied, "/dev/ttyS1", "root",
            "COM3 (/dev/ttyS1): permission denied");
        row("Windows port in use", 2, R::InUse, "COM3", "", "COM3: in use by another program");
        row("other", 2, R::Other, "/dev/x", "", "COM3 (/dev/x): cannot be opened (driver said)");
    }
    void failureWording() {
        QFETCH(int, language);
        QFETCH(PortFailure::Reason, reason);
        QFETCH(QString, device);
        QFETCH(QString, group);
        Language lang;
        lang.set(language);
        PortFailure f;
        f.reason = reason;
        f.portNumber = 3;
        f.device = device;
        f.group = group;
        f.errorText = u"driver said"_s;
        QTEST(describePortFailure(f, lang), "text");
    }
};
TZC3_TEST(CommunicationLogTest)

#include "test_communication_log.moc"
