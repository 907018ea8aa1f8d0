#include "controller/controller_mode.h"

#include "link/link.h"

#include <QScopeGuard>

namespace {

const QString kBreak = QStringLiteral("\r\n\r\n");

} // namespace

bool setCommunicationMode(Link &link) {
    link.replyTimeoutMs = 1000;
    return link.transact(QStringLiteral("0CM"), QStringLiteral("1"), 6);
}

bool externalStartMode(Link &link, const CommandBracket &bracket) {
    BracketScope commands(bracket);
    const auto closing = qScopeGuard([&] { link.closePortUnlessKept(); });
    if (link.prompter().ask(link.language().text(492) + kBreak + link.language().text(493),
                            PromptButtons::YesNo, PromptIcon::Question) != PromptAnswer::Yes)
        return false;
    // Busy while it talks to the controller, like every other exchange, so
    // the window cannot be closed in the middle of it.
    BusyScope busy(link);
    if (!link.openPort()) return false;
    if (!setCommunicationMode(link)) return false;
    link.replyTimeoutMs = 5000;
    if (link.transact(QStringLiteral("0CM"), QStringLiteral("0"), 6)) {
        link.prompter().message(link.language().text(495));
        return true;
    }
    link.prompter().message(link.language().text(508) + kBreak + link.language().text(494));
    return false;
}

bool communicationMode(Link &link, const CommandBracket &bracket) {
    BracketScope commands(bracket);
    const auto closing = qScopeGuard([&] { link.closePortUnlessKept(); });
    if (link.prompter().ask(link.language().text(496) + kBreak + link.language().text(493),
                            PromptButtons::YesNo, PromptIcon::Question) != PromptAnswer::Yes)
        return false;
    BusyScope busy(link);
    if (!link.openPort()) return false;
    if (!setCommunicationMode(link)) return false;
    link.closePortUnlessKept();
    link.prompter().message(link.language().text(497));
    return true;
}

QString resetQuestion(const Language &lang) {
    return lang.text(581) + u' ' + lang.text(493);
}

bool resetController(Link &link) {
    if (link.prompter().ask(resetQuestion(link.language()), PromptButtons::OkCancel,
                            PromptIcon::Question) != PromptAnswer::Ok) {
        link.closePortUnlessKept();
        return false;
    }
    if (!link.openPort()) return false;
    if (!setCommunicationMode(link)) return false;
    // The controller restarts and answers nothing; the outputs go off with it.
    const bool written = link.writeLine(QStringLiteral("0CM3"));
    link.indicators.out1 = false;
    link.indicators.out2 = false;
    link.notifyIndicators();
    link.closePortUnlessKept();
    return written;
}

bool errorReset(Link &link) {
    // Busy through the mode change too: it is an exchange like any other.
    BusyScope busy(link);
    link.replyTimeoutMs = 5000;
    if (!link.transact(QStringLiteral("0%C"), QString(), 7)) {
        link.closePortUnlessKept();
        return false;
    }
    link.resetErrorDisplay();
    setCommunicationMode(link);
    return true;
}

void showHomingSensorError(Link &link) {
    QStringList parts;
    for (int n = 449; n <= 455; ++n)
        parts << link.language().text(n);
    link.prompter().message(parts.join(kBreak));
}
