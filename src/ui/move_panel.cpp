#include "ui/move_panel.h"

#include "common/numtext.h"
#include "state/app_state.h"
#include "ui/program_grid.h"
#include "widgets/builders.h"
#include "widgets/digit_keys.h"
#include "widgets/lamp.h"
#include "widgets/twips.h"
#include "widgets/updown.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
constexpr int kPositions = 15;
constexpr int kSteps = 15;
} // namespace

MovePanel::MovePanel(AppState &s, QWidget *parent)
    : QGroupBox(s.tx("移動モード", "Move Mode"), parent), s_(s) {
    setObjectName(QStringLiteral("frmMoveRepeat"));
    QWidget *body = frameBody(this);

    SSTab1 = named(new QTabWidget(body), "SSTab1");
    SSTab1->addTab(buildContinualPage(), tx("連続移動", "Continual Motion"));
    SSTab1->addTab(buildSelectivePage(), tx("選択移動", "Selective Motion"));

    cmdHome = makeButton(body, "cmdHome", tx("原点復帰", "Home"));
    cmdHome->setMinimumHeight(cmdHome->sizeHint().height() + 8);
    lblKanryoiti = makeLabel(body, "lblKanryoiti", tx("移動完了位置", "Position"));
    lblkanryoNo = makeValueBox(body, "lblkanryoNo");
    lblkanryoNo->setAlignment(Qt::AlignCenter);
    setBoldFace(lblkanryoNo, true);
    lblkanryoNo->setMinimumHeight(lblkanryoNo->fontMetrics().height() + 10);
    lblOutput12 = makeLabel(body, "lblOutput12", tx("出力", "OUT"));
    imgOut1 = named(new Lamp(Lamp::outColour(), body), "imgOutLamp1");
    lblOutLamp1 = makeLabel(body, "lblOutLamp1", QStringLiteral("1"));
    imgOut2 = named(new Lamp(Lamp::outColour(), body), "imgOutLamp2");
    lblOutLamp2 = makeLabel(body, "lblOutLamp2", QStringLiteral("2"));

    auto *side = new QVBoxLayout;
    side->setSpacing(4);
    side->addSpacing(SSTab1->tabBar()->sizeHint().height());
    side->addWidget(cmdHome);
    side->addSpacing(8);
    side->addWidget(lblKanryoiti);
    side->addWidget(lblkanryoNo);
    side->addSpacing(8);
    side->addWidget(lblOutput12);
    auto *outs = new QHBoxLayout;
    outs->setSpacing(4);
    outs->addWidget(imgOut1);
    outs->addWidget(lblOutLamp1);
    outs->addSpacing(10);
    outs->addWidget(imgOut2);
    outs->addWidget(lblOutLamp2);
    outs->addStretch(1);
    side->addLayout(outs);
    side->addStretch(1);

    auto *h = new QHBoxLayout(body);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(10);
    h->addWidget(SSTab1, 1);
    h->addLayout(side);
    layoutProgramGrid();
}

QString MovePanel::tx(const char *ja, const char *en) const {
    return s_.tx(ja, en);
}

QWidget *MovePanel::buildContinualPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabContinual"));

    flgdProgram = named(new ProgramGrid(s_, page), "flgdProgram");
    flgdProgram->writeCell = [this](int step, const QString &text) { setProgramCell(step, text); };

    auto *modes = named(new QFrame(page), "fraSelectMode");
    modes->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    optSelectMode[0] =
        named(new QRadioButton(tx("連続移動", "Continual"), modes), "optSelectMode0");
    optSelectMode[1] = named(new QRadioButton(tx("Step移動", "Step"), modes), "optSelectMode1");
    optSelectMode[0]->setChecked(true);
    {
        auto *h = new QHBoxLayout(modes);
        h->setContentsMargins(8, 4, 8, 4);
        h->addWidget(optSelectMode[0]);
        h->addWidget(optSelectMode[1]);
    }
    chkRepeat = named(new QCheckBox(tx("くり返し", "Repeat"), page), "chkRepeat");

    frmTimer = named(new QFrame(page), "frmTimer");
    frmTimer->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    chkTimerUse = named(new QCheckBox(tx("タイマー", "Timer"), frmTimer), "chkTimerUse");
    lblTimer = makeLabel(frmTimer, "lblTimer", tx("停止時間(100msec)", "Wait (100msec)"));
    lblTimer->setToolTip(tx("設定値は100msec単位です。例：10(1秒)",
                            "Unit for setting is 100msec. (e.g. 10 = 1 second)"));
    txtTimer = named(new QLineEdit(frmTimer), "txtTimer");
    txtTimer->setToolTip(
        tx("100msec単位で入力して下さい。例：10(1秒)", "Input with 100msec unit."));
    txtTimer->setAlignment(Qt::AlignRight);
    txtTimer->setMaxLength(3);
    txtTimer->installEventFilter(this);
    txtTimer->setFixedWidth(txtTimer->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 14);
    {
        auto *h = new QHBoxLayout(frmTimer);
        h->setContentsMargins(8, 4, 8, 4);
        h->setSpacing(6);
        h->addWidget(chkTimerUse);
        h->addSpacing(6);
        h->addWidget(lblTimer);
        h->addWidget(txtTimer);
    }
    // The dwell box only counts while the timer is in use.
    connect(chkTimerUse, &QCheckBox::toggled, this, [this](bool on) {
        lblTimer->setEnabled(on);
        txtTimer->setEnabled(on);
    });

    cmdMove = makeButton(page, "cmdMove", tx("移動", "Move"));
    cmdTmpStop = makeButton(page, "cmdTmpStop", tx("一時停止", "Pause"));
    cmdStop = makeButton(page, "cmdStop", tx("停止", "Stop"));
    cmdDataClear = makeButton(page, "cmdDataClear", tx("全消去", "Clear"));
    cmdInp1toF = makeButton(page, "cmdInp1toF", QStringLiteral("1 to F"));
    connect(cmdDataClear, &QPushButton::clicked, this, &MovePanel::clearProgram);
    connect(cmdInp1toF, &QPushButton::clicked, this, &MovePanel::fillProgram1toF);

    auto *options = new QHBoxLayout;
    options->setSpacing(10);
    options->addWidget(modes);
    options->addWidget(chkRepeat);
    options->addStretch(1);
    options->addWidget(frmTimer);

    auto *commands = new QHBoxLayout;
    commands->setSpacing(6);
    for (QPushButton *b : {cmdMove, cmdTmpStop, cmdStop})
        commands->addWidget(b);
    commands->addStretch(1);
    commands->addWidget(cmdDataClear);
    commands->addWidget(cmdInp1toF);

    auto *v = new QVBoxLayout(page);
    v->setContentsMargins(8, 8, 8, 8);
    v->setSpacing(8);
    v->addWidget(flgdProgram);
    v->addLayout(options);
    v->addLayout(commands);
    v->addStretch(1);
    return page;
}

QWidget *MovePanel::buildSelectivePage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tabSelective"));

    lblSelect = makeLabel(page, "lblSelect", tx("移動位置No.", "Position"));
    txtNo = named(new QLineEdit(QStringLiteral("1"), page), "txtNo");
    txtNo->setAlignment(Qt::AlignRight);
    txtNo->setFixedWidth(txtNo->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 14);
    UpDown1 = named(new UpDown(1, kPositions, page), "UpDown1");
    UpDown1->setFixedHeight(txtNo->sizeHint().height());
    txtHexNo = named(new QLineEdit(QStringLiteral("1"), page), "txtHexNo");
    txtHexNo->setReadOnly(true);
    txtHexNo->setFocusPolicy(Qt::NoFocus);
    txtHexNo->setAlignment(Qt::AlignCenter);
    txtHexNo->setFixedWidth(txtNo->width());
    cmdSelectMove = makeButton(page, "cmdSelectMove", tx("移動", "Move"));

    connect(UpDown1, &UpDown::valueChanged, this,
            [this](int v) { txtNo->setText(QString::number(v)); });
    // The hexadecimal box follows the decimal one whether stepped or typed.
    connect(txtNo, &QLineEdit::textChanged, this, [this](const QString &text) {
        const double v = num::val(text);
        const bool valid = v >= 1 && v <= kPositions && v == int(v);
        txtHexNo->setText(valid ? num::hexField(int(v), 1) : QString());
        if (valid) UpDown1->syncValue(int(v));
    });

    auto *row = new QHBoxLayout;
    row->setSpacing(4);
    row->addWidget(lblSelect);
    row->addSpacing(6);
    row->addWidget(txtNo);
    row->addWidget(UpDown1);
    row->addSpacing(6);
    row->addWidget(txtHexNo);
    row->addSpacing(16);
    row->addWidget(cmdSelectMove);
    row->addStretch(1);

    auto *v = new QVBoxLayout(page);
    v->setContentsMargins(8, 12, 8, 8);
    v->addLayout(row);
    v->addStretch(1);
    return page;
}

void MovePanel::dwellEntered() {
    const auto v = num::int16Of(txtTimer->text());
    if (v && *v >= 0 && *v <= 999) {
        txtTimer->setText(QString::number(*v));
    } else {
        txtTimer->clear();
        s_.prompter.beep();
    }
    chkRepeat->setFocus();
}

void MovePanel::layoutProgramGrid() {
    QTableWidget *g = flgdProgram;
    g->setRowCount(2);
    g->setColumnCount(kSteps + 1);
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setWordWrap(false);

    const QBrush fixed = QApplication::palette().button();
    const auto fixedItem = [&](const QString &text) {
        auto *item = new QTableWidgetItem(text);
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(fixed);
        item->setTextAlignment(Qt::AlignCenter);
        return item;
    };
    g->setItem(0, 0, fixedItem(QStringLiteral("No.")));
    g->setItem(1, 0, fixedItem(tx("位置No.", "Posi No.")));
    for (int c = 1; c <= kSteps; ++c) {
        g->setItem(0, c, fixedItem(QString::number(c)));
        auto *cell = new QTableWidgetItem;
        cell->setTextAlignment(Qt::AlignCenter);
        g->setItem(1, c, cell);
    }

    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setMinimumSectionSize(1);
    g->setRowHeight(0, twips(350));
    g->setRowHeight(1, twips(380));
    g->setFixedHeight(qMax(twips(750), twips(350) + twips(380) + 2 * g->frameWidth()));
    g->horizontalHeader()->setMinimumSectionSize(1);
    g->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const int labelWidth = g->fontMetrics().horizontalAdvance(g->item(1, 0)->text()) + 12;
    g->setMinimumWidth(qMax(twips(7200), labelWidth * 6) + 2 * g->frameWidth());
    g->selectionModel()->setCurrentIndex(g->model()->index(1, 1), QItemSelectionModel::NoUpdate);
    g->installEventFilter(this);
    sizeProgramColumns();
}

// Column 0 is a sixth of the grid, each step a third of column 0; the few
// pixels whole-pixel widths leave over go to column 0 so the row is filled.
void MovePanel::sizeProgramColumns() {
    // Headings and scroll bars are off, so the grid's inside is all cells.
    const int width = flgdProgram->contentsRect().width();
    const int step = width / 18;
    flgdProgram->setColumnWidth(0, width - kSteps * step);
    for (int c = 1; c <= kSteps; ++c)
        flgdProgram->setColumnWidth(c, step);
}

bool MovePanel::eventFilter(QObject *watched, QEvent *event) {
    if (watched == flgdProgram && event->type() == QEvent::Resize) sizeProgramColumns();
    if (watched == txtTimer && event->type() == QEvent::KeyPress) {
        const auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            dwellEntered();
            return true;
        }
        return swallowDigitKey(k, txtTimer->text().size(), 3);
    }
    return QGroupBox::eventFilter(watched, event);
}

void MovePanel::showProgram() {
    for (int c = 1; c <= kSteps; ++c)
        flgdProgram->item(1, c)->setText(s_.program.steps[c]);
}

QString MovePanel::programCell(int step) const {
    const QTableWidgetItem *item = flgdProgram->item(1, step);
    return item ? item->text() : QString();
}

void MovePanel::setProgramCell(int step, const QString &text) {
    if (step < 1 || step > kSteps) return;
    s_.program.steps[step] = text;
    flgdProgram->item(1, step)->setText(text);
}

void MovePanel::clearProgram() {
    for (int c = 1; c <= kSteps; ++c)
        setProgramCell(c, QString());
}

void MovePanel::fillProgram1toF() {
    for (int c = 1; c <= kSteps; ++c)
        setProgramCell(c, num::hexField(c, 1));
}
