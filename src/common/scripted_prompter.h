#pragma once

// The Prompter of tests and headless tools: records every prompt and answers
// from queues. A question or dialog with nothing queued is recorded as
// unexpected and answered with Cancel / rejection, so the test that forgot
// it fails on `unexpected` rather than hanging.

#include "common/prompter.h"

#include <QList>
#include <deque>
#include <functional>

struct PromptRecord {
    enum Kind { Message, Ask, Choose, OpenFile, SaveFile, Beep, Dialog };
    PromptRecord(Kind k, const QString &t = QString(), PromptIcon i = PromptIcon::None,
                 PromptButtons b = PromptButtons::Ok)
        : kind(k), text(t), icon(i), buttons(b) {}
    Kind kind;
    QString text;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    QStringList choices; // Choose: the captions
    FileDialogSpec file; // OpenFile / SaveFile
    QString dialogTitle; // Choose: the box's title
};

class ScriptedPrompter : public Prompter {
public:
    void message(const QString &text, PromptIcon icon = PromptIcon::None) override;
    PromptAnswer ask(const QString &text, PromptButtons buttons, PromptIcon icon) override;
    int choose(const QString &title, const QString &text, const QStringList &buttons) override;
    std::optional<QString> openFile(const FileDialogSpec &fd) override;
    std::optional<QString> saveFile(const FileDialogSpec &fd) override;
    void beep() override;
    int exec(QDialog &dialog) override;

    // Answers, consumed in order.
    std::deque<PromptAnswer> answers;
    std::deque<int> choices;
    std::deque<std::optional<QString>> files; // nullopt = cancel
    std::deque<std::function<int(QDialog &)>> dialogs;
    // Called for every message (after recording), e.g. to check state then.
    std::function<void(const PromptRecord &)> onPrompt;

    QList<PromptRecord> log;
    QStringList unexpected;

    // Texts of the recorded messages and questions, in order.
    QStringList texts() const;
    int beeps() const;
    void clear() {
        log.clear();
        unexpected.clear();
    }

private:
    std::optional<QString> takeFile();
};
