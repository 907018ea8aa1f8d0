#include "device/stroke_calculator.h"

#include "device/stroke_pulse.h"
#include "state/app_state.h"
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

StrokeCalculator::StrokeCalculator(AppState &s, QWidget *mainWindow,
                                   std::function<void(const QString &)> input)
    : QDialog(mainWindow), s_(s), input_(std::move(input)) {
    setObjectName(QStringLiteral("StrokeCalculator"));
    setModal(true);
    buildWindow();
    setCaptions();
    setFixedSize(sizeHint());
    if (mainWindow) move(mainWindow->window()->pos() + QPoint(twips(500), twips(500)));
}

void StrokeCalculator::buildWindow() {
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
    strokeBox_ = newField("strokeBox", 3);
    leadBox_ = newField("leadBox", 1);
    lblStrokeTyo_ = new QLabel(this);
    leadCaption_ = new QLabel(this);
    lblStrokeTyo_->setBuddy(strokeBox_);
    leadCaption_->setBuddy(leadBox_);

    actuatorFrame_ = new QGroupBox(this);
    actuatorFrame_->setObjectName(QStringLiteral("actuatorFrame"));
    auto *types = new QHBoxLayout(actuatorFrame_);
    for (int i = 0; i < 2; ++i) {
        actuatorOption_[i] = new QRadioButton(actuatorFrame_);
        actuatorOption_[i]->setObjectName(QStringLiteral("actuatorOption%1").arg(i));
        types->addWidget(actuatorOption_[i]);
    }
    types->addStretch();
    actuatorOption_[0]->setChecked(true);

    resultCaption_ = new QLabel(this);
    resultCaption_->setObjectName(QStringLiteral("resultCaption"));
    resultLabel_ = new QLabel(this);
    resultLabel_->setObjectName(QStringLiteral("resultLabel"));
    resultLabel_->setFrameShape(QFrame::Panel);
    resultLabel_->setFrameShadow(QFrame::Sunken);
    resultLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    resultLabel_->setMinimumWidth(twips(1500));
    for (QLabel *&l : lblLeadNote_)
        l = new QLabel(this);

    calculateButton_ = new PushButton(this);
    calculateButton_->setObjectName(QStringLiteral("calculateButton"));
    inputButton_ = new PushButton(this);
    inputButton_->setObjectName(QStringLiteral("inputButton"));
    for (QPushButton *b : {calculateButton_, inputButton_}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(twips(1200));
    }

    auto *inputs = new QGridLayout;
    inputs->setHorizontalSpacing(twips(180));
    inputs->addWidget(lblStrokeTyo_, 0, 0);
    inputs->addWidget(strokeBox_, 0, 1, Qt::AlignLeft);
    inputs->addWidget(leadCaption_, 1, 0);
    inputs->addWidget(leadBox_, 1, 1, Qt::AlignLeft);
    inputs->addWidget(resultCaption_, 2, 0);
    inputs->addWidget(resultLabel_, 2, 1, Qt::AlignLeft);
    inputs->setColumnStretch(2, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(calculateButton_);
    buttons->addWidget(inputButton_);

    auto *top = new QVBoxLayout(this);
    top->addLayout(inputs);
    top->addWidget(actuatorFrame_);
    for (QLabel *l : lblLeadNote_)
        top->addWidget(l);
    top->addSpacing(twips(120));
    top->addLayout(buttons);

    connect(calculateButton_, &QPushButton::clicked, this, &StrokeCalculator::calculate);
    connect(inputButton_, &QPushButton::clicked, this, &StrokeCalculator::inputClicked);
}

void StrokeCalculator::setCaptions() {
    const AppState &s = s_;
    setWindowTitle(s.tx("計算", "Calculation"));
    lblStrokeTyo_->setText(s.tx("ストローク(mm)", "Stroke length(mm)"));
    strokeBox_->setToolTip(
        s.tx("ストロークを整数で入力して下さい(600mmまで)", "integer:25 to 600"));
    leadCaption_->setText(s.tx("リード(mm)", "Lead(mm)"));
    leadBox_->setToolTip(
        s.tx("リード(２，６，８のいずれか)を入力して下さい", "integer:2 or 6 or 8"));
    actuatorFrame_->setTitle(s.tx("ｱｸﾁｭｴｰﾀ", "Actuator"));
    actuatorOption_[0]->setText(s.tx("TZ-42D以外", "Except TZ-42D"));
    actuatorOption_[1]->setText(QStringLiteral("TZ-42D"));
    resultCaption_->setText(s.tx("ストローク長（パルス）", "Stroke length(Pulse)"));
    lblLeadNote_[0]->setText(s.tx("リードについて：", "About Lead:"));
    lblLeadNote_[1]->setText(QStringLiteral("TZ-35H, TZ-28H, RP-28H ===>> LEAD 6mm"));
    lblLeadNote_[2]->setText(QStringLiteral("TZ-50L, TZ-42L, TZ-35L, TZ-28L, TZ-20L, TZ-E35L, "
                                            "RP-28L, RP-35L  ===>> LEAD 2mm"));
    lblLeadNote_[3]->setText(QStringLiteral("TZ-50H, TZ-42H, TZ-42D, RP-35H ===>> LEAD 8mm"));
    calculateButton_->setText(s.tx("計算", "Calculate"));
    inputButton_->setText(s.tx("入力", "Input"));
}

QString StrokeCalculator::result() const {
    return resultLabel_->text();
}

bool StrokeCalculator::eventFilter(QObject *watched, QEvent *event) {
    auto *e = qobject_cast<QLineEdit *>(watched);
    if (!e || (e != strokeBox_ && e != leadBox_)) return QDialog::eventFilter(watched, event);
    const bool stroke = e == strokeBox_;

    if (event->type() == QEvent::KeyPress) {
        const auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            if (stroke)
                leadBox_->setFocus(Qt::TabFocusReason);
            else
                calculateButton_->setFocus(Qt::TabFocusReason);
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

void StrokeCalculator::calculate() {
    resultLabel_->setText(device::strokePulseResult(s_, strokeBox_->text(), leadBox_->text(),
                                                    actuatorOption_[1]->isChecked()));
}

void StrokeCalculator::inputClicked() {
    const QString r = result();
    if (r == device::invalidityWord(s_) || r == device::noDeviceWord(s_)) return;
    if (input_) input_(r);
    accept();
}
