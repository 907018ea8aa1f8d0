#include "operation/io_exchange.h"

#include "controller/controller_mode.h"
#include "link/link.h"

#include <QScopeGuard>

namespace io {

namespace {

// One "0RD" block; the lamps of its signals from the reply.
bool readBlock(Link &link, bool ioBlock, Poll &poll) {
    link.replyTimeoutMs = 5000;
    if (!link.transact(QStringLiteral("0RD"), ioBlock ? QStringLiteral("2F") : QStringLiteral("20"),
                       23))
        return false;
    const auto &sigs = ioSignals();
    for (int i = 0; i < SignalCount; ++i)
        if (sigs[i].ioBlock == ioBlock) poll.lit[i] = lampLit(sigs[i], link.lastReply);
    return true;
}

} // namespace

Poll pollSignals(Link &link) {
    BusyScope busy(link);
    link.polling = true;
    const auto unmark = qScopeGuard([&] { link.polling = false; });
    Poll poll;
    poll.ok = link.openPort() && setCommunicationMode(link) && readBlock(link, false, poll) &&
              readBlock(link, true, poll);
    return poll;
}

std::optional<OutputStatus> readOutputStatus(Link &link) {
    BusyScope busy(link);
    const auto closing = qScopeGuard([&] { link.closePortUnlessKept(); });
    if (!link.openPort() || !setCommunicationMode(link)) return std::nullopt;
    link.replyTimeoutMs = 5000;
    if (!link.transact(QStringLiteral("0RS"), QString(), 7)) return std::nullopt;
    const auto st = outputStatusOf(link.lastReply);
    if (!st) {
        link.closePortUnlessKept();
        link.prompter().message(link.language().tx("出力状態の読み込みに失敗しました。",
                                                   "Fail to read output status."));
    }
    return st;
}

bool writeOutputStatus(Link &link, const OutputStatus &status) {
    BusyScope busy(link);
    const auto closing = qScopeGuard([&] { link.closePortUnlessKept(); });
    if (!link.openPort() || !setCommunicationMode(link)) return false;
    link.replyTimeoutMs = 5000;
    return link.transact(QStringLiteral("0WS"), outputStatusData(status), 7);
}

} // namespace io
