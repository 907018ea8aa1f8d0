#include "operation/motion.h"

#include "common/full_timer.h"
#include "common/numtext.h"
#include "controller/controller_mode.h"
#include "controller/status.h"
#include "state/app_state.h"

#include <QEventLoop>
#include <QScopeGuard>
#include <QTimer>
#include <cmath>

namespace {

constexpr int kSteps = 15;

qint64 hexOf(const QString &reply, int from, int count) {
    return num::hexVal(QStringView(reply).mid(from - 1, count));
}

// The speed bytes are stored four times over; halves go to the even value.
qint16 quarterOf(qint64 byte) {
    return qint16(std::nearbyint(double(byte) / 4.0));
}

QString hexDigit(int n) {
    return QString::number(n, 16).toUpper();
}

bool isPositionDigit(const QString &d) {
    if (d.size() != 1) return false;
    const QChar c = d.at(0);
    return (c >= u'1' && c <= u'9') || (c >= u'A' && c <= u'F');
}

QString selectMessage(const AppState &s) {
    return s.tx("ポジションNoは、16進数で1～Ｆまでの値を入れて下さい",
                "Input position No. by 16bit(Using 1 to F).");
}

} // namespace

QString programStepMessage(const AppState &s) {
    return s.tx("ポジションNoは、16進数で1～Ｆまでの値を入れて下さい。",
                "Input position No. by 16bit(Using 1 to F)");
}

Motion::Motion(AppState &s, MotionView &view, QObject *parent)
    : QObject(parent), s_(s), view_(view), dwellTimer_(new FullTimer(this)) {
    connect(dwellTimer_, &FullTimer::timeout, this, [this] {
        st.dwellDone = true;
        wake();
    });
}

Motion::~Motion() = default;

// ---------------------------------------------------------------- clicks

void Motion::homeClicked() {
    if (s_.controllerBusy()) return; // another operation holds the port
    takeStaleFlag();
    BusyScope busy(s_.link);
    view_.lockMotionControls(true);
    view_.disableModeMenu();
    view_.setMotionTabsEnabled(false);
    homing();
    s_.link.closePortUnlessKept();
    view_.lockMotionControls(false);
    view_.setMotionTabsEnabled(true);
}

void Motion::moveClicked() {
    if (s_.controllerBusy()) return; // another operation holds the port
    takeStaleFlag();
    view_.lockMotionControls(true);
    view_.disableModeMenu();
    BusyScope busy(s_.link);
    programRun();
    s_.link.closePortUnlessKept();
    view_.lockMotionControls(false);
}

void Motion::selectMoveClicked() {
    if (s_.controllerBusy()) return; // another operation holds the port
    takeStaleFlag();
    BusyScope busy(s_.link);
    view_.lockMotionControls(true);
    view_.disableModeMenu();
    view_.setMotionTabsEnabled(false);
    selectiveMove();
    s_.link.closePortUnlessKept();
    view_.lockMotionControls(false);
    view_.setMotionTabsEnabled(true);
}

void Motion::pauseClicked() {
    if (view_.moveButtonEnabled()) return;
    st.pauseRequest = true;
    wake();
}

void Motion::stopClicked() {
    if (view_.moveButtonEnabled()) return;
    st.stopRequest = true;
    wake();
}

void Motion::timerUseCleared() {
    dwellTimer_->stop();
}

// A new table or new parameters in the controller make the cached data
// worthless; only a new table makes the remembered position number mean
// something else.
void Motion::takeStaleFlag() {
    if (s_.motionDataStale) st.dataLoaded = false;
    if (s_.presentPositionStale) st.presentNo = -1;
    s_.motionDataStale = false;
    s_.presentPositionStale = false;
}

void Motion::wake() {
    if (dwellLoop_) dwellLoop_->quit();
}

// ---------------------------------------------------------------- data and estimate

bool Motion::loadMotionData() {
    st.dataLoaded = false;
    Link &link = s_.link;
    const auto failed = [&] {
        link.closePortUnlessKept();
        return false;
    };
    link.replyTimeoutMs = 5000;
    if (!link.transact(QStringLiteral("0RD"), QStringLiteral("10"), 23)) return failed();
    data.strokePulses = qint32(hexOf(link.lastReply, 6, 6));
    if (!link.transact(QStringLiteral("0RD"), QStringLiteral("11"), 23)) return failed();
    for (int v = 1; v <= 3; ++v)
        data.speedByVel[v] = quarterOf(hexOf(link.lastReply, 6 + 2 * (v - 1), 2));
    data.speedByVel[0] = qint16(hexOf(link.lastReply, 12, 2));
    for (int n = 1; n <= kSteps; ++n) {
        if (!link.transact(QStringLiteral("0RP"), hexDigit(n), 16)) return failed();
        data.velOf[n] = qint16(hexOf(link.lastReply, 5, 1));
        data.pulsesOf[n] = qint32(hexOf(link.lastReply, 9, 6));
    }
    st.dataLoaded = true;
    return true;
}

// Only a time limit hangs on this estimate, so a fault gives -1 (a limit of
// nine seconds) rather than stopping the move.
float Motion::estimateMoveSeconds(int n) const {
    const qint16 homingBase = data.speedByVel[0];
    if (homingBase == 0) return -1;
    const double divisor = std::floor(1600.0 / homingBase);
    if (divisor == 0 || divisor < -32768 || divisor > 32767) return -1;
    const float homingTime = float(double(data.strokePulses) / qint16(divisor));
    if (n == 0) return homingTime;
    if (n < 1 || n > kSteps) return -1;
    const int vel = data.velOf[n];
    if (vel < 0 || vel > 9) return -1;
    const int speed = data.speedByVel[vel] * 166;
    if (speed == 0 || speed < -32768 || speed > 32767) return -1;
    if (!s_.link.indicators.homeEstablished)
        return float(double(homingTime) + double(data.pulsesOf[n]) / speed);
    const double distance = std::abs(double(data.pulsesOf[n]) - double(st.currentPulses));
    return float(distance / speed);
}

bool Motion::takeKnownPosition(int presentNo) {
    if (presentNo == 0) {
        st.currentPulses = 0;
        return true;
    }
    if (presentNo >= 1 && presentNo <= kSteps) {
        st.currentPulses = data.pulsesOf[presentNo];
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- moves

bool Motion::sendMove(const QString &digit) {
    s_.link.replyTimeoutMs = 0;
    return s_.link.transactMotion(QStringLiteral("0MP"), digit, 16);
}

void Motion::showMotionError() {
    const QString reply = s_.link.lastReply;
    if (!reply.startsWith(QLatin1String("0%%"))) return;
    s_.link.showControllerError(reply);
    if (reply.startsWith(QLatin1String("0%%0B"))) showHomingSensorError(s_.link);
}

bool Motion::homing() {
    if (!s_.link.openPort() || !setCommunicationMode(s_.link)) return false;
    return homingFromLoad();
}

bool Motion::homingFromLoad() {
    setHomeEstablished(s_.link, false);
    st.dataLoaded = false;
    if (!loadMotionData()) return false;
    st.dataLoaded = true;
    s_.link.motionTimeLimit = estimateMoveSeconds(0) + 10.0f;
    if (!sendMove(QStringLiteral("0"))) {
        s_.link.closePortUnlessKept();
        showMotionError();
        st.dataLoaded = false;
        st.presentNo = -1;
        return false;
    }
    setHomeEstablished(s_.link, true);
    st.presentNo = 0;
    showOutputs(s_.link, s_.link.lastReply.at(6));
    view_.showCompletedPosition(QStringLiteral("H0"));
    s_.link.closePortUnlessKept();
    return true;
}

bool Motion::prepareForMove() {
    if (!s_.link.openPort() || !setCommunicationMode(s_.link)) return false;
    const std::optional<bool> home = readHomeState(s_.link);
    if (!home) {
        st.dataLoaded = false;
        return false;
    }
    if (!*home || !s_.link.indicators.homeEstablished) st.dataLoaded = false;
    if (!st.dataLoaded && !loadMotionData()) {
        st.dataLoaded = false;
        return false;
    }
    st.dataLoaded = true;
    if (!s_.link.indicators.homeEstablished && !homingFromLoad()) return false;
    return true;
}

bool Motion::oneMove(QChar d, bool selective) {
    Link &link = s_.link;
    const int n = int(hexOf(QString(d), 1, 1));
    if (s_.link.indicators.homeEstablished) {
        bool known = false;
        if (st.presentNo >= 1 && st.presentNo <= kSteps) {
            known = takeKnownPosition(st.presentNo);
        } else {
            link.replyTimeoutMs = 5000;
            known = link.transact(QStringLiteral("0RC"), QString(), 16);
            if (known) st.currentPulses = qint32(hexOf(link.lastReply, 9, 6));
        }
        if (!known) {
            st.dataLoaded = false;
            return false;
        }
    }
    link.motionTimeLimit = estimateMoveSeconds(n) + 10.0f;
    if (!sendMove(QString(d))) {
        st.dataLoaded = false;
        st.presentNo = -1;
        link.closePortUnlessKept();
        showMotionError();
        return false;
    }
    // A selected move only counts as arrived once the status read confirms it.
    const auto arrived = [&] {
        st.presentNo = qint16(n);
        s_.link.indicators.homeEstablished = true;
    };
    if (!selective) arrived();
    link.replyTimeoutMs = 5000;
    if (!link.transact(QStringLiteral("0RS"), QString(), 7)) {
        st.dataLoaded = false;
        link.closePortUnlessKept();
        return false;
    }
    if (selective) arrived();
    setHomeEstablished(s_.link, true);
    st.stepRestart = false;
    showOutputs(s_.link, link.lastReply.at(3));
    view_.showCompletedPosition(QString(d));
    return true;
}

void Motion::selectiveMove() {
    view_.setMotionTabsEnabled(false);
    const auto tabsBack = qScopeGuard([&] { view_.setMotionTabsEnabled(true); });
    // A position that does not exist is refused before anything is sent, so
    // a typing slip never homes the actuator.
    const double n = num::val(view_.selectedText());
    if (n < 1 || n > kSteps || n != std::floor(n)) {
        s_.link.closePortUnlessKept();
        s_.prompter.message(selectMessage(s_));
        return;
    }
    if (!prepareForMove()) return;
    oneMove(hexDigit(int(n)).at(0), true);
    s_.link.closePortUnlessKept();
}

void Motion::programRun() {
    view_.setSelectiveTabEnabled(false);
    const auto tabBack = qScopeGuard([&] { view_.setSelectiveTabEnabled(true); });
    if (view_.programCell(1).isEmpty()) {
        s_.prompter.message(programStepMessage(s_));
        return;
    }
    if (!prepareForMove()) return;

    if (!view_.stepModeSelected()) {
        // A paused run carries on where it stopped. A Pause that came before
        // any step ran (during the first homing, or during Home) left no step
        // to carry on from: the run starts at step 1.
        if (st.pauseRequest)
            st.pauseRequest = false;
        else
            st.stepIndex = 1;
        if (st.stepIndex < 1 || st.stepIndex > kSteps) st.stepIndex = 1;
    } else {
        if (st.stepRestart) {
            st.stepIndex = 1;
            st.stepRestart = false;
        }
        if (st.stepIndex == 0) st.stepIndex = 1;
    }

    while (st.stepIndex <= kSteps) {
        QString d = view_.programCell(st.stepIndex);
        if (d.isEmpty()) {
            st.stepIndex = 1;
            if (!view_.repeatTicked()) break;
            d = view_.programCell(1);
        }
        if (!isPositionDigit(d)) {
            s_.link.closePortUnlessKept();
            s_.prompter.message(programStepMessage(s_));
            view_.lockMotionControls(false);
            return;
        }
        s_.link.indicators.out1 = false;
        s_.link.indicators.out2 = false;
        s_.link.notifyIndicators();
        if (!oneMove(d.at(0))) break;
        ++st.stepIndex;
        if (st.stopRequest) {
            st.stopRequest = false;
            break;
        }
        if (view_.stepModeSelected() || st.pauseRequest) break;
        waitDwell();
        if (st.stepIndex > kSteps) {
            st.stepIndex = 1;
            if (!view_.repeatTicked()) break;
        }
        if (st.stopRequest || st.pauseRequest || view_.stepModeSelected()) break;
    }
    if (st.stepIndex > kSteps) st.stepIndex = 1;
    st.stopRequest = false;
    s_.link.closePortUnlessKept();
    view_.lockMotionControls(false);
}

void Motion::waitDwell() {
    st.dwellDone = false;
    if (view_.timerTicked() && !st.pauseRequest && !st.stopRequest) {
        const QString text = view_.dwellText();
        if (text.isEmpty())
            st.dwellDone = true;
        else
            dwellTimer_->start(num::toInt32(qBound(0.0, num::val(text) * 100, 1e9)).value_or(0));
    } else {
        st.dwellDone = true;
    }
    while (!st.dwellDone && !st.stopRequest && !st.pauseRequest) {
        QEventLoop loop;
        dwellLoop_ = &loop;
        loop.exec();
        dwellLoop_ = nullptr;
    }
    st.dwellDone = true;
    dwellTimer_->stop();
}
