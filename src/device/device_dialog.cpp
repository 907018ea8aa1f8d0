#include "device/device_dialog.h"

#include "state/app_state.h"
#include "common/numtext.h"
#include "device/catalogue.h"
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

frmDevice2::frmDevice2(AppState &s, QWidget *parent)
    : QDialog(parent), s_(s), savedCandidate_(s.candidate), savedCatalogue_(s.catalogue) {
    buildWindow();
    setCaptions();
    // The window takes the size its captions need in the run's language and
    // keeps it; hidden frames keep their place, so it never needs to change.
    setFixedSize(sizeHint());
    placeBesideParent();
    openWithCurrentDevice();
}

frmDevice2::~frmDevice2() {
    // Tearing the window down moves the focus; that is not the user leaving a list.
    comboDeviceSize_->removeEventFilter(this);
    comboDeviceSpeed_->removeEventFilter(this);
}

void frmDevice2::buildWindow() {
    setObjectName(QStringLiteral("frmDevice2"));
    setModal(true);

    lblExplain_ = new QLabel(this);
    lblExplain_->setObjectName(QStringLiteral("lblExplain"));

    framTzSelect_ = new QGroupBox(this);
    framTzSelect_->setObjectName(QStringLiteral("framTzSelect"));
    optTzSelect_[0] = newOption(framTzSelect_, "optTzSelect0");
    optTzSelect_[1] = newOption(framTzSelect_, "optTzSelect1");
    auto *familyRow = new QHBoxLayout(framTzSelect_);
    familyRow->addWidget(optTzSelect_[0]);
    familyRow->addSpacing(twips(300));
    familyRow->addWidget(optTzSelect_[1]);
    familyRow->addStretch();

    framNewOrOld_ = new QGroupBox(this);
    framNewOrOld_->setObjectName(QStringLiteral("framNewOrOld"));
    optNewOrOld_[0] = newOption(framNewOrOld_, "optNewOrOld0");
    optNewOrOld_[1] = newOption(framNewOrOld_, "optNewOrOld1");
    auto *typeRow = new QHBoxLayout(framNewOrOld_);
    typeRow->addWidget(optNewOrOld_[0]);
    typeRow->addSpacing(twips(300));
    typeRow->addWidget(optNewOrOld_[1]);
    typeRow->addStretch();
    keepPlaceWhenHidden(framNewOrOld_);

    // The option pair above is what the user sees; the check box carries the
    // same choice for OK and follows the options.
    chkNewOrOld_ = new QCheckBox(this);
    chkNewOrOld_->setObjectName(QStringLiteral("chkNewOrOld"));
    chkNewOrOld_->hide();

    auto *framLists = new QGroupBox(this);
    framLists->setObjectName(QStringLiteral("framDeviceList"));
    lblSize_ = new QLabel(framLists);
    lblSpeed_ = new QLabel(framLists);
    lblStroke_ = new QLabel(framLists);
    comboDeviceSize_ = newList(framLists, "comboDeviceSize");
    comboDeviceSpeed_ = newList(framLists, "comboDeviceSpeed");
    comboDeviceStroke_ = newList(framLists, "comboDeviceStroke");
    lblSize_->setBuddy(comboDeviceSize_);
    lblSpeed_->setBuddy(comboDeviceSpeed_);
    lblStroke_->setBuddy(comboDeviceStroke_);
    auto *lists = new QGridLayout(framLists);
    lists->setHorizontalSpacing(twips(180));
    lists->addWidget(lblSize_, 0, 0);
    lists->addWidget(comboDeviceSize_, 0, 1);
    lists->addWidget(lblSpeed_, 1, 0);
    lists->addWidget(comboDeviceSpeed_, 1, 1);
    lists->addWidget(lblStroke_, 2, 0);
    lists->addWidget(comboDeviceStroke_, 2, 1);
    lists->setColumnStretch(1, 1);

    framHomeMethod_ = new QGroupBox(this);
    framHomeMethod_->setObjectName(QStringLiteral("framHomeMethod"));
    optHomeMethod_[0] = newOption(framHomeMethod_, "optHomeMethod0");
    optHomeMethod_[1] = newOption(framHomeMethod_, "optHomeMethod1");
    lblHomeNote_[0] = new QLabel(framHomeMethod_);
    lblHomeNote_[0]->setObjectName(QStringLiteral("lblHomeNote0"));
    lblHomeNote_[1] = new QLabel(framHomeMethod_);
    lblHomeNote_[1]->setObjectName(QStringLiteral("lblHomeNote1"));
    auto *home = new QGridLayout(framHomeMethod_);
    home->setHorizontalSpacing(twips(300));
    home->addWidget(optHomeMethod_[0], 0, 0);
    home->addWidget(lblHomeNote_[0], 0, 1);
    home->addWidget(optHomeMethod_[1], 1, 0);
    home->addWidget(lblHomeNote_[1], 1, 1);
    home->setColumnStretch(1, 1);
    keepPlaceWhenHidden(framHomeMethod_);

    cmdDeviceSet_ = new PushButton(this);
    cmdDeviceSet_->setObjectName(QStringLiteral("cmdDeviceSet"));
    cmdDeviceSet_->setDefault(true);
    cmdDeviceCancel_ = new PushButton(this);
    cmdDeviceCancel_->setObjectName(QStringLiteral("cmdDeviceCancel"));
    for (QPushButton *b : {cmdDeviceSet_, cmdDeviceCancel_})
        b->setMinimumWidth(twips(1200));

    auto *left = new QVBoxLayout;
    left->addWidget(framTzSelect_);
    left->addWidget(framNewOrOld_);
    left->addWidget(chkNewOrOld_);
    left->addStretch();

    auto *middle = new QHBoxLayout;
    middle->addLayout(left, 3);
    middle->addWidget(framLists, 2);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdDeviceSet_);
    buttons->addWidget(cmdDeviceCancel_);

    auto *top = new QVBoxLayout(this);
    top->addWidget(lblExplain_);
    top->addSpacing(twips(60));
    top->addLayout(middle);
    top->addWidget(framHomeMethod_);
    top->addSpacing(twips(60));
    top->addLayout(buttons);

    connect(optTzSelect_[0], &QRadioButton::clicked, this, [this] { familyClicked(0); });
    connect(optTzSelect_[1], &QRadioButton::clicked, this, [this] { familyClicked(1); });
    connect(optNewOrOld_[0], &QRadioButton::clicked, this, [this] { typeOptionClicked(0); });
    connect(optNewOrOld_[1], &QRadioButton::clicked, this, [this] { typeOptionClicked(1); });
    connect(chkNewOrOld_, &QCheckBox::clicked, this, &frmDevice2::oldTypeCheckClicked);
    connect(comboDeviceSize_, &QComboBox::activated, this, &frmDevice2::sizeChanged);
    connect(comboDeviceSpeed_, &QComboBox::activated, this, &frmDevice2::speedChanged);
    comboDeviceSize_->installEventFilter(this);
    comboDeviceSpeed_->installEventFilter(this);
    connect(cmdDeviceSet_, &QPushButton::clicked, this, &frmDevice2::okClicked);
    connect(cmdDeviceCancel_, &QPushButton::clicked, this, &frmDevice2::reject);
}

void frmDevice2::setCaptions() {
    setWindowTitle(s_.tx("機種選択", "Select Device"));
    lblExplain_->setText(s_.tx("使用するアクチュエータの機種を選択して下さい。",
                               "Select Acutuator type,size,speed,stroke and click [ok]"));
    optTzSelect_[0]->setText(QStringLiteral("TZ"));
    optTzSelect_[1]->setText(QStringLiteral("RP"));
    framNewOrOld_->setTitle(s_.tx("ｱｸﾁｭｴｰﾀ", "Actuator"));
    optNewOrOld_[0]->setText(s_.tx("新型", "New type"));
    optNewOrOld_[1]->setText(s_.tx("旧型", "Old type"));
    chkNewOrOld_->setText(s_.tx("旧型ﾀｲﾌﾟ", "Old type"));
    lblSize_->setText(s_.tx("サイズ", "Size"));
    lblSpeed_->setText(s_.tx("スピード", "Speed"));
    lblStroke_->setText(s_.tx("ストローク", "Stroke"));
    framHomeMethod_->setTitle(s_.tx("原点復帰方式", "Home Method"));
    optHomeMethod_[0]->setText(s_.tx("押付け方式", "Pushing"));
    optHomeMethod_[1]->setText(s_.tx("センサ方式", "Sensor"));
    lblHomeNote_[0]->setText(s_.tx("(旧 標準仕様)", "(former:Standard)"));
    lblHomeNote_[1]->setText(s_.tx("(旧 垂直仕様)", "(former:Vertical)"));
    cmdDeviceSet_->setText(QStringLiteral("OK"));
    cmdDeviceCancel_->setText(s_.tx("キャンセル", "Cancel"));
}

void frmDevice2::placeBesideParent() {
    if (QWidget *p = parentWidget()) move(p->window()->pos() + QPoint(twips(500), twips(500)));
}

void frmDevice2::openWithCurrentDevice() {
    const DeviceRecord &d = s_.device;
    CandidateDevice &c = s_.candidate;
    // Where the list leaves the homing choice open, start from the device's own.
    optHomeMethod_[d.verticalSpec ? 1 : 0]->setChecked(true);
    if (!d.tz) {
        c.familyText = QStringLiteral("RP");
        optTzSelect_[1]->setChecked(true);
        showTypeControls(false);
        optHomeMethod_[0]->setChecked(true);
        showHomeFrame(false);
    } else {
        optTzSelect_[0]->setChecked(true);
        c.familyText = QStringLiteral("TZ");
        showTypeControls(true);
        if (!d.newType) {
            showHomeFrame(true);
        } else {
            optHomeMethod_[1]->setChecked(true);
            showHomeFrame(false);
        }
    }
    cancelled_ = false;
    comboDeviceSize_->setEditText(d.size);
    comboDeviceSpeed_->setEditText(d.speed);
    comboDeviceStroke_->setEditText(QString::number(d.stroke));
    setOldTypeControls(!d.newType);
    c.newType = !chkNewOrOld_->isChecked();
    if (device::loadCatalogue(s_, false)) refreshAll();
}

void frmDevice2::refreshAll() {
    const bool hadText = !comboDeviceSize_->currentText().isEmpty();
    fillList(comboDeviceSize_, s_.catalogue.sizes.mid(0, DeviceCatalogue::MaxSizes));
    if (hadText)
        showItemOrFirst(comboDeviceSize_, s_.device.size);
    else if (comboDeviceSize_->count() > 0)
        comboDeviceSize_->setCurrentIndex(0);
    const QString size = comboDeviceSize_->currentText();
    fillSpeeds(size);
    fillStrokes(size, comboDeviceSpeed_->currentText());
    setHomingChoice();
}

void frmDevice2::sizeChanged() {
    if (comboDeviceSize_->currentText().isEmpty() && comboDeviceSize_->count() > 0)
        comboDeviceSize_->setCurrentIndex(0);
    const QString size = comboDeviceSize_->currentText();
    fillSpeeds(size);
    fillStrokes(size, comboDeviceSpeed_->currentText());
    setHomingChoice();
}

void frmDevice2::speedChanged() {
    fillStrokes(comboDeviceSize_->currentText(), comboDeviceSpeed_->currentText());
    setHomingChoice();
}

void frmDevice2::fillSpeeds(const QString &size) {
    fillList(comboDeviceSpeed_, device::speedsForSize(s_.catalogue, size));
    // These sizes come in one speed only.
    if (size == QLatin1String("E35") || size == QLatin1String(" 20"))
        comboDeviceSpeed_->setEditText(QStringLiteral("L"));
    if (!s_.device.speed.isEmpty()) showItemOrFirst(comboDeviceSpeed_, s_.device.speed);
}

void frmDevice2::fillStrokes(const QString &size, const QString &speed) {
    QStringList strokes;
    for (const CatalogueEntry &e : s_.catalogue.entries)
        if (e.size == size && e.speed == speed) strokes << QString::number(e.stroke);
    fillList(comboDeviceStroke_, strokes);
    showItemOrFirst(comboDeviceStroke_, QString::number(s_.device.stroke));
}

void frmDevice2::setHomingChoice() {
    const int code = device::lookupVerticalCode(s_, s_.candidate.newType, s_.candidate.familyText,
                                                comboDeviceSize_->currentText(),
                                                comboDeviceSpeed_->currentText(), shownStroke());
    switch (code) {
    case 99:
        return;
    case 0:
        showHomeFrame(false);
        optHomeMethod_[0]->setChecked(true);
        return;
    case 2:
        showHomeFrame(false);
        optHomeMethod_[1]->setChecked(true);
        return;
    default:
        showHomeFrame(true);
        optHomeMethod_[s_.device.verticalSpec ? 1 : 0]->setChecked(true);
        return;
    }
}

void frmDevice2::familyClicked(int index) {
    CandidateDevice &c = s_.candidate;
    c.familyText = index == 0 ? QStringLiteral("TZ") : QStringLiteral("RP");
    showTypeControls(index == 0);
    // The type is the old-type check box's alone, for RP too: choosing an RP
    // model from a new-type device must not make it an old-type one.
    c.newType = !chkNewOrOld_->isChecked();
    reloadForCandidate();
}

void frmDevice2::typeOptionClicked(int index) {
    setOldTypeControls(index == 1);
    s_.candidate.newType = index == 0;
    reloadForCandidate();
}

void frmDevice2::oldTypeCheckClicked() {
    const bool old = chkNewOrOld_->isChecked();
    setOldTypeControls(old);
    s_.candidate.newType = !old;
    s_.candidate.familyText = QStringLiteral("TZ");
    reloadForCandidate();
}

void frmDevice2::reloadForCandidate() {
    s_.catalogue.listMissing = false;
    if (device::loadCatalogue(s_, true)) refreshAll();
}

void frmDevice2::okClicked() {
    CandidateDevice &c = s_.candidate;
    c.familyText = optTzSelect_[0]->isChecked() ? QStringLiteral("TZ") : QStringLiteral("RP");
    c.size = comboDeviceSize_->currentText();
    c.speed = comboDeviceSpeed_->currentText();
    c.stroke = shownStroke();
    s_.device.verticalSpec = optHomeMethod_[1]->isChecked();
    c.newType = !chkNewOrOld_->isChecked();
    device::loadCatalogue(s_, true);
    cancelled_ = false;
    accept();
}

void frmDevice2::reject() {
    cancelled_ = true;
    s_.candidate = savedCandidate_;
    s_.catalogue = savedCatalogue_;
    QDialog::reject();
}

bool frmDevice2::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::FocusOut &&
        (watched == comboDeviceSize_ || watched == comboDeviceSpeed_)) {
        // Opening the drop-down or switching to another window is not leaving the list.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            if (watched == comboDeviceSize_)
                sizeChanged();
            else
                speedChanged();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmDevice2::showTypeControls(bool on) {
    // Only the option pair is presented; the check box stays out of sight.
    framNewOrOld_->setVisible(on);
}

void frmDevice2::showHomeFrame(bool on) {
    framHomeMethod_->setVisible(on);
    optHomeMethod_[0]->setVisible(on);
    optHomeMethod_[1]->setVisible(on);
}

void frmDevice2::setOldTypeControls(bool old) {
    chkNewOrOld_->setChecked(old);
    optNewOrOld_[old ? 1 : 0]->setChecked(true);
}

qint16 frmDevice2::shownStroke() const {
    // A stroke too large for the device record reads as none; OK's caller rejects it.
    return num::int16Of(comboDeviceStroke_->currentText()).value_or(0);
}
