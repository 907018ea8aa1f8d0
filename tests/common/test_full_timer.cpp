// A dwell, a reply time-out or the splash that ends early is a wrong result.

#include "common/full_timer.h"
#include "test_registry.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QtTest>

class FullTimerTest : public QObject {
    Q_OBJECT
private slots:
    // Qt's default timers may fire up to 5 % early and precise ones round to
    // whole milliseconds; several odd intervals give both a chance to show.
    void neverFiresBeforeItsTime() {
        for (int ms : {37, 101, 203, 299, 407, 503}) {
            QEventLoop loop;
            FullTimer t;
            QObject::connect(&t, &FullTimer::timeout, &loop, &QEventLoop::quit);
            QElapsedTimer clock;
            clock.start();
            t.start(ms);
            loop.exec();
            QVERIFY2(clock.nsecsElapsed() >= qint64(ms) * 1000000, qPrintable(QString::number(ms)));
            QVERIFY(!t.isActive());
        }
        for (int ms : {53, 251}) {
            QElapsedTimer clock;
            clock.start();
            FullTimer::waitFull(ms);
            QVERIFY(clock.nsecsElapsed() >= qint64(ms) * 1000000);
        }
    }

    void aStoppedTimerStaysQuiet() {
        FullTimer t;
        int fired = 0;
        QObject::connect(&t, &FullTimer::timeout, [&] { ++fired; });
        t.start(20);
        t.stop();
        QTest::qWait(60);
        QCOMPARE(fired, 0);
        t.start(10);
        t.start(40); // a restart forgets the first countdown
        QElapsedTimer clock;
        clock.start();
        QTRY_COMPARE(fired, 1);
        QVERIFY(clock.elapsed() >= 39);
    }
};

TZC3_TEST(FullTimerTest)
#include "test_full_timer.moc"
