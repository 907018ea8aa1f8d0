#pragma once

// View > Communication Log: a window beside the main window listing what the
// communication log holds, newest at the bottom: time, direction, the line
// with its CR LF made visible, the reply's time and what an entry means.
// Time-outs, wrong replies, error replies, the probe and the port's events
// stand out in their own colours.
//
// The window only shows: the log records whether it is open or not. It
// catches up with the log at most ten times a second, and once a second
// while an operation talks to the controller, so that drawing never holds up
// the reading of a reply; Pause freezes the view while recording goes on.

#include <QWidget>

struct AppState;
class LogModel;
class QAbstractItemModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

class CommunicationLogWindow : public QWidget {
    Q_OBJECT
public:
    explicit CommunicationLogWindow(AppState &s, QWidget *parent = nullptr);
    ~CommunicationLogWindow() override;

    // Brings the view up to the log now (the timer does it otherwise).
    void catchUp();
    // The rows shown, as a text file would hold them.
    QString shownText() const;
    // Selected rows (all shown rows when none is selected) to the clipboard.
    void copySelection();
    // Save dialog, then the shown rows as text or, for a .csv name, CSV.
    void saveShown();

    QTableView *view() const { return view_; }
    QAbstractItemModel *model() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void scheduleCatchUp();
    void refilter();
    void showCount();

    AppState &s_;
    LogModel *model_;
    QTableView *view_;
    QCheckBox *hidePollingBox_;
    QLineEdit *searchBox_;
    QPushButton *pauseButton_;
    QPushButton *clearButton_;
    QPushButton *copyButton_;
    QPushButton *saveButton_;
    QLabel *countLabel_;
    QTimer *catchUpTimer_;
};

// Opens the window (one per main window) or brings it to the front.
CommunicationLogWindow *showCommunicationLog(AppState &s, QWidget *mainWindow);
