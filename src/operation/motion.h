#pragma once

// Move Mode: homing, the move to a chosen position, and the program of up to
// 15 position numbers run continuously or step by step, with repeat, dwell,
// Pause and Stop. The procedures keep their established names and order of
// commands; they reach the window only through MotionView, so they run the
// same against the real window or a headless stand-in.
//
// Pause and Stop never cut a move short: they only set a flag that the run
// loop reads at the end of the current move or during the dwell.

#include <QChar>
#include <QObject>
#include <QString>

class QEventLoop;
class FullTimer;
struct AppState;

// "Input position No. by 16bit(Using 1 to F)": a program step that names no
// position.
QString programStepMessage(const AppState &s);

// What the motion procedures need of the main window.
class MotionView {
public:
    virtual ~MotionView() = default;
    // Every motion control except Pause and Stop (resetButton, changeModeButton,
    // timerBox and dwellBox, when Timer is ticked, included).
    virtual void lockMotionControls(bool lock) = 0;
    // Page switching of the whole tab control / of the Selective Motion tab.
    virtual void setMotionTabsEnabled(bool on) = 0;
    virtual void setSelectiveTabEnabled(bool on) = 0;
    // The controller-mode menu.
    virtual void disableModeMenu() = 0;
    // completedLabel.
    virtual void showCompletedPosition(const QString &text) = 0;
    // Program step 1..15: "" or the text of the cell.
    virtual QString programCell(int step) const = 0;
    virtual bool repeatTicked() const = 0;
    virtual bool timerTicked() const = 0;
    virtual bool stepModeSelected() const = 0;
    virtual QString dwellText() const = 0;    // dwellBox
    virtual QString selectedText() const = 0; // selectedBox
    // Pause and Stop count only while moveButton is disabled.
    virtual bool moveButtonEnabled() const = 0;
};

struct MotionState {
    qint16 presentNo = 0; // 0 home, 1..15 a position, -1 unknown
    bool dataLoaded = false;
    qint32 currentPulses = 0;
    qint16 stepIndex = 0; // next program step; 0 before the first run
    bool stepRestart = true;
    bool stopRequest = false;
    bool pauseRequest = false;
    bool dwellDone = false;
};

// What the move-time estimate needs from the controller.
struct MotionDataCache {
    qint32 strokePulses = 0;
    qint16 speedByVel[10] = {}; // [0] is the homing divisor base
    qint16 velOf[16] = {};      // index 1..15
    qint32 pulsesOf[16] = {};   // index 1..15
};

class Motion : public QObject {
    Q_OBJECT
public:
    Motion(AppState &s, MotionView &view, QObject *parent = nullptr);
    ~Motion() override;

    // --- Button clicks ---
    void homeClicked();       // homeButton
    void moveClicked();       // moveButton
    void selectMoveClicked(); // selectedMoveButton
    void pauseClicked();      // pauseButton
    void stopClicked();       // stopButton
    // timerBox cleared: a dwell in progress ends.
    void timerUseCleared();

    // --- Procedures (true success; false a failure, already reported) ---
    bool loadMotionData();
    // Seconds a move to position n (0 = homing) is expected to take; -1 when
    // the cached data make the arithmetic fail.
    float estimateMoveSeconds(int n) const;
    bool takeKnownPosition(int presentNo);
    bool homing();
    bool prepareForMove();
    bool oneMove(QChar d, bool selective = false);
    void selectiveMove();
    void programRun();

    MotionState st;
    MotionDataCache data;
    FullTimer *dwellTimer() const { return dwellTimer_; }

private:
    bool homingFromLoad(); // Homing without its port and mode steps
    bool sendMove(const QString &digit);
    void showMotionError();
    void takeStaleFlag();
    void waitDwell();
    void wake();

    AppState &s_;
    MotionView &view_;
    FullTimer *dwellTimer_;
    QEventLoop *dwellLoop_ = nullptr;
};
