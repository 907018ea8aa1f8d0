#pragma once

// The communication log: what passed on the line and what became of the
// port, recorded from the start of the run, so that opening the log after a
// failure shows what led to it.
//
// It keeps the last `capacity` entries in a ring, so hours of I/O monitoring
// cost the same memory as a minute of it. Entries are numbered from the
// start of the run; a window that shows the log remembers the numbers it has
// shown and asks for the newer ones. Recording is a copy of the link's event
// and nothing more: the words for an entry are made only when someone shows
// or saves it (describe, toText, toCsv).
//
// The log knows no window; the one that shows it is ui/communication_log_window.

#include "link/link_event.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <vector>

class ErrorList;
class Language;

struct LogEntry {
    enum class Kind : quint8 {
        Sent,       // a command line
        Probe,      // the recovery probe "0CM0" after a wrong reply
        Received,   // a normal reply
        ErrorReply, // "0%%" + code
        Discarded,  // input that answered nothing asked
        TimeOut,
        WrongReply, // garbled head, wrong length, another position's answer
        PortOpened,
        PortClosed,
        PortOpenFailed,
        PortLost,
    };
    Kind kind = Kind::Sent;
    bool polling = false; // part of the I/O monitor's poll
    qint16 portNumber = 0;
    qint32 elapsedMs = -1; // replies and time-outs: since the command went out
    qint64 msecsSinceEpoch = 0;
    QByteArray bytes;
    // The link's note (device, wrong-reply cause, driver's error); for a
    // failed open the failure already worded in the run's language.
    QString note;
};

class CommunicationLog : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultCapacity = 20000;

    // Connect the link's traffic to record(): the log itself knows no link.
    explicit CommunicationLog(int capacity = DefaultCapacity);

    void record(const LinkEvent &event);
    int capacity() const { return capacity_; }
    int size() const { return int(end_ - first_); }
    // Entry numbers first() .. end() - 1 are held.
    quint64 first() const { return first_; }
    quint64 end() const { return end_; }
    const LogEntry &at(quint64 number) const { return ring_[number % quint64(capacity_)]; }
    // Forgets what was recorded so far; numbering goes on.
    void clearEntries();

signals:
    // One entry more (and perhaps the oldest one less).
    void recorded();
    void cleared();

private:
    int capacity_;
    std::vector<LogEntry> ring_;
    quint64 first_ = 0;
    quint64 end_ = 0;
};

namespace commlog {

// The bytes with CR and LF as "<CR>" and "<LF>" and any other byte outside
// printable ASCII as "<hex>", so a line of the log is one line on screen.
QString visibleText(const QByteArray &bytes);

// "PC -> C/T", "C/T -> PC", or empty for what happened to the port.
QString direction(const LogEntry &e);

// What the entry means, in the run's language: an error reply's code and
// description, the cause of a wrong reply, the port's fate. Empty for a
// plain command or reply.
QString describe(const LogEntry &e, const Language &lang, const ErrorList &errors);

// "hh:mm:ss.zzz" local time.
QString timeOfDay(const LogEntry &e);
// "24 ms", or empty.
QString elapsedText(const LogEntry &e);

// Lines for a file: date and time, direction, text, reply time, meaning;
// CR LF line ends.
QString toText(const std::vector<const LogEntry *> &entries, const Language &lang,
               const ErrorList &errors);
// The same as CSV with a heading row; fields quoted where needed.
QString toCsv(const std::vector<const LogEntry *> &entries, const Language &lang,
              const ErrorList &errors);

} // namespace commlog
