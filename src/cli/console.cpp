#include "cli/console.h"

#include <QFileInfo>
#include <cerrno>
#include <cstdio>

namespace {

void writeErr(const QString &text) {
    writeTo(stderr, text);
}

bool positive(PromptAnswer a) {
    return a == PromptAnswer::Ok || a == PromptAnswer::Yes;
}

PromptAnswer positiveOf(PromptButtons b) {
    return b == PromptButtons::Ok || b == PromptButtons::OkCancel ? PromptAnswer::Ok
                                                                  : PromptAnswer::Yes;
}

PromptAnswer negativeOf(PromptButtons b) {
    switch (b) {
    case PromptButtons::YesNo:
        return PromptAnswer::No;
    case PromptButtons::YesNoCancel:
    case PromptButtons::OkCancel:
        return PromptAnswer::Cancel;
    case PromptButtons::Ok:
        break;
    }
    return PromptAnswer::Ok;
}

} // namespace

void writeTo(FILE *stream, const QString &text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

QString consoleText(const QString &text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(u'\r', u'\n');
    return t;
}

// ---------------------------------------------------------------- stderr line

void StderrLine::rewrite(const QString &text) {
    if (!terminal_) return;
    writeErr(QStringLiteral("\r\x1b[K") + text);
    shown_ = true;
}

void StderrLine::clear() {
    if (!shown_) return;
    writeErr(QStringLiteral("\r\x1b[K"));
    shown_ = false;
}

void StderrLine::print(const QString &text) {
    clear();
    writeErr(text.endsWith(u'\n') ? text : text + u'\n');
}

// ---------------------------------------------------------------- prompter

ConsolePrompter::ConsolePrompter(const Language &lang, StderrLine &err, AskMode mode)
    : lang_(lang), err_(err), mode_(mode) {}

void ConsolePrompter::message(const QString &text, PromptIcon) {
    const QString shown = consoleText(text);
    messages << shown;
    err_.print(shown);
}

QString ConsolePrompter::refusalText(const Language &lang, const QString &question) {
    return consoleText(question) + u'\n' +
           lang.tx("この質問に答える端末がありません（または複数のポートを同時に実行しています）。"
                   "肯定の答えでよければ --yes を付けて実行してください。何も送信していません。",
                   "There is no terminal to answer this question on (or several ports run at "
                   "once). Run again with --yes to answer it positively. Nothing was sent.");
}

QString ConsolePrompter::answerName(PromptAnswer a) const {
    switch (a) {
    case PromptAnswer::Ok:
        return QStringLiteral("OK");
    case PromptAnswer::Cancel:
        return lang_.tx("キャンセル", "Cancel");
    case PromptAnswer::Yes:
        return lang_.tx("はい", "Yes");
    case PromptAnswer::No:
        return lang_.tx("いいえ", "No");
    }
    return QString();
}

PromptAnswer ConsolePrompter::ask(const QString &text, PromptButtons buttons, PromptIcon) {
    PromptAnswer answer;
    if (preset) {
        if (const auto given = preset(text)) {
            err_.print(consoleText(text) + QStringLiteral("\n-> ") + answerName(*given));
            if (!positive(*given)) declined = true;
            return *given;
        }
    }
    switch (mode_) {
    case AskMode::Yes:
        answer = positiveOf(buttons);
        err_.print(consoleText(text) + QStringLiteral("\n-> ") + answerName(answer) +
                   QStringLiteral(" (--yes)"));
        break;
    case AskMode::Terminal:
        answer = askTerminal(text, buttons);
        break;
    case AskMode::Refuse:
    default:
        err_.print(refusalText(lang_, text));
        answer = negativeOf(buttons);
        break;
    }
    if (!positive(answer)) declined = true;
    return answer;
}

PromptAnswer ConsolePrompter::askTerminal(const QString &text, PromptButtons buttons) {
    const bool okCancel = buttons == PromptButtons::OkCancel || buttons == PromptButtons::Ok;
    const QString choices = buttons == PromptButtons::YesNoCancel ? QStringLiteral(" [y/n/c] ")
                            : okCancel                            ? QStringLiteral(" [ok/c] ")
                                                                  : QStringLiteral(" [y/n] ");
    err_.clear();
    writeErr(consoleText(text) + choices);
    char line[256];
    errno = 0;
    if (!std::fgets(line, sizeof line, stdin)) {
        // End of input or Ctrl+C while waiting: no answer is a negative one.
        writeErr(QStringLiteral("\n"));
        clearerr(stdin);
        return negativeOf(buttons);
    }
    const QString typed = QString::fromLocal8Bit(line).trimmed().toLower();
    if (typed == QLatin1String("y") || typed == QLatin1String("yes") ||
        typed == QLatin1String("ok") || typed == QLatin1String("o") ||
        typed == QStringLiteral("はい"))
        return positiveOf(buttons);
    if (buttons == PromptButtons::YesNoCancel &&
        (typed == QLatin1String("n") || typed == QLatin1String("no") ||
         typed == QStringLiteral("いいえ")))
        return PromptAnswer::No;
    return negativeOf(buttons);
}

int ConsolePrompter::choose(const QString &, const QString &, const QStringList &) {
    // Every command names its choice on the command line; none asks this.
    return -1;
}

std::optional<QString> ConsolePrompter::openFile(const FileDialogSpec &) {
    if (nextFile.isEmpty()) return std::nullopt;
    return std::exchange(nextFile, QString());
}

std::optional<QString> ConsolePrompter::saveFile(const FileDialogSpec &fd) {
    if (nextFile.isEmpty()) return std::nullopt;
    const QString path = std::exchange(nextFile, QString());
    // The save dialog would have asked before replacing a file; so do we.
    if (fd.overwritePrompt && QFileInfo::exists(path) &&
        !positive(ask(lang_
                          .tx("%1 は既に存在します。\r\n置き換えますか？",
                              "%1 already exists.\r\nDo you want to replace it?")
                          .arg(path),
                      PromptButtons::YesNo, PromptIcon::Exclamation)))
        return std::nullopt;
    return path;
}

int ConsolePrompter::exec(QDialog &) {
    return 0; // QDialog::Rejected
}

// ---------------------------------------------------------------- progress

void TerminalProgress::openWindow() {
    open_ = true;
    draw();
}

void TerminalProgress::closeWindow() {
    if (!open_) return;
    open_ = false;
    err_.clear();
}

void TerminalProgress::setMaximum(int maximum) {
    maximum_ = maximum;
    draw();
}

void TerminalProgress::setValue(int value) {
    value_ = value;
    draw();
}

void TerminalProgress::setLabel(const QString &text) {
    label_ = text;
    draw();
}

void TerminalProgress::draw() {
    if (!open_ || !err_.terminal()) return;
    constexpr int kWidth = 20;
    const int filled = maximum_ > 0 ? qBound(0, value_ * kWidth / maximum_, kWidth) : 0;
    err_.rewrite(label_ + QStringLiteral(" [") + QString(filled, u'#') +
                 QString(kWidth - filled, u'.') +
                 QStringLiteral("] %1/%2").arg(value_).arg(maximum_));
}
