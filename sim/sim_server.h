#pragma once

// Serves a SimModel on a pseudo-terminal on the caller's event loop, so a
// test can run the program's real serial code and the controller in one
// thread, and tzsim can offer the same controller to a terminal or to the
// program. The scripting hooks make the line misbehave on purpose.

#include "sim_model.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QSocketNotifier;
class QTimer;

class SimServer : public QObject {
    Q_OBJECT
public:
    explicit SimServer(QObject *parent = nullptr);
    ~SimServer() override;

    bool start();                         // open the pty; false on failure
    QString devicePath() const;           // the slave path to open, e.g. /dev/pts/7
    bool createLink(const QString &path); // symlink to the device path
    SimModel &model();
    QStringList log() const; // every complete command line received,
                             // without CR LF, in order
    void clearLog();
    // Nothing owed is still to go out: every reply and every motion's end
    // has been written (a reply held back by lateNext included).
    bool idle() const;

    // Scripting hooks; the one-shot ones apply to the next reply only.
    void setPaced(bool on);     // 9600 baud: ~1.04 ms per character
    void setReplyDelay(int ms); // before every reply
    void setMoveTimeScale(double s);
    void raiseAlarm(const QString &code);            // e.g. "0E"
    void failNextHoming();                           // next homing answers "0%%0B"
    void garbleNext();                               // corrupt the next reply's head
    void splitNext(int parts);                       // send the next reply in N pieces, spaced out
    void shortenNext();                              // drop one character before the CR LF
    void lengthenNext();                             // add one character before the CR LF
    void silentNext();                               // do not answer the next command
    void lateNext(int ms);                           // answer the next command only after ms
    void noise(const QByteArray &bytes);             // put bytes on the line now, unasked
    void setSilent(bool on);                         // answer nothing until cleared
    void neverFinishNextMove();                      // the next 0MP never answers
    void alarmDuringNextMove(const QString &code);   // 0MP answers 0%%code
    void dropPort();                                 // close the pty master: client sees hang-up
    void setInput(const QString &name, bool active); // home, strobe, stop,
                                                     // emg, pos1, pos2, pos4, pos8
    // Every answer the model gives to a command line passes through f, and
    // what f returns goes on the wire instead (nothing when empty). The model
    // still takes every command, so a caller can corrupt any reply of a long
    // exchange while the rest stay right.
    using ReplyFilter = std::function<QByteArray(const QByteArray &line, const QByteArray &reply)>;
    void setReplyFilter(ReplyFilter f);

    // Textual scripting used by tzsim's stdin; returns a reply text.
    QString command(const QString &scriptLine);
    static QString scriptHelp();

signals:
    void lineReceived(const QString &line);
    void quitRequested(); // "quit" typed to command()

private:
    struct Chunk {
        QByteArray bytes;
        double dueMs = 0;      // clock time at which it goes on the wire
        quint32 moveId = 0;    // part of this motion's reply
        bool finishes = false; // the motion ends when this chunk is due
    };

    void onReadable();
    void takeLine(const QByteArray &line);
    void sendReply(QByteArray bytes, int delayMs, quint32 moveId);
    void schedule(const Chunk &c);
    void dropChunksOf(quint32 moveId);
    void dropAbandonedMoves();
    void trackMove(const SimModel::Reply &r);
    void alarmRunningMove(const QString &code);
    void pump();
    void closeFds();
    double now() const;

    SimModel model_;
    int master_ = -1;
    int slaveKeep_ = -1; // keeps the master usable while no client has the port open
    QString slavePath_;
    QStringList links_;
    QSocketNotifier *notifier_ = nullptr;
    QTimer *sendTimer_ = nullptr;
    QElapsedTimer clock_;
    QByteArray inBuf_;
    QStringList log_;
    QList<Chunk> scheduled_;     // ordered by dueMs
    QByteArray wire_;            // due, not yet written
    double wireNextMs_ = 0;      // when paced: time the next character may go
    double answeredUntilMs_ = 0; // the controller answers in order: not before this

    quint32 moveId_ = 0; // the running motion and its timing
    double moveStartMs_ = 0;
    int moveMs_ = 0;

    bool paced_ = false;
    int replyDelayMs_ = 0;
    bool silent_ = false;
    bool silentNext_ = false;
    int lateNextMs_ = 0;
    bool garbleNext_ = false;
    bool shortenNext_ = false;
    bool lengthenNext_ = false;
    int splitNext_ = 0;
    ReplyFilter replyFilter_;
};
