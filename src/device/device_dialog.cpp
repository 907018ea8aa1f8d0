#include "device/device_dialog.h"

#include "common/numtext.h"
#include "device/catalogue.h"
#include "state/app_state.h"
#include "widgets/push_button.h"
#include "widgets/twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// Refills a list the way it has always behaved: emptying it empties its text
// too, and adding items does not pick one (Qt would pick the first).
void fillList(QComboBox *c, const QStringList &items) {
    c->clear();
    c->addItems(items);
    c->setCurrentIndex(-1);
}

// Shows `wanted` when it is one of the items, otherwise the first item.
void showItemOrFirst(QComboBox *c, const QString &wanted) {
    const int i = c->findText(wanted);
    c->setCurrentIndex(i >= 0 ? i : (c->count() > 0 ? 0 : -1));
}

QComboBox *newList(QWidget *parent, const char *name) {
    auto *c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(true);
    // Typing is for picking: a typed text must never grow the catalogue's list.
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setMinimumContentsLength(5);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return c;
}

QRadioButton *newOption(QWidget *parent, const char *name) {
    auto *o = new QRadioButton(parent);
    o->setObjectName(QLatin1String(name));
    return o;
}

// Hidden frames keep their place, so the window does not jump while the
// user browses families and sizes.
void keepPlaceWhenHidden(QWidget *w) {
    QSizePolicy p = w->sizePolicy();
    p.setRetainSizeWhenHidden(true);
    w->setSizePolicy(p);
}

} // namespace

DeviceDialog::DeviceDialog(AppState &s, QWidget *parent)
    : QDialog(parent), s_(s), savedCandidate_(s.candidate), savedCatalogue_(s.catalogue) {
    buildWindow();
    setCaptions();
    // The window takes the size its captions need in the run's language and
    // keeps it; hidden frames keep their place, so it never needs to change.
    setFixedSize(sizeHint());
    placeBesideParent();
    openWithCurrentDevice();
}

DeviceDialog::~DeviceDialog() {
    // Tearing the window down moves the focus; that is not the user leaving a list.
    sizeList_->removeEventFilter(this);
    speedList_->removeEventFilter(this);
}

void DeviceDialog::buildWindow() {
    setObjectName(QStringLiteral("DeviceDialog"));
    setModal(true);

    explanationLabel_ = new QLabel(this);
    explanationLabel_->setObjectName(QStringLiteral("explanationLabel"));

    familyFrame_ = new QGroupBox(this);
    familyFrame_->setObjectName(QStringLiteral("familyFrame"));
    familyOption_[0] = newOption(familyFrame_, "tzOption");
    familyOption_[1] = newOption(familyFrame_, "rpOption");
    auto *familyRow = new QHBoxLayout(familyFrame_);
    familyRow->addWidget(familyOption_[0]);
    familyRow->addSpacing(twips(300));
    familyRow->addWidget(familyOption_[1]);
    familyRow->addStretch();

    typeFrame_ = new QGroupBox(this);
    typeFrame_->setObjectName(QStringLiteral("typeFrame"));
    typeOption_[0] = newOption(typeFrame_, "newTypeOption");
    typeOption_[1] = newOption(typeFrame_, "oldTypeOption");
    auto *typeRow = new QHBoxLayout(typeFrame_);
    typeRow->addWidget(typeOption_[0]);
    typeRow->addSpacing(twips(300));
    typeRow->addWidget(typeOption_[1]);
    typeRow->addStretch();
    keepPlaceWhenHidden(typeFrame_);

    // The option pair above is what the user sees; the check box carries the
    // same choice for OK and follows the options.
    oldTypeBox_ = new QCheckBox(this);
    oldTypeBox_->setObjectName(QStringLiteral("oldTypeBox"));
    oldTypeBox_->hide();

    auto *framLists = new QGroupBox(this);
    framLists->setObjectName(QStringLiteral("deviceFrame"));
    lblSize_ = new QLabel(framLists);
    lblSpeed_ = new QLabel(framLists);
    lblStroke_ = new QLabel(framLists);
    sizeList_ = newList(framLists, "sizeList");
    speedList_ = newList(framLists, "speedList");
    strokeList_ = newList(framLists, "strokeList");
    lblSize_->setBuddy(sizeList_);
    lblSpeed_->setBuddy(speedList_);
    lblStroke_->setBuddy(strokeList_);
    auto *lists = new QGridLayout(framLists);
    lists->setHorizontalSpacing(twips(180));
    lists->addWidget(lblSize_, 0, 0);
    lists->addWidget(sizeList_, 0, 1);
    lists->addWidget(lblSpeed_, 1, 0);
    lists->addWidget(speedList_, 1, 1);
    lists->addWidget(lblStroke_, 2, 0);
    lists->addWidget(strokeList_, 2, 1);
    lists->setColumnStretch(1, 1);

    homingFrame_ = new QGroupBox(this);
    homingFrame_->setObjectName(QStringLiteral("homingFrame"));
    homingOption_[0] = newOption(homingFrame_, "pushingOption");
    homingOption_[1] = newOption(homingFrame_, "sensorOption");
    homingNote_[0] = new QLabel(homingFrame_);
    homingNote_[0]->setObjectName(QStringLiteral("pushingNote"));
    homingNote_[1] = new QLabel(homingFrame_);
    homingNote_[1]->setObjectName(QStringLiteral("sensorNote"));
    auto *home = new QGridLayout(homingFrame_);
    home->setHorizontalSpacing(twips(300));
    home->addWidget(homingOption_[0], 0, 0);
    home->addWidget(homingNote_[0], 0, 1);
    home->addWidget(homingOption_[1], 1, 0);
    home->addWidget(homingNote_[1], 1, 1);
    home->setColumnStretch(1, 1);
    keepPlaceWhenHidden(homingFrame_);

    okButton_ = new PushButton(this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    cancelButton_ = new PushButton(this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton *b : {okButton_, cancelButton_})
        b->setMinimumWidth(twips(1200));

    auto *left = new QVBoxLayout;
    left->addWidget(familyFrame_);
    left->addWidget(typeFrame_);
    left->addWidget(oldTypeBox_);
    left->addStretch();

    auto *middle = new QHBoxLayout;
    middle->addLayout(left, 3);
    middle->addWidget(framLists, 2);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);

    auto *top = new QVBoxLayout(this);
    top->addWidget(explanationLabel_);
    top->addSpacing(twips(60));
    top->addLayout(middle);
    top->addWidget(homingFrame_);
    top->addSpacing(twips(60));
    top->addLayout(buttons);

    connect(familyOption_[0], &QRadioButton::clicked, this, [this] { familyClicked(0); });
    connect(familyOption_[1], &QRadioButton::clicked, this, [this] { familyClicked(1); });
    connect(typeOption_[0], &QRadioButton::clicked, this, [this] { typeOptionClicked(0); });
    connect(typeOption_[1], &QRadioButton::clicked, this, [this] { typeOptionClicked(1); });
    connect(oldTypeBox_, &QCheckBox::clicked, this, &DeviceDialog::oldTypeCheckClicked);
    connect(sizeList_, &QComboBox::activated, this, &DeviceDialog::sizeChanged);
    connect(speedList_, &QComboBox::activated, this, &DeviceDialog::speedChanged);
    sizeList_->installEventFilter(this);
    speedList_->installEventFilter(this);
    connect(okButton_, &QPushButton::clicked, this, &DeviceDialog::okClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &DeviceDialog::reject);
}

void DeviceDialog::setCaptions() {
    setWindowTitle(s_.tx("機種選択", "Select Device"));
    explanationLabel_->setText(s_.tx("使用するアクチュエータの機種を選択して下さい。",
                                     "Select Acutuator type,size,speed,stroke and click [ok]"));
    familyOption_[0]->setText(QStringLiteral("TZ"));
    familyOption_[1]->setText(QStringLiteral("RP"));
    typeFrame_->setTitle(s_.tx("ｱｸﾁｭｴｰﾀ", "Actuator"));
    typeOption_[0]->setText(s_.tx("新型", "New type"));
    typeOption_[1]->setText(s_.tx("旧型", "Old type"));
    oldTypeBox_->setText(s_.tx("旧型ﾀｲﾌﾟ", "Old type"));
    lblSize_->setText(s_.tx("サイズ", "Size"));
    lblSpeed_->setText(s_.tx("スピード", "Speed"));
    lblStroke_->setText(s_.tx("ストローク", "Stroke"));
    homingFrame_->setTitle(s_.tx("原点復帰方式", "Home Method"));
    homingOption_[0]->setText(s_.tx("押付け方式", "Pushing"));
    homingOption_[1]->setText(s_.tx("センサ方式", "Sensor"));
    homingNote_[0]->setText(s_.tx("(旧 標準仕様)", "(former:Standard)"));
    homingNote_[1]->setText(s_.tx("(旧 垂直仕様)", "(former:Vertical)"));
    okButton_->setText(QStringLiteral("OK"));
    cancelButton_->setText(s_.tx("キャンセル", "Cancel"));
}

void DeviceDialog::placeBesideParent() {
    if (QWidget *p = parentWidget()) move(p->window()->pos() + QPoint(twips(500), twips(500)));
}

void DeviceDialog::openWithCurrentDevice() {
    const DeviceRecord &d = s_.device;
    CandidateDevice &c = s_.candidate;
    // Where the list leaves the homing choice open, start from the device's own.
    homingOption_[d.verticalSpec ? 1 : 0]->setChecked(true);
    if (!d.tz) {
        c.familyText = QStringLiteral("RP");
        familyOption_[1]->setChecked(true);
        showTypeControls(false);
        homingOption_[0]->setChecked(true);
        showHomeFrame(false);
    } else {
        familyOption_[0]->setChecked(true);
        c.familyText = QStringLiteral("TZ");
        showTypeControls(true);
        if (!d.newType) {
            showHomeFrame(true);
        } else {
            homingOption_[1]->setChecked(true);
            showHomeFrame(false);
        }
    }
    cancelled_ = false;
    sizeList_->setEditText(d.size);
    speedList_->setEditText(d.speed);
    strokeList_->setEditText(QString::number(d.stroke));
    setOldTypeControls(!d.newType);
    c.newType = !oldTypeBox_->isChecked();
    if (device::loadCatalogue(s_, false)) refreshAll();
}

void DeviceDialog::refreshAll() {
    const bool hadText = !sizeList_->currentText().isEmpty();
    fillList(sizeList_, s_.catalogue.sizes.mid(0, DeviceCatalogue::MaxSizes));
    if (hadText)
        showItemOrFirst(sizeList_, s_.device.size);
    else if (sizeList_->count() > 0)
        sizeList_->setCurrentIndex(0);
    const QString size = sizeList_->currentText();
    fillSpeeds(size);
    fillStrokes(size, speedList_->currentText());
    setHomingChoice();
}

void DeviceDialog::sizeChanged() {
    if (sizeList_->currentText().isEmpty() && sizeList_->count() > 0) sizeList_->setCurrentIndex(0);
    const QString size = sizeList_->currentText();
    fillSpeeds(size);
    fillStrokes(size, speedList_->currentText());
    setHomingChoice();
}

void DeviceDialog::speedChanged() {
    fillStrokes(sizeList_->currentText(), speedList_->currentText());
    setHomingChoice();
}

void DeviceDialog::fillSpeeds(const QString &size) {
    fillList(speedList_, device::speedsForSize(s_.catalogue, size));
    // These sizes come in one speed only.
    if (size == QLatin1String("E35") || size == QLatin1String(" 20"))
        speedList_->setEditText(QStringLiteral("L"));
    if (!s_.device.speed.isEmpty()) showItemOrFirst(speedList_, s_.device.speed);
}

void DeviceDialog::fillStrokes(const QString &size, const QString &speed) {
    QStringList strokes;
    for (const CatalogueEntry &e : s_.catalogue.entries)
        if (e.size == size && e.speed == speed) strokes << QString::number(e.stroke);
    fillList(strokeList_, strokes);
    showItemOrFirst(strokeList_, QString::number(s_.device.stroke));
}

void DeviceDialog::setHomingChoice() {
    const std::optional<int> code = device::lookupVerticalCode(
        s_, s_.candidate.newType, s_.candidate.familyText, sizeList_->currentText(),
        speedList_->currentText(), shownStroke());
    if (!code) return;
    switch (*code) {
    case 0:
        showHomeFrame(false);
        homingOption_[0]->setChecked(true);
        return;
    case 2:
        showHomeFrame(false);
        homingOption_[1]->setChecked(true);
        return;
    default:
        showHomeFrame(true);
        homingOption_[s_.device.verticalSpec ? 1 : 0]->setChecked(true);
        return;
    }
}

void DeviceDialog::familyClicked(int index) {
    CandidateDevice &c = s_.candidate;
    c.familyText = index == 0 ? QStringLiteral("TZ") : QStringLiteral("RP");
    showTypeControls(index == 0);
    // The type is the old-type check box's alone, for RP too: choosing an RP
    // model from a new-type device must not make it an old-type one.
    c.newType = !oldTypeBox_->isChecked();
    reloadForCandidate();
}

void DeviceDialog::typeOptionClicked(int index) {
    setOldTypeControls(index == 1);
    s_.candidate.newType = index == 0;
    reloadForCandidate();
}

void DeviceDialog::oldTypeCheckClicked() {
    const bool old = oldTypeBox_->isChecked();
    setOldTypeControls(old);
    s_.candidate.newType = !old;
    s_.candidate.familyText = QStringLiteral("TZ");
    reloadForCandidate();
}

void DeviceDialog::reloadForCandidate() {
    s_.catalogue.listMissing = false;
    if (device::loadCatalogue(s_, true)) refreshAll();
}

void DeviceDialog::okClicked() {
    CandidateDevice &c = s_.candidate;
    c.familyText = familyOption_[0]->isChecked() ? QStringLiteral("TZ") : QStringLiteral("RP");
    c.size = sizeList_->currentText();
    c.speed = speedList_->currentText();
    c.stroke = shownStroke();
    s_.device.verticalSpec = homingOption_[1]->isChecked();
    c.newType = !oldTypeBox_->isChecked();
    device::loadCatalogue(s_, true);
    cancelled_ = false;
    accept();
}

void DeviceDialog::reject() {
    cancelled_ = true;
    s_.candidate = savedCandidate_;
    s_.catalogue = savedCatalogue_;
    QDialog::reject();
}

bool DeviceDialog::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::FocusOut && (watched == sizeList_ || watched == speedList_)) {
        // Opening the drop-down or switching to another window is not leaving the list.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            if (watched == sizeList_)
                sizeChanged();
            else
                speedChanged();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void DeviceDialog::showTypeControls(bool on) {
    // Only the option pair is presented; the check box stays out of sight.
    typeFrame_->setVisible(on);
}

void DeviceDialog::showHomeFrame(bool on) {
    homingFrame_->setVisible(on);
    homingOption_[0]->setVisible(on);
    homingOption_[1]->setVisible(on);
}

void DeviceDialog::setOldTypeControls(bool old) {
    oldTypeBox_->setChecked(old);
    typeOption_[old ? 1 : 0]->setChecked(true);
}

qint16 DeviceDialog::shownStroke() const {
    // A stroke too large for the device record reads as none; OK's caller rejects it.
    return num::int16Of(strokeList_->currentText()).value_or(0);
}
