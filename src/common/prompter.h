#pragma once

// Every message, question, file dialog, beep and modal dialog the program
// shows goes through a Prompter. The real one uses Qt's dialogs; tests use
// ScriptedPrompter, which records each prompt with its exact text, buttons
// and icon and answers from a queue, so every rule that talks to the user is
// testable without a screen.

#include <QString>
#include <QStringList>
#include <optional>

class QDialog;

enum class PromptIcon { None, Information, Question, Exclamation, Critical };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

// A file dialog as the program describes it. The filter uses the classic
// "Description|pattern|Description|pattern" form.
struct FileDialogSpec {
    QString title;
    QString filter;
    QString defaultExt;
    QString initialName;
    QString initialDir;
    bool mustExist = false;
    bool overwritePrompt = false;
};

class Prompter {
public:
    virtual ~Prompter() = default;

    // A message box with an OK button.
    virtual void message(const QString &text, PromptIcon icon = PromptIcon::None) = 0;
    // A question; the answer is one of the buttons offered.
    virtual PromptAnswer ask(const QString &text, PromptButtons buttons,
                             PromptIcon icon = PromptIcon::Question) = 0;
    // A box with custom buttons (captions left to right); returns the index
    // of the button pressed, or -1 when the box was closed otherwise.
    virtual int choose(const QString &title, const QString &text, const QStringList &buttons) = 0;
    // File dialogs: the chosen full path, or nullopt when cancelled.
    virtual std::optional<QString> openFile(const FileDialogSpec &fd) = 0;
    virtual std::optional<QString> saveFile(const FileDialogSpec &fd) = 0;
    virtual void beep() = 0;
    // Runs a modal dialog and returns its result code (QDialog::Accepted or
    // Rejected). Tests answer it by operating the dialog's widgets.
    virtual int exec(QDialog &dialog) = 0;

    // Title of every message box.
    static QString defaultTitle() { return QStringLiteral("TZ-C3"); }
};
