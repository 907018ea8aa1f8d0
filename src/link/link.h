#pragma once

// The link to the controller: the serial port and the command/reply
// transaction with its checks, time-outs, recovery probe and reports.
//
// Receive is event driven: whatever the port delivers is appended to
// receiveBuffer, and a reply line is complete exactly when the buffer ends in
// CR LF. Input that belongs to no exchange (a reply that came after its
// time-out, line noise) is discarded before each command goes out, and a
// reply that names another position or block than the one asked for is a
// wrong reply: a late answer is never taken for the next one. Waiting for a
// reply runs a local event loop, so the window and its timers stay alive;
// while an operation runs the windows shut every command that could start a
// second exchange (see busy()).
//
// The link also keeps what the main window's status area shows of the line
// and the controller (StatusIndicators) and the controller's error list, and
// tells the user of every failed exchange through the Prompter.

#include "common/language.h"
#include "common/prompter.h"
#include "common/settings_store.h"
#include "link/error_list.h"
#include "link/link_event.h"
#include "link/port_failure.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

class FullTimer;
class QEventLoop;
class QTimer;

class Link : public QObject {
    Q_OBJECT
public:
    Link(SettingsStore &settings, Prompter &prompter, const Language &language);
    ~Link() override;

    Prompter &prompter() const { return prompter_; }
    const Language &language() const { return language_; }

    // COM port number 1 to 9 ("PortNo") and whether the port stays open
    // between operations ("PortOccupy").
    qint16 portNumber = 1;
    bool portOccupy = false;
    // What the status area shows; indicatorsChanged() follows every change.
    StatusIndicators indicators;

    // --- Port ---
    // True when the port is open (or already was), false when it cannot be opened.
    bool openPort();
    // Closes the port unless the user chose to keep it open.
    void closePortUnlessKept();
    // Closes the port whatever the keep option says.
    void closePort();
    bool isPortOpen() const;
    // The options page confirmed port number n: an open port on another
    // number is closed so that the next exchange opens the new one.
    void changePortNumber(qint16 n);
    // The device the open port uses (empty when closed).
    QString openDevice() const { return openDevice_; }
    // A device path that replaces the port number's mapping (the command
    // line's --device); empty: the number decides.
    void setDeviceOverride(const QString &path) { deviceOverride_ = path; }
    QString deviceOverride() const { return deviceOverride_; }
    // Why the last open failed; kept until the next successful open.
    const std::optional<PortFailure> &lastOpenFailure() const { return openFailure_; }

    // The I/O monitor's poll sets this around its exchanges, so that what it
    // sends and receives is marked in the traffic and a log can hide it.
    bool polling = false;

    // --- Busy: an operation talks to the controller ---
    // From the first exchange of an operation to its last, including the
    // waits between them, nothing else may use, open or close the port; the
    // windows listen to busyChanged and shut every such command meanwhile.
    // Operations hold a BusyScope; each transaction and pause holds one too.
    bool busy() const { return busyDepth_ > 0; }
    void enterBusy();
    void leaveBusy();

    // --- Transactions (true: success, the reply in lastReply; false: failed,
    // and the user has been told why) ---
    // A replyLength that takes a reply of any length (a raw line typed by the
    // user, whose reply the program does not know).
    static constexpr int AnyLength = -1;
    bool transact(const QString &head, const QString &data, int replyLength);
    // For "0MP", whose reply comes when the motion has finished: timed by the
    // elapsed-time watch against motionTimeLimit instead of replyTimeoutMs.
    bool transactMotion(const QString &head, const QString &data, int replyLength);
    // Writes line + CR LF without waiting for anything ("0CM3"); false when
    // the port is not open or the write fails.
    bool writeLine(const QString &line);
    // Waits ms milliseconds with the window alive.
    void pause(int ms);

    // --- Link state ---
    QString receiveBuffer;
    QString lastReply;
    bool replyComplete = false;
    QString lastErrorReply;
    qint16 replyTimeoutMs = 5000;
    // When above 0, every reply wait that has a time-out waits this long
    // instead of replyTimeoutMs (the command line's --timeout).
    int replyTimeoutOverrideMs = 0;
    bool timedOut = false;
    float motionTimeLimit = 0;
    bool limitReached = false;
    bool watchStopped = false;
    float watchStart = 0;

    // The clock of the motion watch, seconds since midnight. Tests replace it.
    std::function<double()> secondsSinceMidnight;
    // Reply time-outs and pauses are multiplied by this; tests shorten them.
    double timeScale = 1.0;

    ErrorList errorList;
    // Reads folder/error.lst; tells the user when that fails.
    void loadErrorList(const QString &folder);
    // An error reply "0%%" + code: alarm number, lamp and description.
    void showControllerError(const QString &reply);
    // After a successful exchange: alarm lamp off, "No Error", no number.
    void resetErrorDisplay();

    // Tells the window to redraw s.indicators.
    void notifyIndicators() { emit indicatorsChanged(); }

signals:
    void portOpenChanged(bool open);
    // lastOpenFailure() was set or cleared.
    void openFailureChanged();
    void indicatorsChanged();
    void busyChanged(bool busy);
    // Bytes thrown away before a command because no exchange waited for them.
    void inputDiscarded(const QByteArray &bytes);
    // Everything that passes on the line or happens to the port, in order.
    void traffic(const LinkEvent &event);

private:
    enum class WaitEnd { Reply, TimeOut, PortFailed };

    bool runTransaction(const QString &head, const QString &data, int replyLength, bool motion);
    WaitEnd writeAndWait(const QString &line, bool watch, bool millis);
    void startWatch();
    void watchTick();
    bool probe(bool motion);
    void discardStaleInput();
    bool errorReport(PromptIcon icon);
    void showTimeOutMessage();
    void showDataLengthMessage();
    void onReadyRead();
    void onPortError(QSerialPort::SerialPortError error);
    void setPortOpen(bool open);
    bool openFailed(PortFailure failure);
    int numberOf() const;
    void wake();
    void report(LinkEvent::Kind kind, const QByteArray &bytes = {}, const QString &note = {},
                qint64 elapsedMs = -1, bool probe = false);

    SettingsStore &settings_;
    Prompter &prompter_;
    const Language &language_;
    QSerialPort *port_;
    FullTimer *replyTimer_;
    QTimer *watchTimer_;
    QEventLoop *waitLoop_ = nullptr;
    QString openDevice_;
    QString deviceOverride_;
    std::optional<PortFailure> openFailure_;
    bool portFailed_ = false;
    bool configuring_ = false;
    bool inTransaction_ = false;
    // True while a reply is awaited: a close asked for meanwhile comes from
    // outside the exchange and would turn it into a time-out.
    bool waiting_ = false;
    // The probe's line is marked as such in the traffic.
    bool probing_ = false;
    QElapsedTimer sentAt_;
    int busyDepth_ = 0;
};

// Marks an operation's talk with the controller, however it ends.
class BusyScope {
public:
    explicit BusyScope(Link &link) : link_(link) { link_.enterBusy(); }
    ~BusyScope() { link_.leaveBusy(); }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    Link &link_;
};
