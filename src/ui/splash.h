#pragma once

#include <QWidget>

// The splash window shown while the program starts.
class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget *parent = nullptr);
    static QString versionText();
};
