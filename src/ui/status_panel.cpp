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
    setObjectName(QStringLiteral("frmTrancefer"));
    QWidget *body = frameBody(this);

    lblShowDev = makeLabel(body, "lblShowDev", tx("使用機種", "Type of TZ"));
    lblDeviceType = makeValueBox(body, "lblDeviceType");
    lblDeviceType->setMinimumWidth(150);
    // The type area keeps its room whether or not the old-type badge shows,
    // so the model name does not jump when the device changes.
    pictureSelectType = named(new QFrame(body), "pictureSelectType");
    lblOldType = makeLabel(pictureSelectType, "lblOldType", tx("旧型", "Old"));
    lblOldType->setAlignment(Qt::AlignCenter);
    lblOldType->setStyleSheet(QStringLiteral("QLabel { color: white; background: #b05a10;"
                                             " border-radius: 3px; padding: 1px 4px; }"));
    setBoldFace(lblOldType, true);
    {
        auto *v = new QVBoxLayout(pictureSelectType);
        v->setContentsMargins(0, 0, 0, 0);
        v->addWidget(lblOldType);
        const QFontMetrics fm(lblOldType->font());
        pictureSelectType->setFixedWidth(qMax(fm.horizontalAdvance(QStringLiteral("Old")),
                                              fm.horizontalAdvance(QStringLiteral("旧型"))) +
                                         16);
    }
    cmdChangeDev = makeButton(body, "cmdChangeDev", tx("機種変更", "Change"));

    lblFilelabel = makeLabel(body, "lblFilelabel", tx("ﾌｧｲﾙ名", "File Name"));
    lblFileName = makeValueBox(body, "lblFileName");
    lblFileName->setWordWrap(true);

    imgPort = named(new Lamp(Lamp::portColour(), body), "imgPort");
    lblJotai = makeLabel(body, "lblJotai", QStringLiteral("RS-232C"));
    lblJotai->setToolTip(tx("緑ランプ：通信ポートOPEN 　赤ランプ：通信ポートCLOSE",
                            "Green:COM-PORT OPEN / White:COM-PORT CLOSE"));
    imgHome = named(new Lamp(Lamp::homeColour(), body), "imgHome");
    lblHome = makeLabel(body, "lblHome", tx("原点復帰", "Home"));
    imgAlarm = named(new Lamp(Lamp::alarmColour(), body), "imgAlarm");
    lblError = makeLabel(body, "lblError", QStringLiteral("ALARM"));
    Label1 = makeLabel(body, "Label1", QStringLiteral("No."));
    lblAlarmNo = makeValueBox(body, "lblAlarmNo");
    lblAlarmNo->setAlignment(Qt::AlignCenter);
    lblAlarmNo->setMinimumWidth(lblAlarmNo->fontMetrics().horizontalAdvance(QStringLiteral("WW")) +
                                12);
    lblErrorComment = makeValueBox(body, "lblErrorComment", QStringLiteral("No Error"));
    lblErrorComment->setWordWrap(true);
    lblErrorComment->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblErrorComment->setMinimumHeight(lblErrorComment->fontMetrics().height() * 3 + 10);
    cmdReset = makeButton(body, "cmdReset", tx("ﾘｾｯﾄ", "Reset"));

    auto *v = new QVBoxLayout(body);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(4);
    v->addWidget(lblShowDev);
    auto *dev = new QHBoxLayout;
    dev->setSpacing(4);
    dev->addWidget(lblDeviceType, 1);
    dev->addWidget(pictureSelectType);
    v->addLayout(dev);
    auto *change = new QHBoxLayout;
    change->addStretch(1);
    change->addWidget(cmdChangeDev);
    v->addLayout(change);
    v->addSpacing(4);
    v->addWidget(lblFilelabel);
    v->addWidget(lblFileName);
    v->addSpacing(6);
    v->addWidget(makeLine(body));
    v->addSpacing(2);

    auto *lamps = new QGridLayout;
    lamps->setHorizontalSpacing(6);
    lamps->setVerticalSpacing(6);
    lamps->addWidget(imgPort, 0, 0);
    lamps->addWidget(lblJotai, 0, 1, 1, 3);
    lamps->addWidget(imgHome, 1, 0);
    lamps->addWidget(lblHome, 1, 1, 1, 3);
    lamps->addWidget(imgAlarm, 2, 0);
    lamps->addWidget(lblError, 2, 1);
    lamps->addWidget(Label1, 2, 2, Qt::AlignRight);
    lamps->addWidget(lblAlarmNo, 2, 3);
    lamps->setColumnStretch(1, 1);
    v->addLayout(lamps);
    v->addWidget(lblErrorComment);
    v->addStretch(1);
    v->addWidget(makeLine(body));
    auto *reset = new QHBoxLayout;
    reset->addStretch(1);
    reset->addWidget(cmdReset);
    v->addLayout(reset);
}

QString StatusPanel::tx(const char *ja, const char *en) const {
    return s_.tx(ja, en);
}

void StatusPanel::showDevice() {
    lblDeviceType->setText(s_.device.modelName);
    showDeviceType();
}

void StatusPanel::showDeviceType() {
    pictureSelectType->setVisible(s_.device.tz);
    lblOldType->setVisible(!s_.device.newType);
}

void StatusPanel::showFileLabel() {
    lblFileName->setText(s_.fileLabel);
}

void StatusPanel::showIndicators() {
    const StatusIndicators &ind = s_.link.indicators;
    imgPort->setLit(s_.link.isPortOpen());
    imgHome->setLit(ind.homeLamp);
    imgAlarm->setLit(ind.alarmLamp);
    lblAlarmNo->setText(ind.alarmNo);
    lblErrorComment->setText(ind.errorComment);
}
