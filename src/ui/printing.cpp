#include "ui/printing.h"

#include "device/catalogue.h"
#include "device/units.h"
#include "parameters/parameter_transfer.h"
#include "parameters/pmt_file.h"
#include "positions/table_model.h"
#include "positions/tpd_file.h"
#include "state/app_state.h"
#include "ui/print_dialog.h"

#include <QDateTime>
#include <QFont>
#include <QFontMetricsF>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {

const QString kBreak = QStringLiteral("\r\n\r\n");

// The printer lives with the main window so that page setup carries over to
// the next print; without a window (tests) each command gets its own.
class PrinterHolder : public QObject {
public:
    explicit PrinterHolder(QObject *parent) : QObject(parent) {
        setObjectName(QStringLiteral("tzc3Printer"));
    }
    QPrinter printer{QPrinter::HighResolution};
};

struct PrinterRef {
    std::unique_ptr<PrinterHolder> own;
    QPrinter *printer = nullptr;
};

PrinterRef printerFor(QWidget *mainWindow) {
    PrinterRef r;
    PrinterHolder *h = nullptr;
    if (mainWindow) {
        h = static_cast<PrinterHolder *>(mainWindow->findChild<QObject *>(
            QStringLiteral("tzc3Printer"), Qt::FindDirectChildrenOnly));
        if (!h) h = new PrinterHolder(mainWindow);
    } else {
        r.own = std::make_unique<PrinterHolder>(nullptr);
        h = r.own.get();
    }
    r.printer = &h->printer;
    return r;
}

QString typeSuffix(const AppState &s, bool newType) {
    return newType ? QString() : s.tx("(旧型)", "(Old)");
}

QString sourceLine(const AppState &s, const QString &model, const QString &suffix,
                   const QString &source) {
    return s.tx("使用機種：", "Device: ") + model + suffix + QStringLiteral(" /  ") + source;
}

void putHeadings(const AppState &s, PrintTable &t) {
    const char *ja[] = {"位置No.", "速度", "加減速", "出力", "位置(ﾊﾟﾙｽ)", "位置(mm)", "コメント"};
    const char *en[] = {"No.", "VEL", "ACC", "OUT", "Posi(Pulse)", "Posi(mm)", "Comment"};
    for (int col = 0; col < PrintTable::Cols; ++col)
        t.cells[0][col] = s.tx(ja[col], en[col]);
    for (int row = 1; row < PrintTable::Rows; ++row)
        t.cells[row][0] = positions::positionDigit(row);
}

bool positionsFromGrid(AppState &s, PrintJob &job) {
    const positions::RowCheck incomplete = positions::findIncompleteRows(s);
    if (incomplete.count > 0) {
        positions::showIncompleteRows(s, incomplete);
        return false;
    }
    if (!positions::collectTableValues(s)) {
        s.prompter.message(positions::valueErrorText(s) + kBreak +
                           s.tx("印刷を中止します。", "Printing data is canceled."));
        return false;
    }
    for (int row = 1; row < PrintTable::Rows; ++row) {
        const PositionRecord &r = s.positions.working[row];
        QString *cells = job.table.cells[row];
        cells[1] = QString::number(r.vel);
        cells[2] = QString::number(r.acc);
        cells[3] = QString::number(r.out);
        cells[4] = QString::number(r.pulses);
        cells[5] = r.mmText.trimmed();
        cells[6] = r.comment;
    }
    job.sourceLine = sourceLine(s, s.device.modelName, typeSuffix(s, s.device.newType),
                                s.tx("表示ﾃﾞｰﾀ", "Indicated data"));
    return true;
}

bool positionsFromFile(AppState &s, const PrintChoice &choice, PrintJob &job) {
    const std::optional<PositionImage> image = positions::readTpdFile(s, choice.posPath, true);
    if (!image) return false;
    // The file's device only names the printout and converts its pulses: the
    // current device and any candidate of the device dialog stay as they are.
    const DeviceRecord device = s.device;
    const CandidateDevice candidate = s.candidate;
    const bool parsed = device::parseModelName(
        s, image->modelName, image->newType ? QStringLiteral("NEW") : QStringLiteral("OLD"));
    const CandidateDevice fileDevice = s.candidate;
    s.device = device;
    s.candidate = candidate;
    if (!parsed) return false;

    const device::LeadPpr lp =
        device::lookupLeadPpr(s, fileDevice.familyText, fileDevice.newType, fileDevice.size,
                              fileDevice.speed, fileDevice.stroke);
    const bool mmOk = lp.found && lp.lead > 0 && lp.ppr > 0;
    if (!mmOk)
        s.prompter.message(s.tx("位置(mm)の計算でｴﾗｰが発生しました。\r\n位置(mm)は印刷されません。",
                                "The error occurred in calculation of a position(mm).\r\n"
                                "Position (mm) is not printed."),
                           PromptIcon::Exclamation);
    for (int row = 1; row < PrintTable::Rows; ++row) {
        const PositionRecord &r = image->rows[row];
        QString *cells = job.table.cells[row];
        cells[1] = QString::number(r.vel);
        cells[2] = QString::number(r.acc);
        cells[3] = QString::number(r.out);
        cells[4] = QString::number(r.pulses);
        if (mmOk)
            cells[5] = units::mmCellText(units::pulseToMm(lp.lead, lp.ppr, r.pulses)).trimmed();
        cells[6] = r.comment;
    }
    job.sourceLine = sourceLine(s, image->modelName, typeSuffix(s, image->newType),
                                s.tx("ﾌｧｲﾙ名：", "File name : ") + choice.posTitle);
    return true;
}

// A parameter value as plain text: whole numbers without a decimal point.
QString plainText(const QVariant &v) {
    if (!v.isValid()) return QString();
    if (v.typeId() == QMetaType::Double) {
        const double d = v.toDouble();
        if (d == std::floor(d) && std::fabs(d) < 1e15) return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    return v.toString();
}

// A new line moves down by the designed face's line, never the stand-in's.
// Both designed faces are 11-point faces set solid, a line of one em (220
// twips). ＭＳ 明朝 has no leading: its cell is its em. For century the layout
// itself leaves no more: with details and a file name the last parameter line
// ends 11600 twips plus 17 lines down, 15340 with 220, and anything over 225
// runs off a Letter page's printable height (15440 with default margins).
constexpr int kMinchoLineTwips = 220;
constexpr int kCenturyLineTwips = 220;
// The layout's widest fixed element, the rule under the headings, ends here.
constexpr int kLayoutRight = 10600;
// The least blank between two texts of a line, so they never run together.
constexpr int kColumnGap = 60;

// One text of the page, its line's top-left corner in twips from the
// printable origin.
struct PageText {
    int x;
    int y;
    QString text;
};

// The page as the layout places it, before any face is chosen.
struct PageLayout {
    QList<PageText> texts;
    QList<QLine> lines;
    int bottom = 0; // the lowest line's bottom edge
};

// The print position, in twips.
class LayoutPen {
public:
    LayoutPen(PageLayout &page, int lineTwips) : page_(page), line_(lineTwips) {}

    void moveTo(int yTwips) { y_ = yTwips; }
    void skip(int twips) { y_ += twips; }
    void newLine() { y_ += line_; }
    void text(int xTwips, const QString &t) {
        if (t.isEmpty()) return;
        page_.texts.append({xTwips, y_, t});
        page_.bottom = std::max(page_.bottom, y_ + line_);
    }
    void line(int x1, int y1, int x2, int y2) { page_.lines.append(QLine(x1, y1, x2, y2)); }

private:
    PageLayout &page_;
    int line_;
    int y_ = 0;
};

// The page fonts are named as they always were; where a machine lacks them,
// the nearest serif face it has stands in, fitted to the designed face's box
// when the page is drawn.
QFont pageFont(const AppState &s) {
    static const QString english = QStringLiteral("century");
    static const QString japanese = QStringLiteral("ＭＳ 明朝");
    if (QFont::substitutes(english).isEmpty())
        QFont::insertSubstitutions(english,
                                   {QStringLiteral("Century"), QStringLiteral("Century Schoolbook"),
                                    QStringLiteral("DejaVu Serif"), QStringLiteral("Noto Serif"),
                                    QStringLiteral("Liberation Serif")});
    if (QFont::substitutes(japanese).isEmpty())
        QFont::insertSubstitutions(
            japanese, {QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Sans CJK JP"),
                       QStringLiteral("IPAMincho"), QStringLiteral("IPAexMincho")});
    QFont f(s.japanese() ? japanese : english);
    // Design metrics, so that the size fitted below scales the ink evenly.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setPointSizeF(11);
    return f;
}

int designedLineTwips(const AppState &s) {
    return s.japanese() ? kMinchoLineTwips : kCenturyLineTwips;
}

void layOutPositions(const AppState &s, const PrintJob &job, LayoutPen &pen) {
    static const int colX[PrintTable::Cols - 1] = {1000, 1800, 2400, 3200, 4000, 5500};
    pen.moveTo(800);
    pen.text(1000, job.sourceLine);
    pen.newLine();
    pen.moveTo(1200);
    pen.text(1000, s.tx("=== 位置データ "
                        "========================================================================",
                        "=== TZ Data      "
                        "============================================================"));
    pen.newLine();
    pen.moveTo(1400);
    for (int row = 0; row < PrintTable::Rows; ++row) {
        const QString *cells = job.table.cells[row];
        for (int col = 0; col < PrintTable::Cols - 1; ++col)
            pen.text(colX[col], cells[col]);
        pen.text(6500, u':' + cells[PrintTable::Cols - 1]);
        pen.newLine();
        if (row == 0) pen.line(1000, 1700, 10600, 1700);
        pen.skip(200);
    }
}

void layOutParameters(const AppState &s, const PrintJob &job, LayoutPen &pen) {
    const ParameterSlots &da = job.para;
    pen.moveTo(job.positions ? 9000 : 2000);
    pen.text(1000, s.tx("=== TZ パラメータ "
                        "=================================================================",
                        "=== TZ Parameters  "
                        "========================================================"));
    pen.newLine();
    if (job.paraFromFile) {
        pen.text(1000, s.tx("ファイル名：", "File Name:") + plainText(da[0]));
        pen.newLine();
        pen.text(1000, QString(85, u'='));
        pen.newLine();
    }
    struct Line {
        const char *ja;
        const char *en;
        int slot;
    };
    static const Line lines[] = {
        {" 1.ストローク長:", " 1.Stroke length:", 1},
        {" 2.原点オフセット:", " 2.Home position offset:", 2},
        {" 3.原点復帰押し込み量:", " 3.Home Pushing amount:", 3},
        {" 4.原点復帰後出力 OUT:", " 4.Output after homing:", 4},
        {" 5.原点復帰速度:", " 5.Homing velocity:", 6},
        {" 6.オフセット移動速度:", " 6.Offset moving speed:", 7},
        {" 7.速度１ 設定:", " 7.Setting VEL 1:", 8},
        {" 8.速度２ 設定:", " 8.Setting VEL 2:", 9},
        {" 9.速度３ 設定:", " 9.Setting VEL 3:", 10},
        {"10.原点復帰方式:", "10.Homing method:", 16},
        {"11.電流制限解除時間:", "11.Time to release current limitation:", 13},
        {"12.ブレーキ解除時間:", "12.Time to brake release:", 14},
        {"13.ブレーキ作動時間:", "13.Brake executing time:", 15},
    };
    const int count = s.options.showParameterDetails ? 13 : 10;
    for (int i = 0; i < count; ++i) {
        const Line &l = lines[i];
        pen.text(1000, s.tx(l.ja, l.en));
        const QString value = l.slot == 16 ? (da.number(16) == 0 ? s.tx("押付け方式", "Pushing")
                                                                 : s.tx("ｾﾝｻ方式", "Sensor"))
                                           : plainText(da[l.slot]);
        pen.text(5500, value);
        pen.newLine();
        pen.skip(200);
        if (i == 3) {
            pen.text(3000, QStringLiteral("BK:"));
            pen.text(5500, plainText(da[5]));
            pen.newLine();
            pen.skip(200);
        }
    }
}

PageLayout layOutPage(const AppState &s, const PrintJob &job, const QDateTime &now) {
    PageLayout page;
    LayoutPen pen(page, designedLineTwips(s));
    pen.text(0, QStringLiteral("TZ-C3"));
    pen.newLine();
    pen.text(0, now.toString(QStringLiteral("yyyy/MM/dd")) + QStringLiteral("  ") +
                    now.toString(QStringLiteral("HH:mm:ss")));
    pen.newLine();
    if (job.positions) layOutPositions(s, job, pen);
    if (job.parameters) layOutParameters(s, job, pen);
    return page;
}

// The union of the ink of every text, relative to its baseline.
QRectF inkOf(const QFont &font, const QPaintDevice &device, const QList<PageText> &texts) {
    const QFontMetricsF fm(font, &device);
    QRectF ink;
    for (const PageText &t : texts)
        ink = ink.united(fm.tightBoundingRect(t.text));
    return ink;
}

// Draws the laid-out page in whatever face stands in for the designed one.
// The stand-in is sized so that the ink of every line stays inside one
// designed line, and condensed so that every text ends a blank short of the
// next one on its line; a text that still would not fit (a long comment,
// the rules of "=" in a wide face) is narrowed on its own to end at the
// printable edge. Paper smaller than the layout takes the page reduced
// rather than cut off.
void paintLayout(QPainter &p, const QPaintDevice &device, const PageLayout &page, QFont font,
                 int lineTwips) {
    const double width = device.width(), height = device.height();
    const double zoom = std::min({1.0, width * 1440.0 / (kLayoutRight * device.logicalDpiX()),
                                  height * 1440.0 / (page.bottom * device.logicalDpiY())});
    const double sx = device.logicalDpiX() / 1440.0 * zoom;
    const double sy = device.logicalDpiY() / 1440.0 * zoom;
    const double line = lineTwips * sy;

    double points = font.pointSizeF() * zoom;
    QRectF ink;
    // A few rounds, as the ink of a face does not shrink exactly with its size.
    for (int round = 0; round < 4; ++round) {
        font.setPointSizeF(points);
        ink = inkOf(font, device, page.texts);
        if (ink.height() <= line) break;
        points *= line / ink.height() * 0.995;
    }
    p.setFont(font);
    const QFontMetricsF fm(font, &device);

    struct Placed {
        QPointF at;     // the line's top-left corner, device units
        double advance; // the text's width in the stand-in
        double room;    // up to the next text of the line, or the printable edge
        bool last;
    };
    QList<Placed> placed;
    double condense = 1.0;
    for (const PageText &t : page.texts) {
        int next = -1;
        for (const PageText &o : page.texts)
            if (o.y == t.y && o.x > t.x && (next < 0 || o.x < next)) next = o.x;
        Placed a{QPointF(t.x * sx, t.y * sy),
                 std::max(fm.horizontalAdvance(t.text), fm.tightBoundingRect(t.text).right()),
                 next < 0 ? width - t.x * sx : (next - kColumnGap - t.x) * sx, next < 0};
        if (!a.last && a.advance > 0 && a.room > 0)
            condense = std::min(condense, a.room / a.advance);
        placed.append(a);
    }
    for (int i = 0; i < page.texts.size(); ++i) {
        const Placed &a = placed[i];
        double stretch = condense;
        if (a.advance * stretch > a.room && a.room > 0) stretch = a.room / a.advance;
        p.save();
        p.translate(a.at.x(), a.at.y() - ink.top());
        p.scale(stretch, 1.0);
        p.drawText(QPointF(0, 0), page.texts[i].text);
        p.restore();
    }
    for (const QLine &l : page.lines)
        p.drawLine(QPointF(std::min(l.x1() * sx, width), l.y1() * sy),
                   QPointF(std::min(l.x2() * sx, width), l.y2() * sy));
}

} // namespace

bool gatherPrintData(AppState &s, const PrintChoice &choice, PrintJob &job,
                     ProgressDisplay *progress) {
    job = PrintJob();
    if (choice.posFromGrid || choice.posFromFile) {
        const bool ok =
            choice.posFromGrid ? positionsFromGrid(s, job) : positionsFromFile(s, choice, job);
        if (!ok) return false;
        putHeadings(s, job.table);
        job.positions = true;
    }
    if (choice.paraFromController) {
        BusyScope busy(s.link);
        if (!params::readParametersFromController(s, progress, s.options.showParameterDetails))
            return false;
        job.para = s.parameterSlots;
        job.parameters = true;
    } else if (choice.paraFromFile) {
        if (!params::readParameterFile(job.para, choice.paraPath)) {
            s.prompter.message(
                s.tx("ﾊﾟﾗﾒｰﾀﾌｧｲﾙの読み込みに失敗しました。", "Failed to reading parameter file."));
            return false;
        }
        job.parameters = true;
        job.paraFromFile = true;
    }
    return true;
}

bool printPage(const AppState &s, const PrintJob &job, QPaintDevice &page) {
    const PageLayout layout = layOutPage(s, job, QDateTime::currentDateTime());
    QPainter p;
    if (!p.begin(&page)) return false;
    QPen pen(Qt::black);
    pen.setWidthF(page.logicalDpiX() / 96.0);
    p.setPen(pen);
    paintLayout(p, page, layout, pageFont(s), designedLineTwips(s));
    return p.end();
}

void printSetup(AppState &s, QWidget *mainWindow) {
    PrinterRef ref = printerFor(mainWindow);
    QPageSetupDialog dialog(ref.printer, mainWindow);
    s.prompter.exec(dialog);
}

void printDocument(AppState &s, QWidget *mainWindow, ProgressDisplay *progress) {
    PrintChoice choice;
    {
        PrintSelectionDialog selection(s, choice, mainWindow);
        if (s.prompter.exec(selection) != QDialog::Accepted || choice.cancelled) return;
    }
    PrinterRef ref = printerFor(mainWindow);
    QPrintDialog dialog(ref.printer, mainWindow);
    QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintShowPageSize;
    // Printing to a file stays hidden unless there is no printer to choose.
    if (QPrinterInfo::availablePrinters().isEmpty()) options |= QAbstractPrintDialog::PrintToFile;
    dialog.setOptions(options);
    if (s.prompter.exec(dialog) != QDialog::Accepted) return;

    PrintJob job;
    if (!gatherPrintData(s, choice, job, progress)) return;
    printPage(s, job, *ref.printer);
}
