#include "common/scripted_prompter.h"

void ScriptedPrompter::message(const QString &text, PromptIcon icon) {
    PromptRecord r{PromptRecord::Message, text, icon};
    log.append(r);
    if (onPrompt) onPrompt(r);
}

PromptAnswer ScriptedPrompter::ask(const QString &text, PromptButtons buttons, PromptIcon icon) {
    PromptRecord r{PromptRecord::Ask, text, icon, buttons};
    log.append(r);
    if (onPrompt) onPrompt(r);
    if (answers.empty()) {
        unexpected << QStringLiteral("ask: ") + text;
        return PromptAnswer::Cancel;
    }
    const PromptAnswer a = answers.front();
    answers.pop_front();
    return a;
}

int ScriptedPrompter::choose(const QString &title, const QString &text,
                             const QStringList &buttons) {
    PromptRecord r{PromptRecord::Choose, text};
    r.choices = buttons;
    r.dialogTitle = title;
    log.append(r);
    if (onPrompt) onPrompt(r);
    if (choices.empty()) {
        unexpected << QStringLiteral("choose: ") + text;
        return -1;
    }
    const int c = choices.front();
    choices.pop_front();
    return c;
}

std::optional<QString> ScriptedPrompter::openFile(const FileDialogSpec &fd) {
    PromptRecord r{PromptRecord::OpenFile, fd.title};
    r.file = fd;
    log.append(r);
    if (onPrompt) onPrompt(r);
    if (files.empty()) {
        unexpected << QStringLiteral("openFile: ") + fd.title;
        return std::nullopt;
    }
    return takeFile();
}

std::optional<QString> ScriptedPrompter::saveFile(const FileDialogSpec &fd) {
    PromptRecord r{PromptRecord::SaveFile, fd.title};
    r.file = fd;
    log.append(r);
    if (onPrompt) onPrompt(r);
    if (files.empty()) {
        unexpected << QStringLiteral("saveFile: ") + fd.title;
        return std::nullopt;
    }
    return takeFile();
}

void ScriptedPrompter::beep() {
    PromptRecord r{PromptRecord::Beep, QString()};
    log.append(r);
    if (onPrompt) onPrompt(r);
}

std::optional<QString> ScriptedPrompter::takeFile() {
    // Copying the optional out of the deque makes GCC warn at -O2 about a
    // maybe-uninitialized QString; taking the text itself does not.
    const bool chosen = files.front().has_value();
    const QString path = chosen ? *files.front() : QString();
    files.pop_front();
    if (!chosen) return std::nullopt;
    return path;
}

int ScriptedPrompter::exec(QDialog &dialog) {
    // The core knows a dialog only by reference: the handler looks inside.
    const PromptRecord r{PromptRecord::Dialog, QString()};
    log.append(r);
    if (onPrompt) onPrompt(r);
    if (dialogs.empty()) {
        unexpected << QStringLiteral("dialog %1").arg(log.size());
        return 0; // rejected
    }
    auto handler = dialogs.front();
    dialogs.pop_front();
    return handler(dialog);
}

QStringList ScriptedPrompter::texts() const {
    QStringList out;
    for (const auto &r : log)
        if (r.kind == PromptRecord::Message || r.kind == PromptRecord::Ask ||
            r.kind == PromptRecord::Choose)
            out << r.text;
    return out;
}

int ScriptedPrompter::beeps() const {
    int n = 0;
    for (const auto &r : log)
        if (r.kind == PromptRecord::Beep) ++n;
    return n;
}
