#include "sim_server.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {
// 9600 baud, 8N1: ten bit times per character.
constexpr double kCharMs = 10.0 * 1000.0 / 9600.0;
// Gap between the pieces of a split reply: long enough for the client to
// read each piece on its own.
constexpr int kSplitGapMs = 25;
// A line this long without CR or LF is noise; the controller drops it.
constexpr int kMaxLine = 256;
} // namespace

SimServer::SimServer(QObject *parent) : QObject(parent) {
    sendTimer_ = new QTimer(this);
    sendTimer_->setSingleShot(true);
    sendTimer_->setTimerType(Qt::PreciseTimer);
    connect(sendTimer_, &QTimer::timeout, this, &SimServer::pump);
    clock_.start();
}

SimServer::~SimServer() {
    closeFds();
    for (const QString &l : std::as_const(links_))
        if (QFileInfo(l).isSymLink()) QFile::remove(l);
}

double SimServer::now() const {
    return clock_.nsecsElapsed() / 1e6;
}

bool SimServer::start() {
    closeFds();
    const int m = posix_openpt(O_RDWR | O_NOCTTY);
    if (m < 0) return false;
    char name[128];
    if (grantpt(m) != 0 || unlockpt(m) != 0 || ptsname_r(m, name, sizeof name) != 0) {
        ::close(m);
        return false;
    }
    const int s = ::open(name, O_RDWR | O_NOCTTY);
    if (s < 0) {
        ::close(m);
        return false;
    }
    // Raw, so CR and LF pass both ways unchanged and nothing is echoed.
    termios t{};
    if (tcgetattr(s, &t) == 0) {
        cfmakeraw(&t);
        cfsetispeed(&t, B9600);
        cfsetospeed(&t, B9600);
        tcsetattr(s, TCSANOW, &t);
    }
    fcntl(m, F_SETFL, fcntl(m, F_GETFL) | O_NONBLOCK);
    master_ = m;
    slaveKeep_ = s;
    slavePath_ = QString::fromLocal8Bit(name);
    inBuf_.clear();
    notifier_ = new QSocketNotifier(m, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SimServer::onReadable);
    return true;
}

void SimServer::closeFds() {
    delete notifier_;
    notifier_ = nullptr;
    if (master_ >= 0) ::close(master_);
    if (slaveKeep_ >= 0) ::close(slaveKeep_);
    master_ = slaveKeep_ = -1;
    scheduled_.clear();
    wire_.clear();
    sendTimer_->stop();
}

QString SimServer::devicePath() const {
    return slavePath_;
}

bool SimServer::createLink(const QString &path) {
    if (slavePath_.isEmpty()) return false;
    const QFileInfo fi(path);
    if (fi.isSymLink())
        QFile::remove(path);
    else if (fi.exists())
        return false;
    if (!QFile::link(slavePath_, path)) return false;
    links_ << path;
    return true;
}

SimModel &SimServer::model() {
    return model_;
}
QStringList SimServer::log() const {
    return log_;
}
void SimServer::clearLog() {
    log_.clear();
}
bool SimServer::idle() const {
    return scheduled_.isEmpty() && wire_.isEmpty();
}

void SimServer::setPaced(bool on) {
    paced_ = on;
}
void SimServer::setReplyDelay(int ms) {
    replyDelayMs_ = qMax(0, ms);
}
void SimServer::setMoveTimeScale(double s) {
    model_.setMoveTimeScale(s);
}
void SimServer::failNextHoming() {
    model_.failNextHoming();
}
void SimServer::lateNext(int ms) {
    lateNextMs_ = qMax(0, ms);
}

void SimServer::noise(const QByteArray &bytes) {
    Chunk c;
    c.bytes = bytes;
    c.dueMs = now();
    schedule(c);
    pump();
}

void SimServer::garbleNext() {
    garbleNext_ = true;
}
void SimServer::splitNext(int parts) {
    splitNext_ = qMax(0, parts);
}
void SimServer::shortenNext() {
    shortenNext_ = true;
}
void SimServer::lengthenNext() {
    lengthenNext_ = true;
}
void SimServer::silentNext() {
    silentNext_ = true;
}
void SimServer::setSilent(bool on) {
    silent_ = on;
}
void SimServer::neverFinishNextMove() {
    model_.neverFinishNextMove();
}
void SimServer::alarmDuringNextMove(const QString &code) {
    model_.alarmDuringNextMove(code);
}
void SimServer::setReplyFilter(ReplyFilter f) {
    replyFilter_ = std::move(f);
}
void SimServer::dropPort() {
    closeFds();
}

void SimServer::raiseAlarm(const QString &code) {
    alarmRunningMove(code);
    model_.raiseAlarm(code);
}

void SimServer::setInput(const QString &name, bool active) {
    const auto in = SimModel::inputByName(name);
    if (!in) return;
    const bool rising = active && !model_.input(*in);
    if (*in == SimInput::Emg && active) alarmRunningMove("0E");
    model_.setInput(*in, active);
    if (*in == SimInput::Strobe && rising) {
        const SimModel::Reply r = model_.externalStart();
        trackMove(r);
        if (r.moveId) sendReply({}, r.delayMs, r.moveId);
    }
}

void SimServer::onReadable() {
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0) break;
        inBuf_.append(buf, n);
    }
    // Lines end at CR LF; a lone CR or LF also ends one, so lines typed in
    // a terminal work. The empty line between CR and a late LF is ignored.
    for (;;) {
        const auto it = std::find_if(inBuf_.begin(), inBuf_.end(),
                                     [](char c) { return c == '\r' || c == '\n'; });
        if (it == inBuf_.end()) break;
        const qsizetype pos = it - inBuf_.begin();
        const QByteArray line = inBuf_.left(pos);
        qsizetype skip = pos + 1;
        if (*it == '\r' && skip < inBuf_.size() && inBuf_.at(skip) == '\n') ++skip;
        inBuf_.remove(0, skip);
        takeLine(line);
        if (master_ < 0) return; // a hook dropped the port
    }
    if (inBuf_.size() > kMaxLine) inBuf_.clear();
}

void SimServer::takeLine(const QByteArray &line) {
    if (line.isEmpty()) return;
    log_ << QString::fromLatin1(line);
    emit lineReceived(QString::fromLatin1(line));
    if (silent_) return;
    if (silentNext_) {
        silentNext_ = false;
        return;
    }
    const SimModel::Reply r = model_.handle(line);
    dropAbandonedMoves();
    trackMove(r);
    const int late = std::exchange(lateNextMs_, 0);
    const QByteArray bytes =
        replyFilter_ && !r.bytes.isEmpty() ? replyFilter_(line, r.bytes) : r.bytes;
    if (!bytes.isEmpty())
        sendReply(bytes, r.delayMs + replyDelayMs_ + late, r.moveId);
    else if (r.moveId && !r.hang)
        sendReply({}, r.delayMs, r.moveId); // ends the motion, says nothing
}

void SimServer::trackMove(const SimModel::Reply &r) {
    if (!r.moveId) return;
    moveId_ = r.moveId;
    moveStartMs_ = now();
    moveMs_ = r.delayMs;
}

// An alarm stops the motion where it is; the answer still owed for it
// becomes the alarm.
void SimServer::alarmRunningMove(const QString &code) {
    const quint32 id = model_.runningMove();
    if (!id) return;
    bool owed = false;
    for (const Chunk &c : std::as_const(scheduled_))
        if (c.moveId == id && !c.bytes.isEmpty()) owed = true;
    const double fraction = id == moveId_ && moveMs_ > 0 ? (now() - moveStartMs_) / moveMs_ : 0;
    model_.abortMove(fraction);
    dropChunksOf(id);
    if (owed) sendReply("0%%" + code.toUpper().toLatin1().left(2) + "\r\n", replyDelayMs_, 0);
}

void SimServer::sendReply(QByteArray bytes, int delayMs, quint32 moveId) {
    if (!bytes.isEmpty()) {
        const qsizetype body = bytes.size() - 2; // before the CR LF
        if (garbleNext_ && body >= 2) bytes[1] = '?';
        if (shortenNext_ && body >= 1) bytes.remove(body - 1, 1);
        if (lengthenNext_) bytes.insert(bytes.size() - 2, '0');
        garbleNext_ = shortenNext_ = lengthenNext_ = false;
    }
    // One command at a time: an answer that is late holds back the ones
    // after it (a motion's answer comes when the motion ends, on its own).
    // The next answer follows a held one after a short pause, as a
    // controller takes a moment to read the next command.
    double due = now() + delayMs;
    if (!moveId) {
        if (answeredUntilMs_ > now()) due = qMax(due, answeredUntilMs_ + kSplitGapMs);
        answeredUntilMs_ = due;
    }
    int parts = bytes.isEmpty() ? 1 : qBound(1, splitNext_, int(bytes.size()));
    if (!bytes.isEmpty()) splitNext_ = 0;
    const qsizetype step = (bytes.size() + parts - 1) / qMax(1, parts);
    for (int i = 0; i < parts; ++i) {
        Chunk c;
        c.bytes = bytes.mid(i * step, i + 1 == parts ? -1 : step);
        c.dueMs = due + i * kSplitGapMs;
        c.moveId = moveId;
        c.finishes = moveId && i == 0;
        schedule(c);
    }
    pump();
}

void SimServer::schedule(const Chunk &c) {
    auto it = std::upper_bound(scheduled_.begin(), scheduled_.end(), c.dueMs,
                               [](double due, const Chunk &x) { return due < x.dueMs; });
    scheduled_.insert(it, c);
}

void SimServer::dropChunksOf(quint32 moveId) {
    scheduled_.removeIf([moveId](const Chunk &c) { return c.moveId == moveId; });
}

// A motion the model has given up (reset, a newer motion) never answers.
void SimServer::dropAbandonedMoves() {
    QSet<quint32> dead;
    for (const Chunk &c : std::as_const(scheduled_))
        if (c.finishes && c.moveId != model_.runningMove()) dead.insert(c.moveId);
    scheduled_.removeIf([&dead](const Chunk &c) { return dead.contains(c.moveId); });
}

void SimServer::pump() {
    const double t = now();
    while (!scheduled_.isEmpty() && scheduled_.first().dueMs <= t) {
        const Chunk c = scheduled_.takeFirst();
        if (c.finishes && !model_.finishMove(c.moveId)) {
            dropChunksOf(c.moveId);
            continue;
        }
        if (wire_.isEmpty()) wireNextMs_ = qMax(wireNextMs_, t);
        wire_ += c.bytes;
    }
    if (master_ < 0) wire_.clear();
    if (!wire_.isEmpty()) {
        qsizetype n = wire_.size();
        if (paced_) {
            n = 0;
            while (n < wire_.size() && wireNextMs_ <= t) {
                ++n;
                wireNextMs_ += kCharMs;
            }
        }
        const ssize_t w = n > 0 ? ::write(master_, wire_.constData(), n) : 0;
        if (w > 0) wire_.remove(0, w);
    }
    double next = -1;
    if (!scheduled_.isEmpty()) next = scheduled_.first().dueMs;
    if (!wire_.isEmpty()) {
        const double w = paced_ ? wireNextMs_ : t + 1;
        next = next < 0 ? w : qMin(next, w);
    }
    if (next >= 0) sendTimer_->start(int(std::ceil(qMax(0.0, next - t))));
}

QString SimServer::scriptHelp() {
    return QStringLiteral(
        "Commands (one per line):\n"
        "  alarm CODE        raise controller alarm CODE (two hex digits, e.g. 0E)\n"
        "  clear             clear the alarm, as the 0%C command does\n"
        "  fail-homing       the next homing ends in alarm 0B (home sensor not found)\n"
        "  garble            corrupt the head of the next reply\n"
        "  split N           send the next reply in N pieces, 25 ms apart\n"
        "  short             drop one character before the CR LF of the next reply\n"
        "  long              add one character before the CR LF of the next reply\n"
        "  silent            ignore the next command line\n"
        "  silence on|off    ignore every command line until switched off\n"
        "  delay MS          wait MS milliseconds before every reply\n"
        "  late MS           answer the next command only after MS milliseconds\n"
        "  noise TEXT        put TEXT on the line at once, without a line end\n"
        "  pace on|off       send at 9600 baud (about 1 ms per character) or at once\n"
        "  scale X           multiply the time moves take by X\n"
        "  hang-move         the next move never finishes and never answers\n"
        "  move-alarm CODE   the next move stops half way with alarm CODE\n"
        "  drop              close the port: the program sees the line hang up\n"
        "  input NAME on|off switch an input: home, strobe, stop, emg,\n"
        "                    pos1, pos2, pos4, pos8 (strobe starts a move in\n"
        "                    external start mode; emg raises alarm 0E)\n"
        "  state             show the controller's state\n"
        "  help              show this list\n"
        "  quit              stop the simulator");
}

QString SimServer::command(const QString &scriptLine) {
    const QStringList w = scriptLine.simplified().split(' ', Qt::SkipEmptyParts);
    if (w.isEmpty()) return {};
    const QString cmd = w.first().toLower();
    const QString arg = w.value(1);
    const QString usage = QStringLiteral("usage: ");
    auto code = [&arg]() -> QString {
        bool ok = false;
        arg.toInt(&ok, 16);
        return ok && arg.size() <= 2 ? arg.toUpper().rightJustified(2, '0') : QString();
    };
    auto onOff = [](const QString &a) -> std::optional<bool> {
        if (a.compare("on", Qt::CaseInsensitive) == 0) return true;
        if (a.compare("off", Qt::CaseInsensitive) == 0) return false;
        return std::nullopt;
    };

    struct Plain {
        const char *word;
        void (SimServer::*hook)();
        const char *said;
    };
    static const Plain plain[] = {
        {"fail-homing", &SimServer::failNextHoming, "the next homing fails with 0B"},
        {"garble", &SimServer::garbleNext, "the next reply is garbled"},
        {"short", &SimServer::shortenNext, "the next reply is one character short"},
        {"long", &SimServer::lengthenNext, "the next reply is one character long"},
        {"silent", &SimServer::silentNext, "the next command is ignored"},
        {"hang-move", &SimServer::neverFinishNextMove, "the next move never finishes"},
        {"drop", &SimServer::dropPort, "port closed"},
    };
    for (const Plain &p : plain)
        if (cmd == QLatin1String(p.word)) {
            (this->*p.hook)();
            return QString::fromLatin1(p.said);
        }

    struct Switch {
        const char *word;
        void (SimServer::*hook)(bool);
        const char *on, *off;
    };
    static const Switch switches[] = {
        {"silence", &SimServer::setSilent, "silent until 'silence off'", "answering"},
        {"pace", &SimServer::setPaced, "paced at 9600 baud", "answering at once"},
    };
    for (const Switch &sw : switches)
        if (cmd == QLatin1String(sw.word)) {
            const auto on = onOff(arg);
            if (!on) return usage + sw.word + " on|off";
            (this->*sw.hook)(*on);
            return QString::fromLatin1(*on ? sw.on : sw.off);
        }

    bool ok = false;
    if (cmd == "alarm") {
        if (code().isEmpty()) return usage + "alarm CODE";
        raiseAlarm(code());
        return QStringLiteral("alarm %1 raised").arg(model_.alarm());
    }
    if (cmd == "move-alarm") {
        if (code().isEmpty()) return usage + "move-alarm CODE";
        alarmDuringNextMove(code());
        return QStringLiteral("the next move ends in alarm %1").arg(code());
    }
    if (cmd == "clear") {
        model_.clearAlarm();
        return model_.alarm().isEmpty()
                   ? QStringLiteral("alarm cleared")
                   : QStringLiteral("alarm %1 stays: the emergency stop input is on")
                         .arg(model_.alarm());
    }
    if (cmd == "split") {
        const int n = arg.toInt(&ok);
        if (!ok || n < 2) return usage + "split N (N at least 2)";
        splitNext(n);
        return QStringLiteral("the next reply goes in %1 pieces").arg(n);
    }
    if (cmd == "noise") {
        if (arg.isEmpty()) return usage + "noise TEXT";
        noise(arg.toLatin1());
        return QStringLiteral("noise sent");
    }
    if (cmd == "late") {
        const int ms = arg.toInt(&ok);
        if (!ok || ms < 0) return usage + "late MS";
        lateNext(ms);
        return QStringLiteral("the next reply comes after %1 ms").arg(ms);
    }
    if (cmd == "delay") {
        const int ms = arg.toInt(&ok);
        if (!ok || ms < 0) return usage + "delay MS";
        setReplyDelay(ms);
        return QStringLiteral("reply delay %1 ms").arg(ms);
    }
    if (cmd == "scale") {
        const double s = arg.toDouble(&ok);
        if (!ok || s < 0) return usage + "scale X";
        setMoveTimeScale(s);
        return QStringLiteral("move time scale %1").arg(s);
    }
    if (cmd == "input") {
        const auto on = onOff(w.value(2));
        if (!SimModel::inputByName(arg) || !on)
            return usage + "input home|strobe|stop|emg|pos1|pos2|pos4|pos8 on|off";
        setInput(arg, *on);
        return QStringLiteral("input %1 %2").arg(arg.toLower(), *on ? "on" : "off");
    }
    if (cmd == "state") return model_.describe();
    if (cmd == "help") return scriptHelp();
    if (cmd == "quit") {
        emit quitRequested();
        return QStringLiteral("bye");
    }
    return QStringLiteral("unknown command '%1' (type help)").arg(w.first());
}
