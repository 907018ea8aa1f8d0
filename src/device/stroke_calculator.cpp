#include "device/stroke_calculator.h"

#include "state/app_state.h"
#include "device/stroke_pulse.h"
#include "widgets/digit_keys.h"
#include "widgets/push_button.h"
#include "widgets/twips.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

frmDevice::frmDevice(AppState &s, QWidget *mainWindow, std::function<void(const QString &)> input)
    : QDialog(mainWindow), s_(s), input_(std::move(input)) {
    setObjectName(QStringLiteral("frmDevice"));
    setModal(true);
    buildWindow();
    setCaptions();
    setFixedSize(sizeHint());
    if (mainWindow) move(mainWindow->window()->pos() + QPoint(twips(500), twips(500)));
}

void frmDevice::buildWindow() {
    auto newField = [this](const char *name, int maxLength) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setMaxLength(maxLength);
        e->setAlignment(Qt::AlignRight);
        e->setFixedWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * (maxLength + 2) +
                         twips(240));
        e->setContextMenuPolicy(Qt::NoContextMenu);
        e->setAcceptDrops(false);
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
        e->installEventFilter(this);
        return e;
    };
    txtStrokeTyo_ = newField("txtStrokeTyo", 3);
    txtRido_ = newField("txtRido", 1);
    lblStrokeTyo_ = new QLabel(this);
    lblRido_ = new QLabel(this);
    lblStrokeTyo_->setBuddy(txtStrokeTyo_);
    lblRido_->setBuddy(txtRido_);

    framActType_ = new QGroupBox(this);
    framActType_->setObjectName(QStringLiteral("framActType"));
    auto *types = new QHBoxLayout(framActType_);
    for (int i = 0; i < 2; ++i) {
        optActType_[i] = new QRadioButton(framActType_);
        optActType_[i]->setObjectName(QStringLiteral("optActType%1").arg(i));
        types->addWidget(optActType_[i]);
    }
    types->addStretch();
    optActType_[0]->setChecked(true);

    lblTzStroke_ = new QLabel(this);
    lblTzStroke_->setObjectName(QStringLiteral("lblTzStroke"));
    lblStrokePulse_ = new QLabel(this);
    lblStrokePulse_->setObjectName(QStringLiteral("lblStrokePulse"));
    lblStrokePulse_->setFrameShape(QFrame::Panel);
    lblStrokePulse_->setFrameShadow(QFrame::Sunken);
    lblStrokePulse_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblStrokePulse_->setMinimumWidth(twips(1500));
    for (QLabel *&l : lblLeadNote_)
        l = new QLabel(this);

    cmdCulStrokePulse_ = new PushButton(this);
    cmdCulStrokePulse_->setObjectName(QStringLiteral("cmdCulStrokePulse"));
    cmdInputStroke_ = new PushButton(this);
    cmdInputStroke_->setObjectName(QStringLiteral("cmdInputStroke"));
    for (QPushButton *b : {cmdCulStrokePulse_, cmdInputStroke_}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(twips(1200));
    }

    auto *inputs = new QGridLayout;
    inputs->setHorizontalSpacing(twips(180));
    inputs->addWidget(lblStrokeTyo_, 0, 0);
    inputs->addWidget(txtStrokeTyo_, 0, 1, Qt::AlignLeft);
    inputs->addWidget(lblRido_, 1, 0);
    inputs->addWidget(txtRido_, 1, 1, Qt::AlignLeft);
    inputs->addWidget(lblTzStroke_, 2, 0);
    inputs->addWidget(lblStrokePulse_, 2, 1, Qt::AlignLeft);
    inputs->setColumnStretch(2, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdCulStrokePulse_);
    buttons->addWidget(cmdInputStroke_);

    auto *top = new QVBoxLayout(this);
    top->addLayout(inputs);
    top->addWidget(framActType_);
    for (QLabel *l : lblLeadNote_)
        top->addWidget(l);
    top->addSpacing(twips(120));
    top->addLayout(buttons);

    connect(cmdCulStrokePulse_, &QPushButton::clicked, this, &frmDevice::calculate);
    connect(cmdInputStroke_, &QPushButton::clicked, this, &frmDevice::inputClicked);
}

void frmDevice::setCaptions() {
    const AppState &s = s_;
    setWindowTitle(s.tx("計算", "Calculation"));
    lblStrokeTyo_->setText(s.tx("ストローク(mm)", "Stroke length(mm)"));
    txtStrokeTyo_->setToolTip(
        s.tx("ストロークを整数で入力して下さい(600mmまで)", "integer:25 to 600"));
    lblRido_->setText(s.tx("リード(mm)", "Lead(mm)"));
    txtRido_->setToolTip(
        s.tx("リード(２，６，８のいずれか)を入力して下さい", "integer:2 or 6 or 8"));
    framActType_->setTitle(s.tx("ｱｸﾁｭｴｰﾀ", "Actuator"));
    optActType_[0]->setText(s.tx("TZ-42D以外", "Except TZ-42D"));
    optActType_[1]->setText(QStringLiteral("TZ-42D"));
    lblTzStroke_->setText(s.tx("ストローク長（パルス）", "Stroke length(Pulse)"));
    lblLeadNote_[0]->setText(s.tx("リードについて：", "About Lead:"));
    lblLeadNote_[1]->setText(QStringLiteral("TZ-35H, TZ-28H, RP-28H ===>> LEAD 6mm"));
    lblLeadNote_[2]->setText(QStringLiteral("TZ-50L, TZ-42L, TZ-35L, TZ-28L, TZ-20L, TZ-E35L, "
                                            "RP-28L, RP-35L  ===>> LEAD 2mm"));
    lblLeadNote_[3]->setText(QStringLiteral("TZ-50H, TZ-42H, TZ-42D, RP-35H ===>> LEAD 8mm"));
    cmdCulStrokePulse_->setText(s.tx("計算", "Calculate"));
    cmdInputStroke_->setText(s.tx("入力", "Input"));
}

QString frmDevice::result() const {
    return lblStrokePulse_->text();
}

bool frmDevice::eventFilter(QObject *watched, QEvent *event) {
    auto *e = qobject_cast<QLineEdit *>(watched);
    if (!e || (e != txtStrokeTyo_ && e != txtRido_)) return QDialog::eventFilter(watched, event);
    const bool stroke = e == txtStrokeTyo_;

    if (event->type() == QEvent::KeyPress) {
        const auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            if (stroke)
                txtRido_->setFocus(Qt::TabFocusReason);
            else
                cmdCulStrokePulse_->setFocus(Qt::TabFocusReason);
            return true;
        }
        return swallowDigitKey(k, e->text().size(), e->maxLength());
    }
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason r = static_cast<QFocusEvent *>(event)->reason();
        const bool ok = stroke ? device::calculatorStrokeAllowed(e->text())
                               : device::calculatorLeadAllowed(e->text());
        if (r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason && !ok) {
            e->clear();
            s_.prompter.beep();
        }
    }
    return false;
}

void frmDevice::calculate() {
    lblStrokePulse_->setText(device::strokePulseResult(s_, txtStrokeTyo_->text(), txtRido_->text(),
                                                       optActType_[1]->isChecked()));
}

void frmDevice::inputClicked() {
    const QString r = result();
    if (r == device::invalidityWord(s_) || r == device::noDeviceWord(s_)) return;
    if (input_) input_(r);
    accept();
}
