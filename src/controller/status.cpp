#include "controller/status.h"

#include "common/numtext.h"
#include "controller/controller_mode.h"
#include "link/link.h"

#include <QScopeGuard>

void showOutputs(Link &link, QChar digit) {
    if (digit < u'0' || digit > u'3') return;
    // Bit 1 is OUT1, bit 2 OUT2.
    const int bits = digit.unicode() - u'0';
    link.indicators.out1 = (bits & 1) != 0;
    link.indicators.out2 = (bits & 2) != 0;
    link.notifyIndicators();
}

void setHomeEstablished(Link &link, bool established) {
    link.indicators.homeEstablished = established;
    link.indicators.homeLamp = established;
    link.notifyIndicators();
}

std::optional<bool> readHomeState(Link &link) {
    const auto closing = qScopeGuard([&] { link.closePortUnlessKept(); });
    link.replyTimeoutMs = 5000;
    if (!link.transact(QStringLiteral("0RB"), QStringLiteral("138"), 10)) return std::nullopt;
    const qint64 digit = num::hexVal(QStringView(link.lastReply).mid(7, 1));
    const bool established = (digit & 4) != 0;
    setHomeEstablished(link, established);
    return established;
}

bool readControllerVersion(Link &link) {
    const auto closing = qScopeGuard([&] { link.closePortUnlessKept(); });
    link.replyTimeoutMs = 5000;
    if (link.transact(QStringLiteral("0RV"), QString(), 8)) {
        link.indicators.controllerVersion = link.lastReply.mid(3, 3);
        link.indicators.versionPanel =
            link.language().text(499) + link.indicators.controllerVersion;
        link.notifyIndicators();
        return true;
    }
    link.indicators.versionPanel = link.language().text(498);
    link.notifyIndicators();
    if (link.lastReply.startsWith(QLatin1String("0%%"))) {
        // Leave the controller able to answer the next operation.
        link.replyTimeoutMs = 5000;
        link.transact(QStringLiteral("0%C"), QString(), 7);
    }
    return false;
}

bool showControllerVersion(Link &link, const CommandBracket &bracket) {
    BusyScope busy(link);
    BracketScope commands(bracket);
    bool read = false;
    if (link.openPort() && setCommunicationMode(link)) {
        read = readControllerVersion(link);
        if (read) {
            link.prompter().message(link.language().tx("コントローラのバージョンは、 ",
                                                       "Version of the controller is ") +
                                    link.indicators.controllerVersion +
                                    link.language().tx(" です。", "."));
        } else {
            link.prompter().message(
                link.language().tx("コントローラのバージョン情報の収得に失敗しました。",
                                   "Failed to get version information of controller."));
        }
    }
    // An error reply to the mode change leaves the port open otherwise.
    link.closePortUnlessKept();
    return read;
}
