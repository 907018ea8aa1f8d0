#include "link/communication_log.h"

#include "common/language.h"
#include "link/error_list.h"

#include <QDateTime>

CommunicationLog::CommunicationLog(int capacity)
    : capacity_(qMax(1, capacity)), ring_(size_t(capacity_)) {}

void CommunicationLog::record(const LinkEvent &event) {
    using K = LinkEvent::Kind;
    using L = LogEntry::Kind;
    LogEntry &e = ring_[end_ % quint64(capacity_)];
    switch (event.kind) {
    case K::Sent:
        e.kind = event.probe ? L::Probe : L::Sent;
        break;
    case K::Received:
        e.kind = event.bytes.startsWith("0%%") ? L::ErrorReply : L::Received;
        break;
    case K::Discarded:
        e.kind = L::Discarded;
        break;
    case K::TimeOut:
        e.kind = L::TimeOut;
        break;
    case K::WrongReply:
        e.kind = L::WrongReply;
        break;
    case K::PortOpened:
        e.kind = L::PortOpened;
        break;
    case K::PortClosed:
        e.kind = L::PortClosed;
        break;
    case K::PortOpenFailed:
        e.kind = L::PortOpenFailed;
        break;
    case K::PortLost:
        e.kind = L::PortLost;
        break;
    }
    e.polling = event.polling;
    e.portNumber = event.portNumber;
    e.elapsedMs = qint32(qBound(qint64(-1), event.elapsedMs, qint64(INT32_MAX)));
    e.msecsSinceEpoch = event.msecsSinceEpoch;
    e.bytes = event.bytes;
    e.note = e.kind == L::PortOpenFailed && !event.failure.isEmpty() ? event.failure : event.note;
    ++end_;
    if (end_ - first_ > quint64(capacity_)) ++first_;
    emit recorded();
}

void CommunicationLog::clearEntries() {
    for (quint64 n = first_; n < end_; ++n)
        ring_[n % quint64(capacity_)] = LogEntry();
    first_ = end_;
    emit cleared();
}

namespace commlog {

QString visibleText(const QByteArray &bytes) {
    QString out;
    out.reserve(bytes.size() + 8);
    for (const char c : bytes) {
        const auto u = uchar(c);
        if (u == '\r')
            out += QLatin1String("<CR>");
        else if (u == '\n')
            out += QLatin1String("<LF>");
        else if (u < 0x20 || u >= 0x7f)
            out += QStringLiteral("<%1>").arg(u, 2, 16, QLatin1Char('0')).toUpper();
        else
            out += QLatin1Char(c);
    }
    return out;
}

QString direction(const LogEntry &e) {
    using L = LogEntry::Kind;
    switch (e.kind) {
    case L::Sent:
    case L::Probe:
        return QStringLiteral("PC -> C/T");
    case L::Received:
    case L::ErrorReply:
    case L::Discarded:
    case L::WrongReply:
        return QStringLiteral("C/T -> PC");
    case L::TimeOut:
        // What came of the reply before time ran out, if anything did.
        return e.bytes.isEmpty() ? QString() : QStringLiteral("C/T -> PC");
    default:
        return QString();
    }
}

namespace {

QString portName(const LogEntry &e) {
    // A device given by its path has no number.
    if (e.portNumber == 0 && !e.note.isEmpty()) return e.note;
    const QString com = QStringLiteral("COM%1").arg(e.portNumber);
    return e.note.isEmpty() || e.note == com ? com : com + QStringLiteral(" (%1)").arg(e.note);
}

QString errorReplyText(const LogEntry &e, const Language &lang, const ErrorList &errors) {
    const QString code = QString::fromLatin1(e.bytes.mid(3, 2));
    const QString head = lang.tx("エラー ", "Error ") + code;
    if (errors.listMissing) return head;
    // One list serves both languages: the English entries sit 100 above.
    const qint64 value = errorCodeValue(code) + (lang.japanese() ? 0 : 100);
    return head + QStringLiteral(": ") + errors.lookup(value).value_or(noContentsText(lang));
}

} // namespace

QString describe(const LogEntry &e, const Language &lang, const ErrorList &errors) {
    using L = LogEntry::Kind;
    switch (e.kind) {
    case L::Sent:
    case L::Received:
        return QString();
    case L::Probe:
        return lang.tx("回復確認（外部起動モードへ）", "recovery probe (to external start mode)");
    case L::ErrorReply:
        return errorReplyText(e, lang, errors);
    case L::Discarded:
        return lang.tx("破棄: どのコマンドへの応答でもありません", "discarded: answers no command");
    case L::TimeOut:
        return e.bytes.isEmpty()
                   ? lang.tx("タイムアウト: 応答がありません", "time-out: no reply")
                   : lang.tx("タイムアウト: 応答が途中で切れました", "time-out: reply incomplete");
    case L::WrongReply:
        if (e.note == QLatin1String("length"))
            return (lang.japanese() ? QStringLiteral("応答の長さが違います（%1 文字）")
                                    : QStringLiteral("wrong length: %1 characters"))
                .arg(e.bytes.size());
        if (e.note == QLatin1String("echo"))
            return lang.tx("別の位置No.またはブロックへの応答です",
                           "answers another position or block");
        return lang.tx("応答の先頭が違います（文字化け）", "garbled: wrong head");
    case L::PortOpened:
        return portName(e) + lang.tx(" をオープンしました", " opened");
    case L::PortClosed:
        return portName(e) + lang.tx(" をクローズしました", " closed");
    case L::PortOpenFailed:
        return e.note;
    case L::PortLost:
        return lang.tx("ポートが切断されました: ", "port lost: ") + e.note;
    }
    return QString();
}

QString timeOfDay(const LogEntry &e) {
    return QDateTime::fromMSecsSinceEpoch(e.msecsSinceEpoch)
        .toString(QStringLiteral("hh:mm:ss.zzz"));
}

QString elapsedText(const LogEntry &e) {
    return e.elapsedMs >= 0 ? QStringLiteral("%1 ms").arg(e.elapsedMs) : QString();
}

namespace {

QString dateTime(const LogEntry &e) {
    return QDateTime::fromMSecsSinceEpoch(e.msecsSinceEpoch)
        .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}

QString csvField(const QString &f) {
    if (!f.contains(u',') && !f.contains(u'"') && !f.contains(u'\n') && !f.contains(u'\r'))
        return f;
    QString q = f;
    q.replace(u'"', QLatin1String("\"\""));
    return u'"' + q + u'"';
}

} // namespace

QString toText(const std::vector<const LogEntry *> &entries, const Language &lang,
               const ErrorList &errors) {
    QString out;
    for (const LogEntry *e : entries) {
        QString line = dateTime(*e) + QLatin1String("  ") + direction(*e).leftJustified(9) +
                       QLatin1String("  ") + visibleText(e->bytes).leftJustified(28) +
                       QLatin1String("  ") + elapsedText(*e).rightJustified(8) +
                       QLatin1String("  ") + describe(*e, lang, errors);
        while (line.endsWith(u' '))
            line.chop(1);
        out += line + QLatin1String("\r\n");
    }
    return out;
}

QString toCsv(const std::vector<const LogEntry *> &entries, const Language &lang,
              const ErrorList &errors) {
    QString out = lang.tx("日時,方向,データ,応答時間(ms),内容\r\n",
                          "Time,Direction,Data,Reply (ms),Meaning\r\n");
    for (const LogEntry *e : entries) {
        const QString ms = e->elapsedMs >= 0 ? QString::number(e->elapsedMs) : QString();
        out += QStringList{dateTime(*e), direction(*e), csvField(visibleText(e->bytes)), ms,
                           csvField(describe(*e, lang, errors))}
                   .join(u',') +
               QLatin1String("\r\n");
    }
    return out;
}

} // namespace commlog
