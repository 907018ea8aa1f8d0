#include "ui/message_prompter.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>

// Every message and question, one line each, for a support session or a
// headless check: QT_LOGGING_RULES="tzc3.prompts.info=true".
Q_LOGGING_CATEGORY(lcPrompts, "tzc3.prompts", QtWarningMsg)

namespace {

QMessageBox::Icon qtIcon(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::Exclamation:
        return QMessageBox::Warning;
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QWidget *MessagePrompter::parent() const {
    if (parent_) return parent_;
    return QApplication::activeWindow();
}

void MessagePrompter::message(const QString &text, PromptIcon icon) {
    qCInfo(lcPrompts).noquote() << text;
    QMessageBox box(qtIcon(icon), defaultTitle(), text, QMessageBox::Ok, parent());
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

PromptAnswer MessagePrompter::ask(const QString &text, PromptButtons buttons, PromptIcon icon) {
    qCInfo(lcPrompts).noquote() << text;
    QMessageBox box(qtIcon(icon), defaultTitle(), text, QMessageBox::NoButton, parent());
    struct B {
        QMessageBox::StandardButton b;
        PromptAnswer a;
        const char *ja;
        const char *en;
    };
    QList<B> list;
    switch (buttons) {
    case PromptButtons::Ok:
        list = {{QMessageBox::Ok, PromptAnswer::Ok, "OK", "OK"}};
        break;
    case PromptButtons::OkCancel:
        list = {{QMessageBox::Ok, PromptAnswer::Ok, "OK", "OK"},
                {QMessageBox::Cancel, PromptAnswer::Cancel, "キャンセル", "Cancel"}};
        break;
    case PromptButtons::YesNo:
        list = {{QMessageBox::Yes, PromptAnswer::Yes, "はい(&Y)", "&Yes"},
                {QMessageBox::No, PromptAnswer::No, "いいえ(&N)", "&No"}};
        break;
    case PromptButtons::YesNoCancel:
        list = {{QMessageBox::Yes, PromptAnswer::Yes, "はい(&Y)", "&Yes"},
                {QMessageBox::No, PromptAnswer::No, "いいえ(&N)", "&No"},
                {QMessageBox::Cancel, PromptAnswer::Cancel, "キャンセル", "Cancel"}};
        break;
    }
    for (const B &b : list) {
        box.addButton(b.b);
        box.button(b.b)->setText(QString::fromUtf8(japanese_ ? b.ja : b.en));
    }
    box.setDefaultButton(list.first().b);
    const int r = box.exec();
    for (const B &b : list)
        if (r == b.b) return b.a;
    // Closing the box counts as its cancelling answer.
    if (buttons == PromptButtons::YesNo) return PromptAnswer::No;
    if (buttons == PromptButtons::Ok) return PromptAnswer::Ok;
    return PromptAnswer::Cancel;
}

int MessagePrompter::choose(const QString &title, const QString &text, const QStringList &buttons) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent());
    QList<QAbstractButton *> made;
    for (const QString &caption : buttons)
        made << box.addButton(caption, QMessageBox::ActionRole);
    box.exec();
    return int(made.indexOf(box.clickedButton()));
}

QString MessagePrompter::qtFilter(const QString &classic) {
    const QStringList parts = classic.split(u'|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString desc = parts[i];
        const QString pattern = QString(parts[i + 1]).replace(u';', u' ');
        out << (desc.endsWith(QLatin1Char(')')) && desc.contains(pattern)
                    ? desc
                    : desc + QStringLiteral(" (") + pattern + u')');
    }
    return out.join(QStringLiteral(";;"));
}

void MessagePrompter::setUpFileDialog(QFileDialog &dlg, const FileDialogSpec &fd, bool save) {
    dlg.setWindowTitle(fd.title);
    if (!fd.initialDir.isEmpty()) dlg.setDirectory(fd.initialDir);
    dlg.setNameFilter(qtFilter(fd.filter));
    dlg.setDefaultSuffix(fd.defaultExt);
    if (save) {
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        if (!fd.overwritePrompt) dlg.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(fd.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    if (!fd.initialName.isEmpty()) dlg.selectFile(fd.initialName);
}

std::optional<QString> MessagePrompter::fileDialog(const FileDialogSpec &fd, bool save) {
    QFileDialog dlg(parent());
    setUpFileDialog(dlg, fd, save);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().first();
}

std::optional<QString> MessagePrompter::openFile(const FileDialogSpec &fd) {
    return fileDialog(fd, false);
}

std::optional<QString> MessagePrompter::saveFile(const FileDialogSpec &fd) {
    return fileDialog(fd, true);
}

void MessagePrompter::beep() {
    QApplication::beep();
}

int MessagePrompter::exec(QDialog &dialog) {
    return dialog.exec();
}
