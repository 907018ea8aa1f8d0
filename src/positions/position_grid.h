#pragma once

// positionGrid: the position grid and its floating one-cell editor. The grid
// shows s.positions (grid row r - 1 is position r, grid column c - 1 is table
// column c); an edit is typed into a line box laid over the current cell and
// committed through positions::commitCell, which also does the beeping.

#include <QTableWidget>

struct AppState;
class QLineEdit;
class TypingLimit;

class PositionGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit PositionGrid(AppState &s, QWidget *parent = nullptr);

    // Cell texts from s.positions.
    void redraw();
    // Commits a pending edit; nothing happens when the editor is hidden.
    void commitEdit();
    bool isEditing() const { return editing_; }
    QLineEdit *editor() const { return cellEditor; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void updateGeometries() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startEdit(const QString &text);
    void cancelEdit();
    bool editorKey(int key);
    // Row 1..15, column 1..6.
    void moveTo(int row, int col);
    QRect editRect() const;

    AppState &s_;
    QLineEdit *cellEditor;
    TypingLimit *typingLimit_;
    bool editing_ = false;
    int editRow_ = 1;
    int editCol_ = 1;
};
