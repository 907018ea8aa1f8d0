#include "sim_model.h"

#include <QStringList>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

const QByteArray kCrLf = "\r\n";

// Factory blocks: a 100 mm stroke with lead 2 and 400 pulses per turn
// (20000 pulses), no output after homing, pushing 20, offset 0, VEL1-3 at
// 10/20/30 (stored times 4), homing and offset velocity 5, pushing homing.
const QByteArray kFactory00 = "FF00140000FFFFFF";
const QByteArray kFactory10 = "004E2002020202FF";
const QByteArray kFactory11 = "285078050501FFFF";

bool isHex(const QByteArray &s) {
    for (char c : s)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

int hexValue(const QByteArray &s) {
    bool ok = false;
    const int v = s.toInt(&ok, 16);
    return ok ? v : -1;
}

QByteArray hex(int value, int width) {
    const qint64 max = (qint64(1) << (4 * width)) - 1;
    const qint64 v = std::clamp<qint64>(value, 0, max);
    return QByteArray::number(v, 16).toUpper().rightJustified(width, '0');
}

char hexDigit(int v) {
    return "0123456789ABCDEF"[v & 15];
}

// Halves go to the even neighbour, as the program rounds the speed bytes.
int roundQuarter(int byte) {
    const int q = byte / 4, r = byte % 4;
    if (r < 2) return q;
    if (r > 2) return q + 1;
    return q % 2 == 0 ? q : q + 1;
}

const char *const kInputNames[] = {"home", "strobe", "stop", "emg", "pos1", "pos2", "pos4", "pos8"};

} // namespace

SimModel::SimModel() {
    powerOn();
}

void SimModel::powerOn() {
    table_.fill(SimPosition{});
    block00_ = kFactory00;
    block10_ = kFactory10;
    block11_ = kFactory11;
    present_ = 0;
    homed_ = false;
    inPosition_ = false;
    outputs_ = 0;
    options_ = 0;
    commMode_ = false;
    alarm_.clear();
    inputs_.fill(false);
    failHoming_ = false;
    hangMove_ = false;
    moveAlarm_.clear();
    move_.reset();
}

SimModel::Reply SimModel::error(const char *code) const {
    Reply r;
    r.bytes = QByteArray("0%%") + code + kCrLf;
    return r;
}

SimModel::Reply SimModel::answer(const QByteArray &body) const {
    Reply r;
    r.bytes = body + kCrLf;
    return r;
}

QByteArray SimModel::entryText(int n) const {
    const SimPosition &p = table_.at(n);
    QByteArray e;
    e += hexDigit(n);
    e += hexDigit(p.vel);
    e += hexDigit(p.acc);
    e += hexDigit(p.out);
    e += char('0' + qBound(0, p.bk, 9));
    e += hex(p.pulses, 6);
    return e;
}

SimModel::Reply SimModel::handle(const QByteArray &line) {
    if (line.isEmpty()) return {};

    // Reset works in any state and never answers: the controller restarts.
    if (line == "0CM3") {
        move_.reset();
        homed_ = false;
        inPosition_ = false;
        outputs_ = 0;
        commMode_ = false;
        clearAlarm();
        return {};
    }

    if (!alarm_.isEmpty()) {
        if (line == "0%C") clearAlarm();
        if (!alarm_.isEmpty()) return error(alarm_.toLatin1().constData());
        return answer("0%C00");
    }

    // Anything the controller does not understand, or a known command with
    // data of the wrong form, is refused as an invalid command.
    const Reply invalid = error("0D");
    if (line.size() < 3) return invalid;
    const QByteArray head = line.left(3);
    const QByteArray data = line.mid(3).toUpper();
    const bool hexData = isHex(data);

    if (head == "0RD") {
        if (data.size() != 2 || !hexData) return invalid;
        const QByteArray b = block(data);
        if (b.isEmpty()) return invalid;
        return answer(head + data + b);
    }
    if (head == "0WD") {
        if (data.size() != 18 || !hexData) return invalid;
        if (!setBlock(data.left(2), data.mid(2))) return invalid;
        return answer(head + data);
    }
    if (head == "0RP") {
        const int n = hexValue(data);
        if (data.size() != 1 || n < 1) return invalid;
        return answer(head + entryText(n));
    }
    if (head == "0WP") {
        if (data.size() != 11 || !hexData) return invalid;
        const int n = hexValue(data.left(1));
        SimPosition p;
        p.vel = hexValue(data.mid(1, 1));
        p.acc = hexValue(data.mid(2, 1));
        p.out = hexValue(data.mid(3, 1));
        p.bk = data.at(4) - '0';
        p.pulses = hexValue(data.mid(5, 6));
        if (n < 1 || p.vel < 1 || p.vel > 3 || p.acc < 1 || p.acc > 3 || p.out > 3 || p.bk < 0 ||
            p.bk > 3)
            return invalid;
        table_.at(n) = p;
        return answer(head + data);
    }
    if (head == "0MP") {
        if (data.size() != 1 || !hexData) return invalid;
        return startMove(hexValue(data), true);
    }
    if (head == "0RC") {
        if (!data.isEmpty()) return invalid;
        return answer(head + "00000" + hex(present_, 6));
    }
    if (head == "0RB") {
        if (data.size() != 3 || !hexData) return invalid;
        int status = 0;
        if (data == "138") status = 1 | (inPosition_ ? 2 : 0) | (homed_ ? 4 : 0) | (move_ ? 8 : 0);
        return answer(head + data + hex(status, 2));
    }
    if (head == "0RS") {
        if (!data.isEmpty()) return invalid;
        return answer(head + char('0' + outputs_) + char('0' + options_));
    }
    if (head == "0WS") {
        if (data.size() != 2 || data[0] < '0' || data[0] > '3' || data[1] < '0' || data[1] > '3')
            return invalid;
        outputs_ = data[0] - '0';
        options_ = data[1] - '0';
        return answer(head + data);
    }
    if (head == "0%C") {
        if (!data.isEmpty()) return invalid;
        return answer("0%C00");
    }
    if (head == "0RV") {
        if (!data.isEmpty()) return invalid;
        return answer(head + version_);
    }
    if (head == "0CM") {
        if (data != "0" && data != "1") return invalid;
        commMode_ = data == "1";
        return answer(head + data);
    }
    return invalid;
}

SimModel::Reply SimModel::startMove(int n, bool answered) {
    Move m;
    m.from = present_;
    if (n == 0) {
        m.homing = true;
        m.to = 0;
        m.out = qBound(0, hexValue(block00_.mid(2, 1)), 3);
        m.options = qBound(0, hexValue(block00_.mid(3, 1)), 3);
    } else {
        const SimPosition &p = table_.at(n);
        if (!homed_) return error("0A");
        if (p.vel == 0) return error("01");
        if (p.pulses > strokePulses()) return error("02");
        m.to = p.pulses;
        m.out = p.out;
        m.options = p.bk;
    }

    Reply r;
    int ms =
        m.homing ? homingMs(std::abs(m.from)) : moveMs(std::abs(m.to - m.from), table_.at(n).vel);
    if (m.homing && failHoming_) {
        // It searched the whole stroke without finding the sensor.
        failHoming_ = false;
        m.alarm = "0B";
        ms = homingMs(strokePulses());
    } else if (!moveAlarm_.isEmpty()) {
        m.alarm = moveAlarm_;
        moveAlarm_.clear();
        ms /= 2;
    }
    if (hangMove_) {
        hangMove_ = false;
        r.hang = true;
    }

    if (!m.alarm.isEmpty())
        r.bytes = "0%%" + m.alarm.toLatin1() + kCrLf;
    else if (m.homing)
        r.bytes =
            "0MP000" + QByteArray(1, hexDigit(m.out)) + char('0' + m.options) + "000000" + kCrLf;
    else
        r.bytes = "0MP" + entryText(n) + kCrLf;
    if (!answered || r.hang) r.bytes.clear();

    m.id = nextMoveId_++;
    move_ = m;
    inPosition_ = false;
    r.delayMs = ms;
    r.moveId = m.id;
    return r;
}

bool SimModel::finishMove(quint32 id) {
    if (!move_ || move_->id != id) return false;
    const Move m = *move_;
    move_.reset();
    if (!m.alarm.isEmpty()) {
        present_ = m.from + (m.to - m.from) / 2;
        if (m.homing) homed_ = false;
        raiseAlarm(m.alarm);
        return true;
    }
    present_ = m.to;
    inPosition_ = true;
    outputs_ = m.out;
    options_ = m.options;
    if (m.homing) homed_ = true;
    return true;
}

void SimModel::abortMove(double fraction) {
    if (!move_) return;
    const Move m = *move_;
    move_.reset();
    present_ = m.from + int(std::lround((m.to - m.from) * qBound(0.0, fraction, 1.0)));
    inPosition_ = false;
    if (m.homing) homed_ = false;
}

SimModel::Reply SimModel::externalStart() {
    if (commMode_ || !alarm_.isEmpty() || move_) return {};
    int n = 0;
    if (inputs_[int(SimInput::Pos1)]) n |= 1;
    if (inputs_[int(SimInput::Pos2)]) n |= 2;
    if (inputs_[int(SimInput::Pos4)]) n |= 4;
    if (inputs_[int(SimInput::Pos8)]) n |= 8;
    Reply r = startMove(n, false);
    if (r.moveId == 0) {
        // Refused in external start mode: the controller shows the alarm.
        raiseAlarm(QString::fromLatin1(r.bytes.mid(3, 2)));
        return {};
    }
    return r;
}

void SimModel::raiseAlarm(const QString &code) {
    abortMove(0);
    alarm_ = code.toUpper().left(2).rightJustified(2, '0');
    inPosition_ = false;
}

void SimModel::clearAlarm() {
    alarm_.clear();
    // The emergency stop cannot be cleared while its input is still active.
    if (inputs_[int(SimInput::Emg)]) alarm_ = "0E";
}

void SimModel::setInput(SimInput in, bool active) {
    inputs_[int(in)] = active;
    if (in == SimInput::Emg && active) raiseAlarm("0E");
}

std::optional<SimInput> SimModel::inputByName(const QString &name) {
    for (int i = 0; i < 8; ++i)
        if (name.compare(QLatin1String(kInputNames[i]), Qt::CaseInsensitive) == 0)
            return SimInput(i);
    return std::nullopt;
}

QByteArray SimModel::block(const QByteArray &address) const {
    const QByteArray a = address.toUpper();
    if (a == "00") return block00_;
    if (a == "10") return block10_;
    if (a == "11") return block11_;
    if (a == "20") return inputBlock();
    if (a == "2F") return ioBlock();
    return {};
}

bool SimModel::setBlock(const QByteArray &address, const QByteArray &data) {
    if (data.size() != 16 || !isHex(data)) return false;
    const QByteArray a = address.toUpper();
    QByteArray *b = a == "00" ? &block00_ : a == "10" ? &block10_ : a == "11" ? &block11_ : nullptr;
    if (!b) return false;
    *b = data.toUpper();
    return true;
}

// Inputs are wired active-low: a bit reads 0 while its signal is on.
QByteArray SimModel::inputBlock() const {
    const bool homeSensor = inputs_[int(SimInput::Home)] || (homed_ && present_ == 0 && !move_);
    int in = 0x26;
    if (inputs_[int(SimInput::Strobe)]) in &= ~0x02;
    if (inputs_[int(SimInput::Stop)]) in &= ~0x04;
    if (inputs_[int(SimInput::Emg)]) in &= ~0x20;
    return "0000000000" + hex(homeSensor ? 0x00 : 0x10, 2) + "00" + hex(in, 2);
}

QByteArray SimModel::ioBlock() const {
    int pos = 0xF0;
    if (inputs_[int(SimInput::Pos1)]) pos &= ~0x10;
    if (inputs_[int(SimInput::Pos2)]) pos &= ~0x20;
    if (inputs_[int(SimInput::Pos4)]) pos &= ~0x40;
    if (inputs_[int(SimInput::Pos8)]) pos &= ~0x80;
    const int out = (alarm_.isEmpty() ? 0 : 1) | (inPosition_ ? 2 : 0) | (outputs_ & 1 ? 4 : 0) |
                    (outputs_ & 2 ? 8 : 0);
    return "0000" + hex(pos, 2) + hex(out, 2) + "00000000";
}

int SimModel::blockByte(const QByteArray &address, int index) const {
    return hexValue(block(address).mid(2 * index, 2));
}

int SimModel::strokePulses() const {
    return qMax(0, hexValue(block10_.left(6)));
}

int SimModel::speedForVel(int vel) const {
    if (vel < 1 || vel > 3) return 0;
    return roundQuarter(qMax(0, blockByte("11", vel - 1)));
}

int SimModel::homingByte() const {
    return qMax(0, blockByte("11", 3));
}

int SimModel::moveMs(int distance, int vel) const {
    const double seconds = distance / (qMax(1, speedForVel(vel)) * 166.0);
    return int(std::lround(seconds * 1000 * kMoveShare * timeScale_));
}

// Homing runs back to the sensor from wherever the slider is, then pushes
// briefly; the program allows for a run over the whole stroke.
int SimModel::homingMs(int distance) const {
    const int divisor = qMax(1, 1600 / qMax(1, homingByte()));
    const double seconds = double(distance) / divisor + 0.2;
    return int(std::lround(seconds * 1000 * kMoveShare * timeScale_));
}

QString SimModel::describe() const {
    auto onOff = [](bool b) { return b ? QStringLiteral("on") : QStringLiteral("off"); };
    QStringList s;
    s << QStringLiteral("mode: %1").arg(commMode_ ? "communication" : "external start");
    s << QStringLiteral("alarm: %1").arg(alarm_.isEmpty() ? QStringLiteral("none") : alarm_);
    s << QStringLiteral("homed: %1, present position: %2 pulses, in position: %3, moving: %4")
             .arg(homed_ ? "yes" : "no")
             .arg(present_)
             .arg(inPosition_ ? "yes" : "no")
             .arg(move_ ? QStringLiteral("to %1").arg(move_->to) : QStringLiteral("no"));
    s << QStringLiteral("outputs: OUT1 %1, OUT2 %2, brake %3, current down %4")
             .arg(onOff(outputs_ & 1), onOff(outputs_ & 2), onOff(options_ & 1),
                  onOff(options_ & 2));
    QStringList ins;
    for (int i = 0; i < 8; ++i)
        ins << QStringLiteral("%1 %2").arg(QLatin1String(kInputNames[i]), onOff(inputs_[i]));
    s << QStringLiteral("inputs: ") + ins.join(", ");
    s << QStringLiteral("blocks: 00 %1, 10 %2, 11 %3")
             .arg(QString::fromLatin1(block00_), QString::fromLatin1(block10_),
                  QString::fromLatin1(block11_));
    s << QStringLiteral("stroke %1 pulses, VEL1-3 speeds %2/%3/%4, homing velocity %5")
             .arg(strokePulses())
             .arg(speedForVel(1))
             .arg(speedForVel(2))
             .arg(speedForVel(3))
             .arg(homingByte());
    s << QStringLiteral("version: %1, move time scale: %2")
             .arg(QString::fromLatin1(version_))
             .arg(timeScale_);
    s << QStringLiteral("positions (No. VEL ACC OUT BK pulses):");
    for (int n = 1; n <= 15; ++n) {
        const SimPosition &p = table_.at(n);
        if (p.vel == 0)
            s << QStringLiteral("  %1  not set").arg(QChar(hexDigit(n)));
        else
            s << QStringLiteral("  %1  %2 %3 %4 %5 %6")
                     .arg(QChar(hexDigit(n)))
                     .arg(p.vel)
                     .arg(p.acc)
                     .arg(p.out)
                     .arg(p.bk)
                     .arg(p.pulses);
    }
    return s.join('\n');
}
