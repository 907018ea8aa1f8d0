#include "link/link.h"

#include "common/full_timer.h"
#include "common/numtext.h"
#include "link/port_map.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QScopeGuard>
#include <QTime>
#include <QTimer>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kBreak = QStringLiteral("\r\n\r\n");
const QString kErrorHead = QStringLiteral("0%%");

// Runs a local event loop until done() holds. Whatever can make it hold
// calls Link::wake(), which quits the innermost wait.
template <typename Done> void waitUntil(QEventLoop *&slot, Done done) {
    QEventLoop loop;
    QEventLoop *outer = slot;
    slot = &loop;
    while (!done())
        loop.exec();
    slot = outer;
}

// A position read names its position and a block read its block: a reply
// for another one (a late answer to an earlier command) is a wrong reply.
bool replyEchoes(const QString &head, const QString &data, const QString &reply) {
    int echoed = 0;
    if (head == QLatin1String("0RP")) echoed = 1;
    if (head == QLatin1String("0RD")) echoed = 2;
    return reply.mid(3, echoed).compare(data.left(echoed), Qt::CaseInsensitive) == 0;
}

// The list is missing: said at load and at every later error, in English in
// two wordings, in Japanese in one.
QString missingListText(const Language &lang, const char *english) {
    return lang.tx(
        "エラーリストのファイルがありません。\r\n"
        "エラーを正しく表示させるためには、プログラムと同じフォルダにエラーリストファイルを"
        "おいてください。",
        english);
}

} // namespace

Link::Link(SettingsStore &settings, Prompter &prompter, const Language &language)
    : settings_(settings), prompter_(prompter), language_(language), port_(new QSerialPort(this)),
      replyTimer_(new FullTimer(this)), watchTimer_(new QTimer(this)) {
    secondsSinceMidnight = [] { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; };

    // A time-out never comes before its time.
    connect(replyTimer_, &FullTimer::timeout, this, [this] {
        timedOut = true;
        wake();
    });
    watchTimer_->setInterval(100);
    connect(watchTimer_, &QTimer::timeout, this, &Link::watchTick);

    connect(port_, &QSerialPort::readyRead, this, &Link::onReadyRead);
    connect(port_, &QSerialPort::errorOccurred, this, &Link::onPortError);
}

Link::~Link() = default;

void Link::wake() {
    if (waitLoop_) waitLoop_->quit();
}

void Link::report(LinkEvent::Kind kind, const QByteArray &bytes, const QString &note,
                  qint64 elapsedMs, bool probe) {
    LinkEvent e;
    e.kind = kind;
    e.msecsSinceEpoch = QDateTime::currentMSecsSinceEpoch();
    e.bytes = bytes;
    e.note = note;
    e.elapsedMs = elapsedMs;
    e.probe = probe;
    e.polling = polling;
    e.portNumber = qint16(numberOf());
    if (kind == LinkEvent::Kind::PortOpenFailed && openFailure_)
        e.failure = describePortFailure(*openFailure_, language_);
    emit traffic(e);
}

// ---------------------------------------------------------------- port

bool Link::openPort() {
    if (portNumber < 1 || portNumber > 9)
        portNumber = settings_.readInt16(QStringLiteral("PortNo"), 1).value_or(0);
    if (port_->isOpen()) return true;

    const QString device =
        deviceOverride_.isEmpty() ? portmap::portDeviceFor(portNumber) : deviceOverride_;
    if (device.isEmpty()) {
        PortFailure none;
        none.reason = PortFailure::Reason::NoDevice;
        none.portNumber = portNumber;
        return openFailed(none);
    }
    port_->setPortName(device);
    configuring_ = true;
    if (!port_->open(QIODevice::ReadWrite)) {
        configuring_ = false;
        const PortFailure failure =
            examineOpenFailure(numberOf(), device, port_->error(), port_->errorString());
        port_->clearError();
        return openFailed(failure);
    }
    const bool lineSet = port_->setBaudRate(9600) && port_->setDataBits(QSerialPort::Data8) &&
                         port_->setParity(QSerialPort::NoParity) &&
                         port_->setStopBits(QSerialPort::OneStop) &&
                         port_->setFlowControl(QSerialPort::NoFlowControl);
    // A pseudo-terminal or some adapters have no modem lines; the controller
    // does not need them, so a refusal here is no reason to give up the port.
    port_->setDataTerminalReady(true);
    port_->setRequestToSend(true);
    configuring_ = false;
    if (!lineSet) {
        PortFailure failure;
        failure.portNumber = numberOf();
        failure.device = device;
        failure.errorText = port_->errorString();
        port_->clearError();
        port_->close();
        return openFailed(failure);
    }
    port_->clearError();
    portFailed_ = false;
    openDevice_ = device;
    if (openFailure_) {
        openFailure_.reset();
        emit openFailureChanged();
    }
    report(LinkEvent::Kind::PortOpened, {}, device);
    setPortOpen(true);
    return true;
}

// Kept before the event goes out, so whoever logs it can word it.
// A device given by path is not "COMn": the failure names the device alone.
int Link::numberOf() const {
    return deviceOverride_.isEmpty() ? portNumber : 0;
}

bool Link::openFailed(PortFailure failure) {
    const QString device = failure.device;
    openFailure_ = std::move(failure);
    emit openFailureChanged();
    report(LinkEvent::Kind::PortOpenFailed, {}, device);
    return false;
}

void Link::closePortUnlessKept() {
    if (!portOccupy) closePort();
}

void Link::closePort() {
    if (!port_->isOpen() || waiting_) return;
    port_->close();
    port_->clearError();
    report(LinkEvent::Kind::PortClosed, {}, openDevice_);
    openDevice_.clear();
    setPortOpen(false);
}

bool Link::isPortOpen() const {
    return port_->isOpen();
}

void Link::changePortNumber(qint16 n) {
    if (n != portNumber && isPortOpen()) closePort();
    portNumber = n;
}

void Link::enterBusy() {
    if (busyDepth_++ == 0) emit busyChanged(true);
}

void Link::leaveBusy() {
    if (busyDepth_ > 0 && --busyDepth_ == 0) emit busyChanged(false);
}

void Link::setPortOpen(bool open) {
    indicators.portOpen = open;
    emit portOpenChanged(open);
    emit indicatorsChanged();
}

void Link::onPortError(QSerialPort::SerialPortError error) {
    if (configuring_ || !port_->isOpen()) return;
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
    case QSerialPort::UnsupportedOperationError:
    case QSerialPort::NotOpenError:
        return;
    default:
        break;
    }
    // The adapter has gone (or the line broke): whoever waits gives up now,
    // and the dead handle is closed so that the next operation opens afresh.
    // The close itself waits for the signal to return to the port's code.
    portFailed_ = true;
    report(LinkEvent::Kind::PortLost, {}, port_->errorString());
    wake();
    QTimer::singleShot(0, this, [this] {
        if (portFailed_) closePort();
    });
}

void Link::onReadyRead() {
    const QByteArray bytes = port_->readAll();
    if (bytes.isEmpty()) return;
    receiveBuffer += QString::fromLatin1(bytes);
    if (!receiveBuffer.endsWith(kCrLf)) return;
    lastReply = receiveBuffer;
    receiveBuffer.clear();
    replyComplete = true;
    report(LinkEvent::Kind::Received, lastReply.toLatin1(), {},
           sentAt_.isValid() ? sentAt_.elapsed() : -1);
    if (lastReply.startsWith(kErrorHead)) {
        lastErrorReply = lastReply;
        showControllerError(lastReply);
    }
    wake();
}

bool Link::writeLine(const QString &line) {
    if (!port_->isOpen()) return false;
    const QByteArray bytes = (line + kCrLf).toLatin1();
    sentAt_.start();
    report(LinkEvent::Kind::Sent, bytes, {}, -1, probing_);
    if (port_->write(bytes) != bytes.size()) return false;
    // Push it to the device now: a close right after must not discard it.
    port_->flush();
    if (port_->bytesToWrite() > 0) port_->waitForBytesWritten(200);
    return port_->isOpen() && port_->bytesToWrite() == 0;
}

void Link::pause(int ms) {
    BusyScope busy(*this);
    bool fired = false;
    FullTimer timer;
    connect(&timer, &FullTimer::timeout, this, [this, &fired] {
        fired = true;
        wake();
    });
    timer.start(int(ms * timeScale));
    waitUntil(waitLoop_, [&] { return fired; });
}

// ---------------------------------------------------------------- transactions

void Link::startWatch() {
    watchStart = float(secondsSinceMidnight());
    limitReached = false;
    watchStopped = false;
    watchTimer_->start();
}

void Link::watchTick() {
    if (!limitReached && !watchStopped) {
        const double now = secondsSinceMidnight();
        // The clock restarts at midnight; the day is counted as 86399 seconds.
        const double elapsed = now >= watchStart ? now - watchStart : 86399.0 - watchStart + now;
        if (elapsed >= motionTimeLimit) limitReached = true;
    }
    if (limitReached || watchStopped) {
        watchTimer_->stop();
        wake();
    }
}

// Whatever came in since the last exchange ended answers nothing we are
// about to ask: a reply that missed its time-out must not be taken for the
// next one.
void Link::discardStaleInput() {
    QByteArray stale = receiveBuffer.toLatin1();
    receiveBuffer.clear();
    if (port_->isOpen()) {
        stale += port_->readAll();
        // What the driver holds and has not handed over yet goes too.
        port_->clear(QSerialPort::Input);
    }
    if (stale.isEmpty()) return;
    report(LinkEvent::Kind::Discarded, stale);
    emit inputDiscarded(stale);
}

Link::WaitEnd Link::writeAndWait(const QString &line, bool watch, bool millis) {
    timedOut = false;
    const int timeoutMs =
        replyTimeoutOverrideMs > 0 && replyTimeoutMs > 0 ? replyTimeoutOverrideMs : replyTimeoutMs;
    if (millis && timeoutMs > 0) replyTimer_->start(int(timeoutMs * timeScale));
    if (watch) startWatch();

    discardStaleInput();
    replyComplete = false;
    if (!portFailed_ && !writeLine(line)) portFailed_ = true;

    waiting_ = true;
    waitUntil(waitLoop_, [&] {
        return replyComplete || portFailed_ || (millis && timedOut) || (watch && limitReached);
    });
    waiting_ = false;
    replyTimer_->stop();
    if (watch) {
        watchStopped = true;
        watchTimer_->stop();
    }
    if (replyComplete) return WaitEnd::Reply;
    if (portFailed_) return WaitEnd::PortFailed;
    report(LinkEvent::Kind::TimeOut, receiveBuffer.toLatin1(), {}, sentAt_.elapsed());
    return WaitEnd::TimeOut;
}

bool Link::transact(const QString &head, const QString &data, int replyLength) {
    return runTransaction(head, data, replyLength, false);
}

bool Link::transactMotion(const QString &head, const QString &data, int replyLength) {
    return runTransaction(head, data, replyLength, true);
}

bool Link::runTransaction(const QString &head, const QString &data, int replyLength, bool motion) {
    // A second exchange while one waits would steal its reply; the commands
    // that start exchanges are disabled meanwhile, so this is only a guard.
    if (inTransaction_) return false;
    inTransaction_ = true;
    const auto done = qScopeGuard([this] { inTransaction_ = false; });
    BusyScope busy(*this);

    if (!openPort()) return false;

    const QString line = head + data;
    const QString expectedHead = line.left(3);
    switch (writeAndWait(line, motion, !motion)) {
    case WaitEnd::Reply:
        break;
    case WaitEnd::PortFailed:
        closePort();
        showTimeOutMessage();
        return false;
    case WaitEnd::TimeOut:
        if (motion)
            closePort();
        else
            closePortUnlessKept();
        showTimeOutMessage();
        return false;
    }

    if (lastReply.startsWith(kErrorHead)) return errorReport(PromptIcon::Exclamation);
    const char *wrong = nullptr;
    if (lastReply.left(3) != expectedHead)
        wrong = "head";
    else if (replyLength != AnyLength && lastReply.size() != replyLength)
        wrong = "length";
    else if (!replyEchoes(expectedHead, data, lastReply))
        wrong = "echo";
    if (wrong) {
        report(LinkEvent::Kind::WrongReply, lastReply.toLatin1(), QString::fromLatin1(wrong));
        return probe(motion);
    }
    resetErrorDisplay();
    return true;
}

// After a reply of the wrong form: "0CM0" is harmless in any state and any
// controller answers it, so its reply tells a line problem from a controller
// in error.
bool Link::probe(bool motion) {
    probing_ = true;
    const WaitEnd end = writeAndWait(QStringLiteral("0CM0"), motion, true);
    probing_ = false;
    if (end == WaitEnd::PortFailed) {
        closePort();
        showTimeOutMessage();
        return false;
    }
    if (lastReply.startsWith(kErrorHead)) return errorReport(PromptIcon::None);
    closePortUnlessKept();
    showDataLengthMessage();
    return false;
}

bool Link::errorReport(PromptIcon icon) {
    const QString code = lastReply.mid(3, 2);
    indicators.homeLamp = false;
    indicators.out1 = false;
    indicators.out2 = false;
    emit indicatorsChanged();

    lastErrorReply = lastReply;
    showControllerError(lastReply);

    QString text = language_.text(504) + kBreak;
    if (errorList.found) {
        const QString advice =
            code == QLatin1String("0E") ? language_.text(366) : language_.text(360);
        text += QStringLiteral("Error No.") + code + kBreak + u'[' + errorList.foundDescription +
                u']' + kBreak + advice;
    } else {
        text += u'[' + noContentsText(language_) + u']';
    }
    prompter_.message(text, icon);
    return false;
}

void Link::showTimeOutMessage() {
    prompter_.message(language_.text(500) + kBreak + language_.text(501) + kBreak +
                      language_.text(502) + kBreak + language_.text(503));
}

void Link::showDataLengthMessage() {
    prompter_.message(language_.text(505) + kBreak + language_.text(506));
}

// ---------------------------------------------------------------- error display

void Link::loadErrorList(const QString &folder) {
    if (errorList.load(QDir(folder).filePath(QStringLiteral("error.lst")))) return;
    errorList.listMissing = true;
    prompter_.message(missingListText(
        language_, "No file of Error list!\r\n"
                   "To display error contents,install Error list in same folder as program file."));
}

void Link::showControllerError(const QString &reply) {
    ErrorList &list = errorList;
    list.found = false;
    if (list.listMissing) {
        prompter_.message(missingListText(
            language_,
            "No Error list file!\r\n"
            "To indicate error contents,install Error list in same folder as program file."));
        return;
    }
    const QString code = reply.mid(3, 2);
    StatusIndicators &ind = indicators;
    ind.alarmNo = code;
    list.lastErrorCode = code;
    qint64 value = errorCodeValue(code);
    ind.alarmLamp = true;
    // One list serves both languages: the English entries sit 100 above.
    if (!language_.japanese()) value += 100;
    if (const auto description = list.lookup(value)) {
        ind.errorComment = *description;
        list.foundDescription = *description;
        list.found = true;
    } else {
        ind.errorComment = noContentsText(language_);
    }
    notifyIndicators();
}

void Link::resetErrorDisplay() {
    StatusIndicators &ind = indicators;
    ind.alarmLamp = false;
    ind.errorComment = QStringLiteral("No Error");
    ind.alarmNo.clear();
    notifyIndicators();
}
