#include "positions/position_grid.h"

#include "positions/table_model.h"
#include "state/app_state.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QValidator>

namespace {

constexpr int kLastRow = PositionTable::Rows - 1;
constexpr int kLastCol = PositionTable::Cols - 1;

// The selected block that holds the edited cell, in table numbers; the cell
// alone when the selection has moved away from it.
positions::CellRange selectionAround(const QTableWidget &g, int row, int col) {
    for (const QTableWidgetSelectionRange &r : g.selectedRanges())
        if (r.topRow() + 1 <= row && row <= r.bottomRow() + 1 && r.leftColumn() + 1 <= col &&
            col <= r.rightColumn() + 1)
            return {r.topRow() + 1, r.leftColumn() + 1, r.bottomRow() + 1, r.rightColumn() + 1};
    return {row, col, row, col};
}

bool isEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

// The editor's length limit holds for typing only: a longer text the cell
// already had (a comment from a file) opens whole and may be shortened, but
// never grows past the limit. Like a maximum length, an insertion is cut to
// the room that is left.
class TypingLimit : public QValidator {
public:
    using QValidator::QValidator;
    void start(int limit, qsizetype startLength) {
        limit_ = limit;
        ceiling_ = qMax<qsizetype>(limit, startLength);
    }
    State validate(QString &input, int &pos) const override {
        const qsizetype excess = input.size() - ceiling_;
        if (excess > 0) {
            // What was just inserted ends at the caret; its tail does not fit.
            if (pos < excess) return Invalid;
            input.remove(pos - excess, excess);
            pos -= int(excess);
        }
        ceiling_ = qMax<qsizetype>(limit_, input.size());
        return Acceptable;
    }

private:
    int limit_ = 0;
    mutable qsizetype ceiling_ = 0;
};

PositionGrid::PositionGrid(AppState &s, QWidget *parent) : QTableWidget(parent), s_(s) {
    // Editing goes through the line box below, never Qt's own delegates.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    cellEditor = new QLineEdit(viewport());
    cellEditor->setObjectName(QStringLiteral("cellEditor"));
    cellEditor->setFrame(false);
    cellEditor->hide();
    cellEditor->installEventFilter(this);
    typingLimit_ = new TypingLimit(cellEditor);
    cellEditor->setValidator(typingLimit_);
}

void PositionGrid::redraw() {
    for (int row = 1; row <= kLastRow; ++row)
        for (int col = 1; col <= kLastCol; ++col)
            if (QTableWidgetItem *cell = item(row - 1, col - 1))
                cell->setText(s_.positions.text(row, col));
}

QRect PositionGrid::editRect() const {
    return visualRect(model()->index(editRow_ - 1, editCol_ - 1));
}

void PositionGrid::startEdit(const QString &text) {
    commitEdit();
    const QModelIndex at = currentIndex();
    if (!at.isValid()) return;
    editRow_ = at.row() + 1;
    editCol_ = at.column() + 1;
    // Japanese input only makes sense for the comment; the numbers would
    // otherwise arrive as full-width digits the rules do not read.
    const bool comment = editCol_ == PositionTable::ColComment;
    cellEditor->setAttribute(Qt::WA_InputMethodEnabled, comment);
    cellEditor->setInputMethodHints(comment ? Qt::ImhNone : Qt::ImhLatinOnly);
    typingLimit_->start(positions::editorMaxLength(editCol_), text.size());
    const QVariant cellFont = at.data(Qt::FontRole);
    cellEditor->setFont(cellFont.isValid() ? cellFont.value<QFont>() : font());
    cellEditor->setText(text);
    cellEditor->end(false);
    cellEditor->setGeometry(editRect());
    editing_ = true;
    cellEditor->show();
    cellEditor->setFocus();
}

void PositionGrid::commitEdit() {
    if (!editing_) return;
    editing_ = false;
    const QString text = cellEditor->text();
    // Hiding the box while it has the focus would pass the focus on down the
    // window's chain instead of back to the grid.
    if (cellEditor->hasFocus()) setFocus();
    cellEditor->hide();
    const positions::CommitResult r = positions::commitCell(
        s_, editRow_, editCol_, text, selectionAround(*this, editRow_, editCol_));
    redraw();
    if (currentRow() + 1 != editRow_ || currentColumn() + 1 != editCol_) return;
    clearSelection();
    setRangeSelected(QTableWidgetSelectionRange(r.selection.top - 1, r.selection.left - 1,
                                                r.selection.bottom - 1, r.selection.right - 1),
                     true);
}

void PositionGrid::cancelEdit() {
    editing_ = false;
    setFocus();
    cellEditor->hide();
}

void PositionGrid::moveTo(int row, int col) {
    setCurrentCell(row - 1, col - 1);
}

void PositionGrid::keyPressEvent(QKeyEvent *event) {
    const QModelIndex at = currentIndex();
    if (!at.isValid()) {
        QTableWidget::keyPressEvent(event);
        return;
    }
    const int row = at.row() + 1;
    const int col = at.column() + 1;
    if (isEnter(event->key())) {
        if (col < kLastCol)
            moveTo(row, col + 1);
        else
            moveTo(row % kLastRow + 1, 1);
        return;
    }
    // Keys that type nothing (arrows, paging, function keys) move as usual.
    const QString typed = event->text();
    if (typed.isEmpty() || typed.at(0).unicode() == 127) {
        QTableWidget::keyPressEvent(event);
        return;
    }
    // A printable key replaces the cell's text; Space and the control codes
    // open the cell's text for changing.
    startEdit(typed.at(0).unicode() > 32 ? typed : at.data().toString());
}

void PositionGrid::mouseDoubleClickEvent(QMouseEvent *event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    if (!at.isValid() || event->button() != Qt::LeftButton) {
        QTableWidget::mouseDoubleClickEvent(event);
        return;
    }
    setCurrentIndex(at);
    startEdit(at.data().toString());
}

void PositionGrid::focusInEvent(QFocusEvent *event) {
    commitEdit();
    QTableWidget::focusInEvent(event);
}

void PositionGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    QTableWidget::currentChanged(current, previous);
    if (editing_ && (current.row() + 1 != editRow_ || current.column() + 1 != editCol_))
        commitEdit();
}

void PositionGrid::updateGeometries() {
    QTableWidget::updateGeometries();
    if (editing_) cellEditor->setGeometry(editRect());
}

bool PositionGrid::eventFilter(QObject *watched, QEvent *event) {
    if (watched == cellEditor && event->type() == QEvent::KeyPress &&
        editorKey(static_cast<QKeyEvent *>(event)->key()))
        return true;
    return QTableWidget::eventFilter(watched, event);
}

// Enter, Escape, Up, Down and Right end the edit; every other key (Left
// included) edits the text.
bool PositionGrid::editorKey(int key) {
    const int row = editRow_;
    const int col = editCol_;
    const auto finish = [this] {
        setFocus(); // the grid taking the focus commits
        commitEdit();
    };
    if (key == Qt::Key_Escape) {
        cancelEdit();
    } else if (isEnter(key)) {
        finish();
        // The mm column is derived from the pulses, so Enter passes it by.
        if (col == PositionTable::ColPulse || col == PositionTable::ColMm)
            moveTo(row, PositionTable::ColComment);
        else if (col == PositionTable::ColComment)
            moveTo(row % kLastRow + 1, 1);
        else
            moveTo(row, col + 1);
    } else if (key == Qt::Key_Up) {
        finish();
        moveTo(row == 1 ? kLastRow : row - 1, col);
    } else if (key == Qt::Key_Down) {
        finish();
        moveTo(row % kLastRow + 1, col);
    } else if (key == Qt::Key_Right) {
        finish();
        moveTo(row, col == kLastCol ? 1 : col + 1);
    } else {
        return false;
    }
    return true;
}
