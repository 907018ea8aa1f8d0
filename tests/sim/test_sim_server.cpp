#include "sim_server.h"
#include "test_registry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QSignalSpy>
#include <QtTest>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The far end of the pty as a plain file descriptor. Waiting keeps the event
// loop turning, because the server lives on the same thread.
class PtyClient {
public:
    explicit PtyClient(const QString &path) {
        fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios t{};
        if (fd_ >= 0 && tcgetattr(fd_, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(fd_, TCSANOW, &t);
        }
    }
    ~PtyClient() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    bool hungUp() const { return hungUp_; }
    int reads() const { return reads_; }

    void send(const QByteArray &bytes) {
        QCOMPARE(::write(fd_, bytes.constData(), bytes.size()), bytes.size());
    }

    // The next line up to its CR LF, or what came before the time ran out.
    QByteArray line(int timeoutMs) {
        reads_ = 0;
        QElapsedTimer t;
        t.start();
        while (!buf_.contains("\r\n") && !hungUp_ && t.elapsed() < timeoutMs) {
            QCoreApplication::processEvents();
            pollfd p{fd_, POLLIN, 0};
            ::poll(&p, 1, 1);
            if (p.revents & POLLIN) {
                char b[256];
                const ssize_t n = ::read(fd_, b, sizeof b);
                if (n > 0) {
                    buf_.append(b, n);
                    ++reads_;
                }
            }
            if (p.revents & (POLLHUP | POLLERR)) hungUp_ = true;
        }
        const qsizetype end = buf_.indexOf("\r\n");
        const QByteArray out = end < 0 ? buf_ : buf_.left(end + 2);
        buf_.remove(0, out.size());
        return out;
    }

private:
    int fd_ = -1;
    QByteArray buf_;
    bool hungUp_ = false;
    int reads_ = 0;
};

} // namespace

class SimServerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<SimServer> server;
    std::unique_ptr<PtyClient> client;

    QByteArray ask(const QByteArray &line, int timeoutMs = 1000) {
        client->send(line + "\r\n");
        return client->line(timeoutMs);
    }

    static int timed(const std::function<void()> &f) {
        QElapsedTimer t;
        t.start();
        f();
        return int(t.elapsed());
    }

private slots:
    void init() {
        server = std::make_unique<SimServer>();
        QVERIFY(server->start());
        QVERIFY(server->devicePath().startsWith("/dev/"));
        client = std::make_unique<PtyClient>(server->devicePath());
        QVERIFY(client->ok());
    }
    void cleanup() {
        client.reset();
        server.reset();
    }

    void linesInAndRepliesOut() {
        QSignalSpy received(server.get(), &SimServer::lineReceived);
        QCOMPARE(ask("0RV"), QByteArray("0RV1.2\r\n"));
        client->send("0CM1\r"); // typed in a terminal
        QCOMPARE(client->line(1000), QByteArray("0CM1\r\n"));
        client->send("0RS\n");
        QCOMPARE(client->line(1000), QByteArray("0RS00\r\n"));
        client->send("0RV\r\n0R");
        QCOMPARE(client->line(1000), QByteArray("0RV1.2\r\n"));
        client->send("S\r\n"); // a line in two writes
        QCOMPARE(client->line(1000), QByteArray("0RS00\r\n"));
        const QStringList expected{"0RV", "0CM1", "0RS", "0RV", "0RS"};
        QCOMPARE(server->log(), expected);
        QCOMPARE(received.count(), 5);

        // Closing and reopening the port must not break the server's side.
        client = std::make_unique<PtyClient>(server->devicePath());
        QCOMPARE(ask("0RV"), QByteArray("0RV1.2\r\n"));
        server->clearLog();
        QVERIFY(server->log().isEmpty());
    }

    void oneShotHooksTouchOneReply_data() {
        QTest::addColumn<QString>("hook");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<int>("minReads");
        QTest::newRow("garble") << "garble" << QByteArray("0?V1.2\r\n") << 1;
        QTest::newRow("short") << "short" << QByteArray("0RV1.\r\n") << 1;
        QTest::newRow("long") << "long" << QByteArray("0RV1.20\r\n") << 1;
        QTest::newRow("split") << "split 3" << QByteArray("0RV1.2\r\n") << 3;
        QTest::newRow("silent") << "silent" << QByteArray() << 0;
    }
    void oneShotHooksTouchOneReply() {
        QFETCH(QString, hook);
        QFETCH(QByteArray, first);
        QFETCH(int, minReads);
        QVERIFY(!server->command(hook).startsWith("usage"));
        QCOMPARE(ask("0RV", first.isEmpty() ? 300 : 1000), first);
        QVERIFY(client->reads() >= minReads);
        QCOMPARE(ask("0RV"), QByteArray("0RV1.2\r\n"));
        QCOMPARE(client->reads(), 1);
        QCOMPARE(server->log().size(), 2);
    }

    void silenceAndPacing() {
        server->setSilent(true);
        QCOMPARE(ask("0RV", 200), QByteArray());
        server->setSilent(false);
        QCOMPARE(ask("0RV"), QByteArray("0RV1.2\r\n"));

        server->setPaced(true); // 23 characters at 9600 baud take 24 ms
        QVERIFY(timed([&] { QCOMPARE(ask("0RD00").size(), 23); }) >= 22);
        server->setPaced(false);
        server->setReplyDelay(80);
        QVERIFY(timed([&] { QCOMPARE(ask("0RV"), QByteArray("0RV1.2\r\n")); }) >= 80);
    }

    void movesTakeTimeInProportion() {
        server->setMoveTimeScale(0.1);
        server->model().setPosition(1, {1, 1, 1, 2, 4000});
        server->model().setPosition(2, {1, 1, 2, 0, 12000});
        QCOMPARE(ask("0MP0", 2000), QByteArray("0MP00000000000\r\n"));
        QByteArray reply;
        const int t1 = timed([&] { reply = ask("0MP1", 3000); });
        QCOMPARE(reply, QByteArray("0MP11112000FA0\r\n"));
        const int t2 = timed([&] { reply = ask("0MP2", 3000); });
        QCOMPARE(reply, QByteArray("0MP21120002EE0\r\n"));
        QVERIFY2(t2 > 1.6 * t1 && t2 < 2.5 * t1, qPrintable(QString("%1 / %2 ms").arg(t2).arg(t1)));
        QCOMPARE(ask("0RC"), QByteArray("0RC00000002EE0\r\n"));
        QCOMPARE(ask("0RS"), QByteArray("0RS20\r\n"));
    }

    void motionFaults() {
        SimModel &m = server->model();
        m.setPosition(1, {3, 1, 0, 2, 4000});
        m.setPosition(2, {1, 1, 0, 2, 12000});
        server->setMoveTimeScale(0.01);

        server->command("fail-homing");
        QCOMPARE(ask("0MP0"), QByteArray("0%%0B\r\n"));
        QCOMPARE(ask("0RV"), QByteArray("0%%0B\r\n"));
        QCOMPARE(ask("0%C"), QByteArray("0%C00\r\n"));
        QCOMPARE(ask("0MP0"), QByteArray("0MP00000000000\r\n"));

        server->command("move-alarm 9");
        QCOMPARE(ask("0MP1"), QByteArray("0%%09\r\n"));
        QCOMPARE(m.presentPulses(), 2000); // stopped half way
        QCOMPARE(ask("0%C"), QByteArray("0%C00\r\n"));

        server->command("hang-move");
        QCOMPARE(ask("0MP1", 300), QByteArray());
        QCOMPARE(ask("0MP1"), QByteArray("0MP13102000FA0\r\n")); // the next one is served

        // An alarm during a move answers the move at once.
        server->setMoveTimeScale(1);
        client->send("0MP2\r\n");
        QCOMPARE(client->line(100), QByteArray());
        server->raiseAlarm("0E");
        QCOMPARE(client->line(500), QByteArray("0%%0E\r\n"));
        QVERIFY(m.presentPulses() > 4000 && m.presentPulses() < 12000);

        // A reset drops the move that is under way; it never answers.
        server->setMoveTimeScale(0.01);
        QCOMPARE(ask("0CM3", 100), QByteArray());
        QCOMPARE(ask("0MP0"), QByteArray("0MP00000000000\r\n"));
        client->send("0MP2\r\n0CM3\r\n");
        QCOMPARE(client->line(300), QByteArray());
        QCOMPARE(ask("0RB138"), QByteArray("0RB13801\r\n"));
    }

    void strobeStartsAMoveInExternalMode() {
        server->setMoveTimeScale(0.01);
        server->model().setPosition(3, {3, 1, 2, 2, 3000});
        QCOMPARE(ask("0MP0"), QByteArray("0MP00000000000\r\n"));
        QCOMPARE(ask("0CM0"), QByteArray("0CM0\r\n"));
        server->command("input pos1 on");
        server->command("input pos2 on");
        server->command("input strobe on");
        QCOMPARE(client->line(200), QByteArray()); // nothing goes on the wire
        QCOMPARE(server->model().presentPulses(), 3000);
        QCOMPARE(ask("0RS"), QByteArray("0RS22\r\n"));
    }

    void dropPortHangsUpTheClient() {
        QCOMPARE(ask("0RV"), QByteArray("0RV1.2\r\n"));
        server->dropPort();
        QCOMPARE(client->line(500), QByteArray());
        QVERIFY(client->hungUp());

        // The program's own port class sees it too.
        QVERIFY(server->start());
        QSerialPort port(server->devicePath());
        QVERIFY(port.open(QIODevice::ReadWrite));
        QSignalSpy errors(&port, &QSerialPort::errorOccurred);
        port.write("0RV\r\n");
        QTRY_VERIFY(port.bytesAvailable() == 8);
        server->dropPort();
        QTRY_VERIFY(errors.count() > 0);
        QCOMPARE(errors.last().at(0).value<QSerialPort::SerialPortError>(),
                 QSerialPort::ResourceError);
    }

    void scriptingAndLink() {
        QVERIFY(server->command("split 1").startsWith("usage"));
        QVERIFY(server->command("input knee on").startsWith("usage"));
        QCOMPARE(server->command("alarm 0e"), QString("alarm 0E raised"));
        QCOMPARE(ask("0RV"), QByteArray("0%%0E\r\n"));

        const QString link = QDir::temp().filePath("tzsim-test-link");
        QVERIFY(server->createLink(link));
        QCOMPARE(QFileInfo(link).symLinkTarget(), server->devicePath());
        server.reset(); // the link goes with the server
        QVERIFY(!QFileInfo(link).isSymLink());
    }
};

TZC3_TEST(SimServerTest)
#include "test_sim_server.moc"
