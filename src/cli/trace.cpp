#include "cli/trace.h"

#include "link/link.h"

#include <QDateTime>

namespace {

// The line as it went over the wire, its CR LF dropped and anything else
// unprintable shown as \xNN so that a garbled reply reads as what it was.
QString shown(const QByteArray &bytes) {
    QByteArray b = bytes;
    if (b.endsWith("\r\n")) b.chop(2);
    QString out;
    for (const char c : b) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7f && c != '\\')
            out += QLatin1Char(c);
        else
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
    }
    return out;
}

} // namespace

TraceWriter::TraceWriter(Link &link, const QString &label) : label_(label) {
    connect(&link, &Link::traffic, this, &TraceWriter::onTraffic);
}

bool TraceWriter::open(const QString &path) {
    file_.setFileName(path);
    // Unbuffered: each event goes out in one write, so that the lines of
    // workers appending to the same file never mix.
    return file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
}

QString TraceWriter::describe(const LinkEvent &e) {
    using K = LinkEvent::Kind;
    switch (e.kind) {
    case K::Sent:
        return QStringLiteral("> ") + shown(e.bytes) +
               (e.probe ? QStringLiteral(" (probe)") : QString());
    case K::Received:
        return QStringLiteral("< ") + shown(e.bytes) +
               (e.elapsedMs >= 0 ? QStringLiteral(" (%1 ms)").arg(e.elapsedMs) : QString());
    case K::Discarded:
        return QStringLiteral("discarded ") + shown(e.bytes);
    case K::TimeOut:
        return QStringLiteral("time-out after %1 ms").arg(e.elapsedMs) +
               (e.bytes.isEmpty() ? QString() : QStringLiteral(", partial ") + shown(e.bytes));
    case K::WrongReply:
        return QStringLiteral("wrong reply (%1) ").arg(e.note) + shown(e.bytes);
    case K::PortOpened:
        return QStringLiteral("port opened ") + e.note;
    case K::PortClosed:
        return QStringLiteral("port closed ") + e.note;
    case K::PortOpenFailed:
        return QStringLiteral("port could not be opened ") + e.note;
    case K::PortLost:
        return QStringLiteral("port lost: ") + e.note;
    }
    return QString();
}

void TraceWriter::onTraffic(const LinkEvent &e) {
    if (!file_.isOpen()) return;
    const QString when = QDateTime::fromMSecsSinceEpoch(e.msecsSinceEpoch)
                             .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    file_.write((when + u' ' + label_ + u' ' + describe(e) + u'\n').toUtf8());
}
