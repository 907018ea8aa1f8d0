#include "ui/edit_panel.h"

#include "common/numtext.h"
#include "positions/position_grid.h"
#include "state/app_state.h"
#include "widgets/builders.h"
#include "widgets/twips.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr int kPositions = 15;
}

EditPanel::EditPanel(AppState &s, QWidget *parent)
    : QGroupBox(s.tx("データ編集モード", "Edit Mode"), parent), s_(s) {
    setObjectName(QStringLiteral("editFrame"));
    QWidget *body = frameBody(this);

    openButton = makeButton(body, "openButton", tx("ﾌｧｲﾙを開く", "File Open"),
                            tx("ﾃﾞｰﾀﾌｧｲﾙを開きます", "Open Data file"));
    saveButton = makeButton(body, "saveButton", tx("ﾌｧｲﾙへ保存", "File Save"),
                            tx("ﾌｧｲﾙに名前を付けて保存します", "Save to file As..."));
    readButton = makeButton(body, "readButton", tx("ｺﾝﾄﾛｰﾗから読込み", "Read from C/T"),
                            tx("ｺﾝﾄﾛｰﾗからﾃﾞｰﾀを読み込みます", "Read Data from Controller"));
    writeButton = makeButton(body, "writeButton", tx("ｺﾝﾄﾛｰﾗへ 書込み", "Write to  C/T"),
                             tx("ｺﾝﾄﾛｰﾗへﾃﾞｰﾀを書き込みます", "Write Data to Controller"));
    verifyButton = makeButton(body, "verifyButton", tx("データ照合", "Verify"),
                              tx("ﾃﾞｰﾀの照合を行います", "Compare data"));

    auto *rounding = named(new QFrame(body), "roundingFrame");
    rounding->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    roundingOption[0] =
        named(new QRadioButton(tx("mm位置 切り上げ", "Round up"), rounding), "roundUpOption");
    roundingOption[0]->setToolTip(
        tx("位置をmm入力した時に、位置を取りうる値に切り上げます",
           "When the Position is input with millimeter,it sets the value is Rounded up to the "
           "adaptable value."));
    roundingOption[1] =
        named(new QRadioButton(tx("mm位置 切り捨て", "Round down"), rounding), "roundDownOption");
    roundingOption[1]->setToolTip(
        tx("位置をmm入力した時に、位置を取りうる値に切り下げます",
           "When the Position is input with millimeter,it sets the value is Rounded down to the "
           "adaptable value."));
    {
        auto *v = new QVBoxLayout(rounding);
        v->setContentsMargins(8, 6, 8, 6);
        v->addWidget(roundingOption[0]);
        v->addWidget(roundingOption[1]);
    }
    roundingOption[s_.roundUpHalves ? 0 : 1]->setChecked(true);
    for (QRadioButton *o : roundingOption)
        connect(o, &QRadioButton::clicked, this,
                [this] { s_.roundUpHalves = roundingOption[0]->isChecked(); });

    positionGrid = named(new PositionGrid(s_, body), "positionGrid");

    auto *buttons = new QVBoxLayout;
    buttons->setSpacing(6);
    for (QPushButton *b : {openButton, saveButton, readButton, writeButton, verifyButton}) {
        b->setMinimumHeight(b->sizeHint().height() + 6);
        buttons->addWidget(b);
    }
    buttons->addSpacing(10);
    buttons->addWidget(rounding);
    buttons->addStretch(1);

    auto *h = new QHBoxLayout(body);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(10);
    h->addLayout(buttons);
    h->addWidget(positionGrid, 1);
    layoutPositionGrid();
}

QString EditPanel::tx(const char *ja, const char *en) const {
    return s_.tx(ja, en);
}

void EditPanel::layoutPositionGrid() {
    QTableWidget *g = positionGrid;
    g->setRowCount(kPositions);
    g->setColumnCount(PositionTable::Cols - 1);
    g->setHorizontalHeaderLabels({tx("速度", "VEL"), tx("加速", "ACC"), tx("出力", "OUT"),
                                  tx("位置(ﾊﾟﾙｽ)", "Posi(Pulse)"), tx("位置(mm)", "Posi(mm)"),
                                  tx("コメント", "Comment")});
    QStringList rows;
    for (int r = 1; r <= kPositions; ++r)
        rows << num::hexField(r, 1);
    g->setVerticalHeaderLabels(rows);
    g->setSelectionMode(QAbstractItemView::ContiguousSelection);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setWordWrap(false);
    g->setCornerButtonEnabled(false);

    // Pulses and millimetres come right-justified to seven characters, so a
    // fixed-pitch face lines their digits up under the centred heading.
    QFont digits = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    digits.setPointSizeF(g->font().pointSizeF());
    for (int r = 0; r < kPositions; ++r) {
        for (int c = 1; c < PositionTable::Cols; ++c) {
            auto *item = new QTableWidgetItem;
            item->setTextAlignment(c == PositionTable::ColComment
                                       ? Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter)
                                       : Qt::Alignment(Qt::AlignCenter));
            if (c == PositionTable::ColPulse || c == PositionTable::ColMm) item->setFont(digits);
            if (c == PositionTable::ColMm) item->setBackground(QColor(224, 224, 224));
            g->setItem(r, c - 1, item);
        }
    }
    g->setCurrentCell(0, 0);

    QHeaderView *vh = g->verticalHeader();
    vh->setDefaultAlignment(Qt::AlignCenter);
    vh->setSectionResizeMode(QHeaderView::Fixed);
    vh->setDefaultSectionSize(g->fontMetrics().height() + 6);
    vh->setMinimumWidth(twips(300));

    // The given widths are kept unless a heading needs more room to show.
    QHeaderView *hh = g->horizontalHeader();
    hh->setSectionResizeMode(QHeaderView::Fixed);
    const int widths[] = {500, 500, 500, 1055, 1055};
    int used = 0;
    for (int c = 0; c < 5; ++c) {
        const int w = qMax(twips(widths[c]), hh->sectionSizeHint(c));
        g->setColumnWidth(c, w);
        used += w;
    }
    hh->setStretchLastSection(true);
    const int commentMin = hh->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 12;
    g->setMinimumWidth(vh->sizeHint().width() + used + commentMin + 2 * g->frameWidth());
    g->setMinimumHeight(hh->sizeHint().height() + kPositions * vh->defaultSectionSize() +
                        2 * g->frameWidth());
}
