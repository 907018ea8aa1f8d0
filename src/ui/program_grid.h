#pragma once

// programGrid: the motion program grid and its one-character editor. Row 1,
// columns 1..15 hold the program steps; row 0 and column 0 are headings the
// cursor never enters. A key typed on the grid opens a small box over the
// current cell; only position digits "1"-"9" and "A"-"F" go in.

#include <QTableWidget>
#include <functional>

struct AppState;
class QLineEdit;

class ProgramGrid : public QTableWidget {
    Q_OBJECT
public:
    static constexpr int Steps = 15;

    explicit ProgramGrid(AppState &s, QWidget *parent = nullptr);

    // Writes a step's text (the window keeps its copy of the program too).
    std::function<void(int step, const QString &text)> writeCell;

    // Takes a pending edit into its cell, as the grid regaining the focus
    // does; nothing happens when the editor is hidden.
    void commitEdit();
    bool isEditing() const { return editing_; }
    QLineEdit *editor() const { return stepEditor; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void updateGeometries() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startEdit(const QString &text);
    void hideEditor();
    void store(const QString &text);
    bool editorKey(QKeyEvent *event);

    AppState &s_;
    QLineEdit *stepEditor;
    bool editing_ = false;
    int editStep_ = 1;
};
