#pragma once

// How a command of the command line ended, as its exit code says it, and
// the watch on the link that tells a silent line from a controller error.

#include "common/language.h"
#include "link/link_event.h"

#include <QObject>
#include <QString>

class Link;

enum class ExitCode {
    Success = 0,
    Differences = 1,     // a verification found differences (listed)
    Usage = 2,           // the command line was wrong, or a question went unanswered
    NoController = 3,    // the port could not be opened or the controller did not answer
    ControllerError = 4, // the controller answered with an error (code and description shown)
    FileError = 5,       // a file could not be read or written, or its data were refused
    Interrupted = 130,   // Ctrl+C stopped the command before it was done
};

// The word of the JSON "result" for each code.
QString resultName(ExitCode code);

// Watches what happens on the link while a command runs, so that a command
// that failed can say why: the line (port not opened, no answer, garbled
// answer) or the controller (an error reply).
class FailureWatch : public QObject {
    Q_OBJECT
public:
    explicit FailureWatch(Link &link);

    bool portOpenFailed = false;
    QString failedDevice; // the device that would not open; empty when none was mapped
    bool lineFailed = false;
    QString errorCode; // of the last error reply

    // The code of a command that did not succeed; `otherwise` when the link
    // saw nothing wrong (a check refused the data, a question was declined).
    ExitCode failureCode(ExitCode otherwise) const;

private:
    void onTraffic(const LinkEvent &e);
};
