#pragma once

// The Prompter of the running program: Qt message boxes and file dialogs.

#include "common/prompter.h"

#include <QPointer>
#include <QWidget>

class QFileDialog;

class MessagePrompter : public Prompter {
public:
    explicit MessagePrompter(bool japanese) : japanese_(japanese) {}
    void setParentWidget(QWidget *w) { parent_ = w; }
    void setJapanese(bool j) { japanese_ = j; }

    void message(const QString &text, PromptIcon icon = PromptIcon::None) override;
    PromptAnswer ask(const QString &text, PromptButtons buttons, PromptIcon icon) override;
    int choose(const QString &title, const QString &text, const QStringList &buttons) override;
    std::optional<QString> openFile(const FileDialogSpec &fd) override;
    std::optional<QString> saveFile(const FileDialogSpec &fd) override;
    void beep() override;
    int exec(QDialog &dialog) override;

    // "Desc(*.tpd)|*.tpd|All(*.*)|*.*" -> Qt's "Desc(*.tpd) (*.tpd);;All(*.*) (*.*)".
    static QString qtFilter(const QString &classic);
    // The open (save = false) or save dialog as the program shows it.
    static void setUpFileDialog(QFileDialog &dlg, const FileDialogSpec &fd, bool save);

private:
    std::optional<QString> fileDialog(const FileDialogSpec &fd, bool save);
    QWidget *parent() const;
    bool japanese_;
    QPointer<QWidget> parent_;
};
