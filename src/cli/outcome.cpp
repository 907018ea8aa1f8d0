#include "cli/outcome.h"

#include "link/link.h"

QString resultName(ExitCode code) {
    switch (code) {
    case ExitCode::Success:
        return QStringLiteral("ok");
    case ExitCode::Differences:
        return QStringLiteral("differences");
    case ExitCode::Usage:
        return QStringLiteral("usage");
    case ExitCode::NoController:
        return QStringLiteral("no-controller");
    case ExitCode::ControllerError:
        return QStringLiteral("controller-error");
    case ExitCode::FileError:
        return QStringLiteral("file-error");
    case ExitCode::Interrupted:
        return QStringLiteral("interrupted");
    }
    return QString();
}

FailureWatch::FailureWatch(Link &link) {
    connect(&link, &Link::traffic, this, &FailureWatch::onTraffic);
}

void FailureWatch::onTraffic(const LinkEvent &e) {
    switch (e.kind) {
    case LinkEvent::Kind::PortOpenFailed:
        portOpenFailed = true;
        failedDevice = e.note;
        break;
    case LinkEvent::Kind::TimeOut:
    case LinkEvent::Kind::PortLost:
    case LinkEvent::Kind::WrongReply:
        lineFailed = true;
        break;
    case LinkEvent::Kind::Received:
        if (e.bytes.startsWith("0%%")) errorCode = QString::fromLatin1(e.bytes.mid(3, 2));
        break;
    default:
        break;
    }
}

ExitCode FailureWatch::failureCode(ExitCode otherwise) const {
    // A garbled reply is followed by the probe: when that one is an error
    // reply, the controller is in error, whatever the line did before.
    if (!errorCode.isEmpty()) return ExitCode::ControllerError;
    if (portOpenFailed || lineFailed) return ExitCode::NoController;
    return otherwise;
}
