#include "operation/io_monitor.h"

#include "operation/io_exchange.h"
#include "state/app_state.h"
#include "widgets/lamp.h"
#include "widgets/push_button.h"
#include "widgets/twips.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <QVBoxLayout>

IoMonitor::IoMonitor(AppState &s, QWidget *parent)
    : QDialog(parent), s_(s), pollTimer_(new QTimer(this)), startStopButton_(new PushButton(this)),
      closeButton_(new PushButton(this)), portStatus_(new QLabel(this)) {
    setWindowTitle(s_.tx("入出力の状態", "I/O PORT"));

    auto *inputs = new QGroupBox(s_.tx("入力", "INPUT"), this);
    auto *outputs = new QGroupBox(s_.tx("出力", "OUTPUT"), this);
    auto *inGrid = new QGridLayout(inputs);
    auto *outGrid = new QGridLayout(outputs);
    for (QGridLayout *g : {inGrid, outGrid}) {
        g->setHorizontalSpacing(twips(120));
        g->setColumnStretch(1, 1);
    }
    const auto &sigs = io::ioSignals();
    for (int i = 0; i < io::SignalCount; ++i) {
        const bool output = i >= io::FirstOutput;
        const QColor colour = !output                ? Lamp::portColour()
                              : i == io::FirstOutput ? Lamp::alarmColour()
                                                     : Lamp::outColour();
        QGroupBox *box = output ? outputs : inputs;
        QGridLayout *grid = output ? outGrid : inGrid;
        const int row = output ? i - io::FirstOutput : i;
        signalLamp_[i] = new Lamp(colour, box);
        signalLamp_[i]->setObjectName(QStringLiteral("signalLamp%1").arg(i));
        grid->addWidget(signalLamp_[i], row, 0);
        grid->addWidget(new QLabel(s_.tx(sigs[i].ja, sigs[i].en), box), row, 1);
    }
    outGrid->setRowStretch(io::SignalCount - io::FirstOutput, 1);

    startStopButton_->setObjectName(QStringLiteral("startStopButton"));
    startStopButton_->setText(s_.tx("ﾓﾆﾀ開始", "Start Monitor"));
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    closeButton_->setText(s_.tx("閉じる", "Close"));
    for (QPushButton *b : {startStopButton_, closeButton_}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(twips(1400));
    }

    auto *groups = new QHBoxLayout;
    groups->addWidget(inputs);
    groups->addWidget(outputs);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(startStopButton_);
    buttons->addWidget(closeButton_);
    portStatus_->setObjectName(QStringLiteral("portStatusLabel"));
    portStatus_->setWordWrap(true);
    portStatus_->setStyleSheet(QStringLiteral("QLabel { color: #b71c1c; }"));

    auto *top = new QVBoxLayout(this);
    top->addLayout(groups);
    top->addWidget(portStatus_);
    top->addLayout(buttons);
    connect(&s_.link, &Link::openFailureChanged, this, &IoMonitor::showPortFailure);
    showPortFailure();

    pollTimer_->setInterval(300);
    connect(pollTimer_, &QTimer::timeout, this, &IoMonitor::pollTick);
    connect(startStopButton_, &QPushButton::clicked, this, &IoMonitor::startStopClicked);
    connect(closeButton_, &QPushButton::clicked, this, &IoMonitor::reject);
}

IoMonitor::~IoMonitor() = default;

void IoMonitor::startStopClicked() {
    startStopButton_->setEnabled(false);
    if (monitoring_) {
        stopMonitoring(); // enables the button again once no poll runs
        return;
    }
    monitoring_ = true;
    closeButton_->setEnabled(false);
    pollTimer_->start();
    startStopButton_->setText(s_.tx("ﾓﾆﾀ停止", "Stop Monitor"));
    startStopButton_->setEnabled(true);
}

void IoMonitor::stopMonitoring() {
    monitoring_ = false;
    closeButton_->setEnabled(true);
    // A running poll is further down this very call stack: it cannot end
    // before we return, so waiting for it here would wait forever. The stop
    // is finished by the poll tick instead, and until then the button stays
    // disabled and no further poll starts.
    if (pollRunning_) {
        stopPending_ = true;
        return;
    }
    finishStop();
}

void IoMonitor::finishStop() {
    stopPending_ = false;
    pollTimer_->stop();
    s_.link.closePortUnlessKept();
    startStopButton_->setText(s_.tx("ﾓﾆﾀ開始", "Start Monitor"));
    startStopButton_->setEnabled(true);
}

void IoMonitor::pollTick() {
    // A slow controller makes a poll outlast the interval; the tick that
    // comes meanwhile must not start a second exchange.
    if (pollRunning_) return;
    // Another window's exchange holds the port: this tick passes, the next
    // one polls.
    if (monitoring_ && s_.controllerBusy()) return;
    if (!monitoring_) {
        pollTimer_->stop();
        s_.link.closePortUnlessKept();
        return;
    }
    pollRunning_ = true;
    const bool ok = poll();
    pollRunning_ = false;
    if (!ok) {
        pollFailed();
        return;
    }
    if (stopPending_) finishStop();
}

bool IoMonitor::poll() {
    const io::Poll p = io::pollSignals(s_.link);
    for (int i = 0; i < io::SignalCount; ++i)
        if (p.lit[i]) signalLamp_[i]->setLit(*p.lit[i]);
    return p.ok;
}

void IoMonitor::pollFailed() {
    // The transaction has told the user why; monitoring is started again by
    // hand. Lamps of a block not read keep what they showed.
    monitoring_ = false;
    closeButton_->setEnabled(true);
    finishStop();
}

void IoMonitor::showPortFailure() {
    // Monitoring that stops by itself must say why when the port is the cause.
    const auto &failure = s_.link.lastOpenFailure();
    portStatus_->setText(failure ? describePortFailure(*failure, s_.lang) : QString());
    portStatus_->setVisible(failure.has_value());
}

void IoMonitor::done(int result) {
    if (closed_) return;
    closed_ = true;
    if (monitoring_) stopMonitoring();
    pollTimer_->stop();
    // Closing the port under a running poll would turn its exchange into a
    // time-out; the poll closes it when it ends.
    if (!pollRunning_) s_.link.closePortUnlessKept();
    QDialog::done(result);
}

void showIoMonitor(AppState &s, QWidget *mainWindow) {
    IoMonitor dlg(s, mainWindow);
    if (mainWindow) dlg.move(mainWindow->window()->pos() + QPoint(twips(500), twips(500)));
    s.prompter.exec(dlg);
    dlg.done(QDialog::Rejected); // whoever ran it may have left it open
}
