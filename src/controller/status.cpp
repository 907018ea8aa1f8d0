#include "controller/status.h"

#include "state/app_state.h"
#include "common/numtext.h"
#include "controller/controller_mode.h"

#include <QScopeGuard>

void showOutputs(AppState &s, QChar digit) {
    if (digit < u'0' || digit > u'3') return;
    // Bit 1 is OUT1, bit 2 OUT2.
    const int bits = digit.unicode() - u'0';
    s.indicators.out1 = (bits & 1) != 0;
    s.indicators.out2 = (bits & 2) != 0;
    s.link.notifyIndicators();
}

void setHomeEstablished(AppState &s, bool established) {
    s.indicators.homeEstablished = established;
    s.indicators.homeLamp = established;
    s.link.notifyIndicators();
}

int readHomeState(AppState &s) {
    const auto closing = qScopeGuard([&] { s.link.closePortUnlessKept(); });
    s.link.replyTimeoutMs = 5000;
    if (s.link.transact(QStringLiteral("0RB"), QStringLiteral("138"), 10) != 0) return -1;
    const qint64 digit = num::hexVal(QStringView(s.link.lastReply).mid(7, 1));
    const bool established = (digit & 4) != 0;
    setHomeEstablished(s, established);
    return established ? 1 : 0;
}

int GetVersionNo(AppState &s) {
    const auto closing = qScopeGuard([&] { s.link.closePortUnlessKept(); });
    s.link.replyTimeoutMs = 5000;
    if (s.link.transact(QStringLiteral("0RV"), QString(), 8) == 0) {
        s.indicators.controllerVersion = s.link.lastReply.mid(3, 3);
        s.indicators.versionPanel = s.text(499) + s.indicators.controllerVersion;
        s.link.notifyIndicators();
        return 0;
    }
    s.indicators.versionPanel = s.text(498);
    s.link.notifyIndicators();
    if (s.link.lastReply.startsWith(QLatin1String("0%%"))) {
        // Leave the controller able to answer the next operation.
        s.link.replyTimeoutMs = 5000;
        s.link.transact(QStringLiteral("0%C"), QString(), 7);
    }
    return 1;
}

void showControllerVersion(AppState &s, const CommandBracket &bracket) {
    BusyScope busy(s.link);
    {
        BracketScope commands(bracket);
        if (s.link.openPort() == 0 && setCommunicationMode(s) == 0) {
            if (GetVersionNo(s) == 0) {
                s.prompter.message(
                    s.tx("コントローラのバージョンは、 ", "Version of the controller is ") +
                    s.indicators.controllerVersion + s.tx(" です。", "."));
            } else {
                s.prompter.message(s.tx("コントローラのバージョン情報の収得に失敗しました。",
                                        "Failed to get version information of controller."));
            }
        }
        // An error reply to the mode change leaves the port open otherwise.
        s.link.closePortUnlessKept();
    }
}
