#pragma once

// statusFrame: the main window's status frame. The device in use with its
// old-type marker and Change, the file name, the port, home and alarm lamps
// with the alarm number and text, and Reset.
//
// The frame shows what the run-wide state holds; what Change and Reset do,
// and when they may be pressed, is the main window's, which is why the
// controls are public.

#include <QGroupBox>

struct AppState;
class Lamp;
class QFrame;
class QLabel;
class QPushButton;

class StatusPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit StatusPanel(AppState &s, QWidget *parent = nullptr);

    // Model name, type selector and old-type marker of s.device.
    void showDevice();
    // Type selector and old-type marker alone.
    void showDeviceType();
    // s.fileLabel.
    void showFileLabel();
    // Port, home and alarm lamps, alarm number and text from s.link.
    void showIndicators();
    // Why the port could not be opened (empty: it did not fail) in the
    // port lamp's tip, below the lamp's own explanation.
    void showPortFailure(const QString &failure);

    QLabel *deviceCaption = nullptr;
    QLabel *deviceLabel = nullptr;
    QFrame *typeArea = nullptr;
    QLabel *oldTypeMarker = nullptr;
    QPushButton *changeDeviceButton = nullptr;
    QLabel *fileNameCaption = nullptr;
    QLabel *fileNameLabel = nullptr;
    QPushButton *resetButton = nullptr;
    QLabel *homeCaption = nullptr;
    Lamp *homeLampImage = nullptr;
    QLabel *portCaption = nullptr;
    Lamp *portLampImage = nullptr;
    QLabel *alarmCaption = nullptr;
    Lamp *alarmLampImage = nullptr;
    QLabel *alarmNoCaption = nullptr;
    QLabel *alarmNoLabel = nullptr;
    QLabel *errorTextLabel = nullptr;

private:
    QString tx(const char *ja, const char *en) const;
    QString portTip() const;

    AppState &s_;
};
