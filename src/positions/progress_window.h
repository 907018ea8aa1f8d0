#pragma once

// ProgressWindow: the small modeless window shown while positions travel to or
// from the controller, with a caption and a progress bar.

#include "positions/position_view.h"

#include <QWidget>

class QLabel;
class QProgressBar;
struct AppState;

class ProgressWindow : public QWidget, public ProgressDisplay {
    Q_OBJECT
public:
    explicit ProgressWindow(const AppState &s, QWidget *parent = nullptr);

    void openWindow() override;
    void closeWindow() override;
    void setMaximum(int maximum) override;
    void setValue(int value) override;
    void setLabel(const QString &text) override;

    QString labelText() const;
    int maximum() const;
    int value() const;

private:
    QLabel *progressLabel;
    QProgressBar *progressBar;
};
