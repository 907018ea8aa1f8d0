#include "controller/controller_mode.h"

#include "state/app_state.h"

#include <QScopeGuard>

namespace {

const QString kBreak = QStringLiteral("\r\n\r\n");

} // namespace

int setCommunicationMode(AppState &s) {
    s.link.replyTimeoutMs = 1000;
    return s.link.transact(QStringLiteral("0CM"), QStringLiteral("1"), 6);
}

void externalStartMode(AppState &s, const CommandBracket &bracket) {
    BracketScope commands(bracket);
    const auto closing = qScopeGuard([&] { s.link.closePortUnlessKept(); });
    if (s.prompter.ask(s.text(492) + kBreak + s.text(493), PromptButtons::YesNo,
                       PromptIcon::Question) != PromptAnswer::Yes)
        return;
    // Busy while it talks to the controller, like every other exchange, so
    // the window cannot be closed in the middle of it.
    BusyScope busy(s.link);
    if (s.link.openPort() != 0) return;
    if (setCommunicationMode(s) != 0) return;
    s.link.replyTimeoutMs = 5000;
    if (s.link.transact(QStringLiteral("0CM"), QStringLiteral("0"), 6) == 0)
        s.prompter.message(s.text(495));
    else
        s.prompter.message(s.text(508) + kBreak + s.text(494));
}

void communicationMode(AppState &s, const CommandBracket &bracket) {
    BracketScope commands(bracket);
    const auto closing = qScopeGuard([&] { s.link.closePortUnlessKept(); });
    if (s.prompter.ask(s.text(496) + kBreak + s.text(493), PromptButtons::YesNo,
                       PromptIcon::Question) != PromptAnswer::Yes)
        return;
    BusyScope busy(s.link);
    if (s.link.openPort() != 0) return;
    if (setCommunicationMode(s) != 0) return;
    s.link.closePortUnlessKept();
    s.prompter.message(s.text(497));
}

int resetController(AppState &s) {
    if (s.prompter.ask(s.text(581) + u' ' + s.text(493), PromptButtons::OkCancel,
                       PromptIcon::Question) != PromptAnswer::Ok) {
        s.link.closePortUnlessKept();
        return 1;
    }
    if (s.link.openPort() != 0) return 1;
    if (setCommunicationMode(s) != 0) return 1;
    // The controller restarts and answers nothing; the outputs go off with it.
    const bool written = s.link.writeLine(QStringLiteral("0CM3"));
    s.indicators.out1 = false;
    s.indicators.out2 = false;
    s.link.notifyIndicators();
    s.link.closePortUnlessKept();
    return written ? 0 : 1;
}
