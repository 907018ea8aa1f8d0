#pragma once

// Behavioural model of the position controller: what it stores, how it
// answers a command line and how long it works before answering. No I/O and
// no clock: SimServer owns the wire and the timing, the model only says
// "send this after that many milliseconds" and is told when a move ends.

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

// One entry of the controller's position table.
struct SimPosition {
    int vel = 0; // 0 = never written
    int acc = 0;
    int out = 0;
    int bk = 0; // brake and current-down digit
    int pulses = 0;
    bool operator==(const SimPosition &) const = default;
};

enum class SimInput { Home, Strobe, Stop, Emg, Pos1, Pos2, Pos4, Pos8 };

class SimModel {
public:
    struct Reply {
        QByteArray bytes;   // what to send, CR LF included; empty = nothing
        int delayMs = 0;    // how long the controller works before answering
        quint32 moveId = 0; // non-zero: a motion; finishMove(moveId) when it ends
        bool hang = false;  // a motion that never ends
    };

    SimModel();
    void powerOn(); // factory contents, not homed, no alarm

    // One command line without its CR LF.
    Reply handle(const QByteArray &line);
    // The motion with this id has reached its end: apply its end state.
    // False when it was abandoned meanwhile.
    bool finishMove(quint32 id);
    // Stop the running motion after the given fraction of its way.
    void abortMove(double fraction);
    quint32 runningMove() const { return move_ ? move_->id : 0; }

    // Strobe in external start mode: start the move chosen by the position
    // inputs (no reply goes out for it). Empty reply when nothing starts.
    Reply externalStart();

    // State, for scripting and tests.
    SimPosition position(int n) const { return table_.at(n); }
    void setPosition(int n, const SimPosition &p) { table_.at(n) = p; }
    QByteArray block(const QByteArray &address) const;
    bool setBlock(const QByteArray &address, const QByteArray &data);
    int presentPulses() const { return present_; }
    void setPresentPulses(int p) { present_ = p; }
    bool homed() const { return homed_; }
    void setHomed(bool h) { homed_ = h; }
    bool inPosition() const { return inPosition_; }
    int outputDigit() const { return outputs_; }
    int optionDigit() const { return options_; }
    bool communicationMode() const { return commMode_; }
    QString alarm() const { return alarm_; }
    void raiseAlarm(const QString &code);
    void clearAlarm();
    void setInput(SimInput in, bool active);
    bool input(SimInput in) const { return inputs_[int(in)]; }
    static std::optional<SimInput> inputByName(const QString &name);
    QByteArray version() const { return version_; }
    void setVersion(const QByteArray &v) { version_ = v.left(3).leftJustified(3, ' '); }

    double moveTimeScale() const { return timeScale_; }
    void setMoveTimeScale(double s) { timeScale_ = s < 0 ? 0 : s; }

    // One-shot faults for the next motion.
    void failNextHoming() { failHoming_ = true; }
    void alarmDuringNextMove(const QString &code) { moveAlarm_ = code; }
    void neverFinishNextMove() { hangMove_ = true; }

    // Values the motion timing is derived from.
    int strokePulses() const;
    int speedForVel(int vel) const;
    int homingByte() const;
    int moveMs(int distance, int vel) const;
    int homingMs(int distance) const;

    QString describe() const;

    // Share of the program's own time estimate that a healthy move takes.
    static constexpr double kMoveShare = 0.7;

private:
    struct Move {
        quint32 id = 0;
        int from = 0;
        int to = 0;
        bool homing = false;
        QString alarm; // ends in this alarm instead of arriving
        int out = 0;
        int options = 0;
    };

    Reply startMove(int n, bool answered);
    Reply error(const char *code) const;
    Reply answer(const QByteArray &body) const;
    QByteArray entryText(int n) const;
    QByteArray inputBlock() const;
    QByteArray ioBlock() const;
    int blockByte(const QByteArray &address, int index) const;

    std::array<SimPosition, 16> table_{}; // index 1 to 15
    QByteArray block00_, block10_, block11_;
    QByteArray version_ = "1.2";
    int present_ = 0;
    bool homed_ = false;
    bool inPosition_ = false;
    int outputs_ = 0;
    int options_ = 0;
    bool commMode_ = false;
    QString alarm_;
    std::array<bool, 8> inputs_{};
    double timeScale_ = 1.0;
    bool failHoming_ = false;
    bool hangMove_ = false;
    QString moveAlarm_;
    std::optional<Move> move_;
    quint32 nextMoveId_ = 1;
};
