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
    setObjectName(QStringLiteral("moveFrame"));
    QWidget *body = frameBody(this);

    motionTabs = named(new QTabWidget(body), "motionTabs");
    motionTabs->addTab(buildContinualPage(), tx("連続移動", "Continual Motion"));
    motionTabs->addTab(buildSelectivePage(), tx("選択移動", "Selective Motion"));

    homeButton = makeButton(body, "homeButton", tx("原点復帰", "Home"));
    homeButton->setMinimumHeight(homeButton->sizeHint().height() + 8);
    completedCaption = makeLabel(body, "completedCaption", tx("移動完了位置", "Position"));
    completedLabel = makeValueBox(body, "completedLabel");
    completedLabel->setAlignment(Qt::AlignCenter);
    setBoldFace(completedLabel, true);
    completedLabel->setMinimumHeight(completedLabel->fontMetrics().height() + 10);
    outputsCaption = makeLabel(body, "outputsCaption", tx("出力", "OUT"));
    out1LampImage = named(new Lamp(Lamp::outColour(), body), "out1LampImage");
    out1Caption = makeLabel(body, "out1Caption", QStringLiteral("1"));
    out2LampImage = named(new Lamp(Lamp::outColour(), body), "out2LampImage");
    out2Caption = makeLabel(body, "out2Caption", QStringLiteral("2"));

    auto *side = new QVBoxLayout;
    side->setSpacing(4);
    side->addSpacing(motionTabs->tabBar()->sizeHint().height());
    side->addWidget(homeButton);
    side->addSpacing(8);
    side->addWidget(completedCaption);
    side->addWidget(completedLabel);
    side->addSpacing(8);
    side->addWidget(outputsCaption);
    auto *outs = new QHBoxLayout;
    outs->setSpacing(4);
    outs->addWidget(out1LampImage);
    outs->addWidget(out1Caption);
    outs->addSpacing(10);
    outs->addWidget(out2LampImage);
    outs->addWidget(out2Caption);
    outs->addStretch(1);
    side->addLayout(outs);
    side->addStretch(1);

    auto *h = new QHBoxLayout(body);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(10);
    h->addWidget(motionTabs, 1);
    h->addLayout(side);
    layoutProgramGrid();
}

QString MovePanel::tx(const char *ja, const char *en) const {
    return s_.tx(ja, en);
}

QWidget *MovePanel::buildContinualPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("continualPage"));

    programGrid = named(new ProgramGrid(s_, page), "programGrid");
    programGrid->writeCell = [this](int step, const QString &text) { setProgramCell(step, text); };

    auto *modes = named(new QFrame(page), "runModeFrame");
    modes->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    runModeOption[0] =
        named(new QRadioButton(tx("連続移動", "Continual"), modes), "continualOption");
    runModeOption[1] = named(new QRadioButton(tx("Step移動", "Step"), modes), "stepOption");
    runModeOption[0]->setChecked(true);
    {
        auto *h = new QHBoxLayout(modes);
        h->setContentsMargins(8, 4, 8, 4);
        h->addWidget(runModeOption[0]);
        h->addWidget(runModeOption[1]);
    }
    repeatBox = named(new QCheckBox(tx("くり返し", "Repeat"), page), "repeatBox");

    dwellFrame = named(new QFrame(page), "dwellFrame");
    dwellFrame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    timerBox = named(new QCheckBox(tx("タイマー", "Timer"), dwellFrame), "timerBox");
    dwellCaption = makeLabel(dwellFrame, "dwellCaption", tx("停止時間(100msec)", "Wait (100msec)"));
    dwellCaption->setToolTip(tx("設定値は100msec単位です。例：10(1秒)",
                                "Unit for setting is 100msec. (e.g. 10 = 1 second)"));
    dwellBox = named(new QLineEdit(dwellFrame), "dwellBox");
    dwellBox->setToolTip(
        tx("100msec単位で入力して下さい。例：10(1秒)", "Input with 100msec unit."));
    dwellBox->setAlignment(Qt::AlignRight);
    dwellBox->setMaxLength(3);
    dwellBox->installEventFilter(this);
    dwellBox->setFixedWidth(dwellBox->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 14);
    {
        auto *h = new QHBoxLayout(dwellFrame);
        h->setContentsMargins(8, 4, 8, 4);
        h->setSpacing(6);
        h->addWidget(timerBox);
        h->addSpacing(6);
        h->addWidget(dwellCaption);
        h->addWidget(dwellBox);
    }
    // The dwell box only counts while the timer is in use.
    connect(timerBox, &QCheckBox::toggled, this, [this](bool on) {
        dwellCaption->setEnabled(on);
        dwellBox->setEnabled(on);
    });

    moveButton = makeButton(page, "moveButton", tx("移動", "Move"));
    pauseButton = makeButton(page, "pauseButton", tx("一時停止", "Pause"));
    stopButton = makeButton(page, "stopButton", tx("停止", "Stop"));
    clearProgramButton = makeButton(page, "clearProgramButton", tx("全消去", "Clear"));
    fillProgramButton = makeButton(page, "fillProgramButton", QStringLiteral("1 to F"));
    connect(clearProgramButton, &QPushButton::clicked, this, &MovePanel::clearProgram);
    connect(fillProgramButton, &QPushButton::clicked, this, &MovePanel::fillProgram1toF);

    auto *options = new QHBoxLayout;
    options->setSpacing(10);
    options->addWidget(modes);
    options->addWidget(repeatBox);
    options->addStretch(1);
    options->addWidget(dwellFrame);

    auto *commands = new QHBoxLayout;
    commands->setSpacing(6);
    for (QPushButton *b : {moveButton, pauseButton, stopButton})
        commands->addWidget(b);
    commands->addStretch(1);
    commands->addWidget(clearProgramButton);
    commands->addWidget(fillProgramButton);

    auto *v = new QVBoxLayout(page);
    v->setContentsMargins(8, 8, 8, 8);
    v->setSpacing(8);
    v->addWidget(programGrid);
    v->addLayout(options);
    v->addLayout(commands);
    v->addStretch(1);
    return page;
}

QWidget *MovePanel::buildSelectivePage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("selectivePage"));

    selectedCaption = makeLabel(page, "selectedCaption", tx("移動位置No.", "Position"));
    selectedBox = named(new QLineEdit(QStringLiteral("1"), page), "selectedBox");
    selectedBox->setAlignment(Qt::AlignRight);
    selectedBox->setFixedWidth(selectedBox->fontMetrics().horizontalAdvance(QStringLiteral("000")) +
                               14);
    selectedSpinner = named(new UpDown(1, kPositions, page), "selectedSpinner");
    selectedSpinner->setFixedHeight(selectedBox->sizeHint().height());
    selectedHexBox = named(new QLineEdit(QStringLiteral("1"), page), "selectedHexBox");
    selectedHexBox->setReadOnly(true);
    selectedHexBox->setFocusPolicy(Qt::NoFocus);
    selectedHexBox->setAlignment(Qt::AlignCenter);
    selectedHexBox->setFixedWidth(selectedBox->width());
    selectedMoveButton = makeButton(page, "selectedMoveButton", tx("移動", "Move"));

    connect(selectedSpinner, &UpDown::valueChanged, this,
            [this](int v) { selectedBox->setText(QString::number(v)); });
    // The hexadecimal box follows the decimal one whether stepped or typed.
    connect(selectedBox, &QLineEdit::textChanged, this, [this](const QString &text) {
        const double v = num::val(text);
        const bool valid = v >= 1 && v <= kPositions && v == int(v);
        selectedHexBox->setText(valid ? num::hexField(int(v), 1) : QString());
        if (valid) selectedSpinner->syncValue(int(v));
    });

    auto *row = new QHBoxLayout;
    row->setSpacing(4);
    row->addWidget(selectedCaption);
    row->addSpacing(6);
    row->addWidget(selectedBox);
    row->addWidget(selectedSpinner);
    row->addSpacing(6);
    row->addWidget(selectedHexBox);
    row->addSpacing(16);
    row->addWidget(selectedMoveButton);
    row->addStretch(1);

    auto *v = new QVBoxLayout(page);
    v->setContentsMargins(8, 12, 8, 8);
    v->addLayout(row);
    v->addStretch(1);
    return page;
}

void MovePanel::dwellEntered() {
    const auto v = num::int16Of(dwellBox->text());
    if (v && *v >= 0 && *v <= 999) {
        dwellBox->setText(QString::number(*v));
    } else {
        dwellBox->clear();
        s_.prompter.beep();
    }
    repeatBox->setFocus();
}

void MovePanel::layoutProgramGrid() {
    QTableWidget *g = programGrid;
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
    const int width = programGrid->contentsRect().width();
    const int step = width / 18;
    programGrid->setColumnWidth(0, width - kSteps * step);
    for (int c = 1; c <= kSteps; ++c)
        programGrid->setColumnWidth(c, step);
}

bool MovePanel::eventFilter(QObject *watched, QEvent *event) {
    if (watched == programGrid && event->type() == QEvent::Resize) sizeProgramColumns();
    if (watched == dwellBox && event->type() == QEvent::KeyPress) {
        const auto *k = static_cast<QKeyEvent *>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            dwellEntered();
            return true;
        }
        return swallowDigitKey(k, dwellBox->text().size(), 3);
    }
    return QGroupBox::eventFilter(watched, event);
}

void MovePanel::showProgram() {
    for (int c = 1; c <= kSteps; ++c)
        programGrid->item(1, c)->setText(s_.program.steps[c]);
}

QString MovePanel::programCell(int step) const {
    const QTableWidgetItem *item = programGrid->item(1, step);
    return item ? item->text() : QString();
}

void MovePanel::setProgramCell(int step, const QString &text) {
    if (step < 1 || step > kSteps) return;
    // The program is saved with the positions, so the save questions must
    // know of an edit to it.
    if (s_.program.steps[step] != text) s_.positions.tag = PositionTable::ChangedTag;
    s_.program.steps[step] = text;
    programGrid->item(1, step)->setText(text);
}

void MovePanel::clearProgram() {
    for (int c = 1; c <= kSteps; ++c)
        setProgramCell(c, QString());
}

void MovePanel::fillProgram1toF() {
    for (int c = 1; c <= kSteps; ++c)
        setProgramCell(c, num::hexField(c, 1));
}
