#include "ui/program_grid.h"

#include "state/app_state.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace {

bool isEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool isPositionChar(QChar c) {
    return (c >= u'1' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

bool isStepCell(const QModelIndex &i) {
    return i.isValid() && i.row() == 1 && i.column() >= 1;
}

} // namespace

ProgramGrid::ProgramGrid(AppState &s, QWidget *parent) : QTableWidget(parent), s_(s) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the grid like any other control instead of walking its cells.
    setTabKeyNavigation(false);
    stepEditor = new QLineEdit(viewport());
    stepEditor->setObjectName(QStringLiteral("stepEditor"));
    stepEditor->setFrame(false);
    stepEditor->setAlignment(Qt::AlignCenter);
    // No paste menu: the key filter is the only way in.
    stepEditor->setContextMenuPolicy(Qt::NoContextMenu);
    stepEditor->setAttribute(Qt::WA_InputMethodEnabled, false);
    stepEditor->hide();
    stepEditor->installEventFilter(this);
}

void ProgramGrid::store(const QString &text) {
    const QString t = text.toUpper();
    if (writeCell)
        writeCell(editStep_, t);
    else if (QTableWidgetItem *cell = item(1, editStep_))
        cell->setText(t);
}

void ProgramGrid::startEdit(const QString &text) {
    const QModelIndex at = currentIndex();
    if (!isStepCell(at)) return;
    editStep_ = at.column();
    stepEditor->setText(text);
    stepEditor->end(false);
    stepEditor->setGeometry(visualRect(at));
    editing_ = true;
    stepEditor->show();
    stepEditor->setFocus();
}

void ProgramGrid::hideEditor() {
    editing_ = false;
    // Hiding the box while it has the focus would pass the focus on down the
    // window's chain instead of back to the grid.
    if (stepEditor->hasFocus()) setFocus();
    stepEditor->hide();
}

void ProgramGrid::commitEdit() {
    if (!editing_) return;
    store(stepEditor->text());
    hideEditor();
    stepEditor->clear();
}

void ProgramGrid::keyPressEvent(QKeyEvent *event) {
    const QString typed = event->text();
    const int key = event->key();
    if (typed.isEmpty() || typed.at(0).unicode() == 127 || key == Qt::Key_Tab ||
        key == Qt::Key_Backtab || !isStepCell(currentIndex())) {
        QTableWidget::keyPressEvent(event);
        return;
    }
    const QChar c = typed.at(0);
    if (c.unicode() <= 32)
        startEdit(currentIndex().data().toString());
    else if (isPositionChar(c))
        startEdit(QString(c.toUpper()));
    else
        startEdit(stepEditor->text());
}

void ProgramGrid::mousePressEvent(QMouseEvent *event) {
    // The headings are not cells the user can stand on.
    if (!isStepCell(indexAt(event->position().toPoint()))) {
        setFocus();
        commitEdit();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

void ProgramGrid::mouseDoubleClickEvent(QMouseEvent *event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    if (!isStepCell(at) || event->button() != Qt::LeftButton) return;
    setCurrentIndex(at);
    startEdit(at.data().toString());
}

void ProgramGrid::focusInEvent(QFocusEvent *event) {
    commitEdit();
    QTableWidget::focusInEvent(event);
}

// Leaving the cell with the box open takes one character and nothing else.
void ProgramGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    QTableWidget::currentChanged(current, previous);
    if (!editing_ || current.column() == editStep_) return;
    const QString text = stepEditor->text().trimmed();
    if (text.size() == 1) {
        store(text);
    } else {
        store(QString());
        s_.prompter.beep();
    }
    hideEditor();
}

QModelIndex ProgramGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex i = QTableWidget::moveCursor(action, modifiers);
    if (!i.isValid()) return i;
    return model()->index(1, qMax(1, i.column()));
}

void ProgramGrid::updateGeometries() {
    QTableWidget::updateGeometries();
    if (editing_) stepEditor->setGeometry(visualRect(model()->index(1, editStep_)));
}

bool ProgramGrid::eventFilter(QObject *watched, QEvent *event) {
    if (watched == stepEditor && event->type() == QEvent::KeyPress &&
        editorKey(static_cast<QKeyEvent *>(event)))
        return true;
    return QTableWidget::eventFilter(watched, event);
}

// True when the key is used up here rather than typed into the box.
bool ProgramGrid::editorKey(QKeyEvent *event) {
    const int key = event->key();
    const int step = editStep_;
    if (isEnter(key) || key == Qt::Key_Right) {
        setFocus(); // the grid taking the focus takes the edit
        commitEdit();
        setCurrentCell(1, step % Steps + 1);
        return true;
    }
    if (key == Qt::Key_Left) {
        if (step > 1) {
            setCurrentCell(1, step - 1);
            return true;
        }
        return false;
    }
    if (key == Qt::Key_Escape) {
        editing_ = false;
        stepEditor->hide();
        setFocus();
        return true;
    }
    if (key == Qt::Key_Backspace) return false;
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) return true;
    const QString typed = event->text();
    if (typed.isEmpty() || typed.at(0).unicode() == 127) return false;
    if (!stepEditor->text().isEmpty()) return true;
    return !(typed.size() == 1 && isPositionChar(typed.at(0)) &&
             !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)));
}
