#include "ui/status_panel.h"

#include "state/app_state.h"
#include "widgets/builders.h"
#include "widgets/lamp.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

StatusPanel::StatusPanel(AppState &s, QWidget *parent)
    : QGroupBox(s.tx("ステータス", "Status"), parent), s_(s) {
    setObjectName(QStringLiteral("statusFrame"));
    QWidget *body = frameBody(this);

    deviceCaption = makeLabel(body, "deviceCaption", tx("使用機種", "Type of TZ"));
    deviceLabel = makeValueBox(body, "deviceLabel");
    deviceLabel->setMinimumWidth(150);
    // The type area keeps its room whether or not the old-type badge shows,
    // so the model name does not jump when the device changes.
    typeArea = named(new QFrame(body), "typeArea");
    oldTypeMarker = makeLabel(typeArea, "oldTypeMarker", tx("旧型", "Old"));
    oldTypeMarker->setAlignment(Qt::AlignCenter);
    oldTypeMarker->setStyleSheet(QStringLiteral("QLabel { color: white; background: #b05a10;"
                                                " border-radius: 3px; padding: 1px 4px; }"));
    setBoldFace(oldTypeMarker, true);
    {
        auto *v = new QVBoxLayout(typeArea);
        v->setContentsMargins(0, 0, 0, 0);
        v->addWidget(oldTypeMarker);
        const QFontMetrics fm(oldTypeMarker->font());
        typeArea->setFixedWidth(qMax(fm.horizontalAdvance(QStringLiteral("Old")),
                                     fm.horizontalAdvance(QStringLiteral("旧型"))) +
                                16);
    }
    changeDeviceButton = makeButton(body, "changeDeviceButton", tx("機種変更", "Change"));

    fileNameCaption = makeLabel(body, "fileNameCaption", tx("ﾌｧｲﾙ名", "File Name"));
    fileNameLabel = makeValueBox(body, "fileNameLabel");
    fileNameLabel->setWordWrap(true);

    portLampImage = named(new Lamp(Lamp::portColour(), body), "portLampImage");
    portCaption = makeLabel(body, "portCaption", QStringLiteral("RS-232C"));
    portCaption->setToolTip(portTip());
    homeLampImage = named(new Lamp(Lamp::homeColour(), body), "homeLampImage");
    homeCaption = makeLabel(body, "homeCaption", tx("原点復帰", "Home"));
    alarmLampImage = named(new Lamp(Lamp::alarmColour(), body), "alarmLampImage");
    alarmCaption = makeLabel(body, "alarmCaption", QStringLiteral("ALARM"));
    alarmNoCaption = makeLabel(body, "alarmNoCaption", QStringLiteral("No."));
    alarmNoLabel = makeValueBox(body, "alarmNoLabel");
    alarmNoLabel->setAlignment(Qt::AlignCenter);
    alarmNoLabel->setMinimumWidth(
        alarmNoLabel->fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 12);
    errorTextLabel = makeValueBox(body, "errorTextLabel", QStringLiteral("No Error"));
    errorTextLabel->setWordWrap(true);
    errorTextLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    errorTextLabel->setMinimumHeight(errorTextLabel->fontMetrics().height() * 3 + 10);
    resetButton = makeButton(body, "resetButton", tx("ﾘｾｯﾄ", "Reset"));

    auto *v = new QVBoxLayout(body);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(4);
    v->addWidget(deviceCaption);
    auto *dev = new QHBoxLayout;
    dev->setSpacing(4);
    dev->addWidget(deviceLabel, 1);
    dev->addWidget(typeArea);
    v->addLayout(dev);
    auto *change = new QHBoxLayout;
    change->addStretch(1);
    change->addWidget(changeDeviceButton);
    v->addLayout(change);
    v->addSpacing(4);
    v->addWidget(fileNameCaption);
    v->addWidget(fileNameLabel);
    v->addSpacing(6);
    v->addWidget(makeLine(body));
    v->addSpacing(2);

    auto *lamps = new QGridLayout;
    lamps->setHorizontalSpacing(6);
    lamps->setVerticalSpacing(6);
    lamps->addWidget(portLampImage, 0, 0);
    lamps->addWidget(portCaption, 0, 1, 1, 3);
    lamps->addWidget(homeLampImage, 1, 0);
    lamps->addWidget(homeCaption, 1, 1, 1, 3);
    lamps->addWidget(alarmLampImage, 2, 0);
    lamps->addWidget(alarmCaption, 2, 1);
    lamps->addWidget(alarmNoCaption, 2, 2, Qt::AlignRight);
    lamps->addWidget(alarmNoLabel, 2, 3);
    lamps->setColumnStretch(1, 1);
    v->addLayout(lamps);
    v->addWidget(errorTextLabel);
    v->addStretch(1);
    v->addWidget(makeLine(body));
    auto *reset = new QHBoxLayout;
    reset->addStretch(1);
    reset->addWidget(resetButton);
    v->addLayout(reset);
}

QString StatusPanel::tx(const char *ja, const char *en) const {
    return s_.tx(ja, en);
}

QString StatusPanel::portTip() const {
    return tx("緑ランプ：通信ポートOPEN 　赤ランプ：通信ポートCLOSE",
              "Green:COM-PORT OPEN / White:COM-PORT CLOSE");
}

void StatusPanel::showPortFailure(const QString &failure) {
    const QString tip = failure.isEmpty() ? portTip() : portTip() + u'\n' + failure;
    portCaption->setToolTip(tip);
    portLampImage->setToolTip(tip);
}

void StatusPanel::showDevice() {
    deviceLabel->setText(s_.device.modelName);
    showDeviceType();
}

void StatusPanel::showDeviceType() {
    typeArea->setVisible(s_.device.tz);
    oldTypeMarker->setVisible(!s_.device.newType);
}

void StatusPanel::showFileLabel() {
    fileNameLabel->setText(s_.fileLabel);
}

void StatusPanel::showIndicators() {
    const StatusIndicators &ind = s_.link.indicators;
    portLampImage->setLit(s_.link.isPortOpen());
    homeLampImage->setLit(ind.homeLamp);
    alarmLampImage->setLit(ind.alarmLamp);
    alarmNoLabel->setText(ind.alarmNo);
    errorTextLabel->setText(ind.errorComment);
}
