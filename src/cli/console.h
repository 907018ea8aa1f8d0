#pragma once

// The command line's side of the Prompter and of the progress display.
// Messages go to stderr in the run's language. A question is put to the
// user on the terminal when there is one, answered positively by --yes, and
// otherwise refused: the operation then takes its negative answer, which
// every operation treats as "send nothing". File dialogs are answered by
// the file named on the command line. Progress is one updating line on
// stderr, only when stderr is a terminal.

#include "common/language.h"
#include "common/progress.h"
#include "common/prompter.h"

#include <QStringList>
#include <cstdio>
#include <functional>

// One line of stderr that a progress display may be rewriting; whatever
// else goes to stderr clears it first.
class StderrLine {
public:
    explicit StderrLine(bool terminal) : terminal_(terminal) {}
    bool terminal() const { return terminal_; }
    // Replaces the line being rewritten (terminal only).
    void rewrite(const QString &text);
    // Ends the rewritten line, leaving the terminal where it was before it.
    void clear();
    // Writes text (a newline added when missing) below whatever was shown.
    void print(const QString &text);

private:
    bool terminal_;
    bool shown_ = false;
};

class ConsolePrompter : public Prompter {
public:
    enum class AskMode { Terminal, Yes, Refuse };

    ConsolePrompter(const Language &lang, StderrLine &err, AskMode mode);

    void message(const QString &text, PromptIcon icon = PromptIcon::None) override;
    PromptAnswer ask(const QString &text, PromptButtons buttons, PromptIcon icon) override;
    int choose(const QString &title, const QString &text, const QStringList &buttons) override;
    std::optional<QString> openFile(const FileDialogSpec &fd) override;
    std::optional<QString> saveFile(const FileDialogSpec &fd) override;
    void beep() override {}
    // No window can be shown from the command line.
    int exec(QDialog &dialog) override;

    // The file the next file dialog chooses; empty: the dialog is cancelled.
    QString nextFile;
    // Answers a question before anyone is asked (a command's own option, as
    // --no-reset); nullopt lets the question through.
    std::function<std::optional<PromptAnswer>(const QString &text)> preset;

    // Every message shown, in order, line ends as "\n".
    QStringList messages;
    // A question was answered negatively or could not be asked.
    bool declined = false;

    // The message text of a question that could not be asked.
    static QString refusalText(const Language &lang, const QString &question);

private:
    PromptAnswer askTerminal(const QString &text, PromptButtons buttons);
    QString answerName(PromptAnswer a) const;

    const Language &lang_;
    StderrLine &err_;
    AskMode mode_;
};

// A single line on stderr: label, bar and count, rewritten as it advances.
class TerminalProgress : public ProgressDisplay {
public:
    explicit TerminalProgress(StderrLine &err) : err_(err) {}
    void openWindow() override;
    void closeWindow() override;
    void setMaximum(int maximum) override;
    void setValue(int value) override;
    void setLabel(const QString &text) override;

private:
    void draw();

    StderrLine &err_;
    bool open_ = false;
    int maximum_ = 0;
    int value_ = 0;
    QString label_;
};

// Text with CR LF line ends as the console shows it.
QString consoleText(const QString &text);

// Writes text to stdout or stderr at once, in the locale's encoding.
void writeTo(FILE *stream, const QString &text);
