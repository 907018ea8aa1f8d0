// Printing: the selection dialog, the print sequence through to a PDF read
// back word by word, and the page's layout as drawn, in both languages.

#include "../link/link_rig.h"
#include "parameters/pmt_file.h"
#include "positions/progress_window.h"
#include "test_registry.h"
#include "test_support.h"
#include "ui/main_window.h"
#include "ui/print_dialog.h"
#include "ui/printing.h"

#include <QAbstractButton>
#include <QPaintEngine>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

bool near(double a, double b, double tolerance = 40) {
    return std::abs(a - b) < tolerance;
}

// One word of the printout, its box in twips from the printable origin.
struct Word {
    QString text;
    double x, y, right;
};

struct Page {
    QList<Word> words;

    const Word *find(const QString &text) const {
        for (const Word &w : words)
            if (w.text == text) return &w;
        return nullptr;
    }
    QStringList lineAt(double y) const {
        QStringList line;
        for (const Word &w : words)
            if (near(w.y, y)) line << w.text;
        return line;
    }
    // The word printed in the value column on the line of `label`.
    QString valueOf(const QString &label) const {
        const Word *l = find(label);
        for (const Word &w : words)
            if (l && near(w.y, l->y) && near(w.x, 5500)) return w.text;
        return QStringLiteral("<none>");
    }
};

void click(QDialog &d, std::initializer_list<const char *> names) {
    for (const char *n : names)
        d.findChild<QAbstractButton *>(QLatin1String(n))->click();
}

// One print: `select` operates the selection dialog, `start` the command;
// the output is a PDF on A4 with the printer's default margins.
struct PrintRun {
    QTemporaryDir dir;
    QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QPointF origin; // printable origin in points

    PrintRun(AppState &s, ScriptedPrompter &p, const std::function<void(QDialog &)> &select,
             std::function<void()> start = {}) {
        p.dialogs.push_back([select](QDialog &d) { return select(d), d.result(); });
        p.dialogs.push_back([this](QDialog &d) {
            QPrinter *printer = dynamic_cast<QPrintDialog &>(d).printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            printer->setPageSize(QPageSize(QPageSize::A4));
            origin = printer->pageLayout().paintRectPoints().topLeft();
            return QDialog::Accepted;
        });
        if (start)
            start();
        else
            printDocument(s, nullptr, nullptr);
    }

    Page read() const {
        Page page;
        QProcess proc;
        proc.start(QStringLiteral("pdftotext"),
                   {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        if (!proc.waitForFinished(20000)) return page;
        static const QRegularExpression re(QStringLiteral(
            R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re"));
        for (auto m = re.globalMatch(QString::fromUtf8(proc.readAllStandardOutput()));
             m.hasNext();) {
            const auto r = m.next();
            page.words.append({r.captured(4), (r.captured(1).toDouble() - origin.x()) * 20,
                               (r.captured(2).toDouble() - origin.y()) * 20,
                               (r.captured(3).toDouble() - origin.x()) * 20});
        }
        return page;
    }
};

// The indicated positions and the parameters of a browsed file.
std::function<void(QDialog &)> gridAndParaFile(ScriptedPrompter &p, const QString &path) {
    return [&p, path](QDialog &d) {
        click(d, {"parametersBox", "parametersFromFileOption"});
        p.files.push_back(path);
        click(d, {"parametersBrowseButton", "okButton"});
    };
}

// A page that records what is drawn on it: each text with its ink box and
// each line, in twips from the printable origin of a printer's default page.
class RecordedPage : public QPaintDevice {
public:
    static constexpr int Dpi = 1200;
    struct Text {
        QString text;
        QRectF ink;
        QPointF end; // of its baseline, where a run that continues it starts
    };
    QList<Text> texts;
    QList<QLineF> lines;

    explicit RecordedPage(QPageSize::PageSizeId paper) : engine_(*this) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(QPageSize(paper));
        size_ = printer.pageLayout().paintRectPixels(Dpi).size();
    }
    QRectF printable() const { return QRectF(QPointF(), QSizeF(size_) * 1440 / Dpi); }
    QPaintEngine *paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric m) const override {
        if (m == PdmWidth) return size_.width();
        if (m == PdmHeight) return size_.height();
        if (m == PdmWidthMM) return size_.width() * 254 / Dpi / 10;
        if (m == PdmHeightMM) return size_.height() * 254 / Dpi / 10;
        if (m == PdmDepth) return 32;
        if (m == PdmDevicePixelRatio) return 1;
        if (m == PdmDevicePixelRatioScaled) return int(devicePixelRatioFScale());
        return Dpi;
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(RecordedPage &page) : QPaintEngine(AllFeatures), page_(page) {}
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        Type type() const override { return User; }
        void updateState(const QPaintEngineState &st) override {
            if (st.state() & DirtyTransform)
                toTwips_ = st.transform() * QTransform::fromScale(1440.0 / Dpi, 1440.0 / Dpi);
        }
        // Qt hands over a text in runs of one script or face; a run that
        // starts where the last one ended continues the same text.
        void drawTextItem(const QPointF &at, const QTextItem &item) override {
            const QFontMetricsF fm(item.font(), &page_);
            const QString t = item.text();
            const QRectF ink = toTwips_.mapRect(fm.tightBoundingRect(t).translated(at));
            const QPointF end = toTwips_.map(at + QPointF(fm.horizontalAdvance(t), 0));
            if (!page_.texts.isEmpty() &&
                QLineF(page_.texts.last().end, toTwips_.map(at)).length() < 1) {
                RecordedPage::Text &last = page_.texts.last();
                last.text += t;
                last.ink = last.ink.united(ink);
                last.end = end;
            } else {
                page_.texts.append({t, ink, end});
            }
        }
        void drawLines(const QLineF *l, int n) override {
            for (int i = 0; i < n; ++i)
                page_.lines.append(toTwips_.map(l[i]));
        }
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}

    private:
        RecordedPage &page_;
        QTransform toTwips_;
    };
    mutable Engine engine_;
    QSize size_;
};

// Where the layout puts each text: its line's top-left corner in twips.
struct Placement {
    QString text;
    int x, y;
};

// The page the layout describes for `job`, with a designed line of `line` twips.
QList<Placement> designedPage(const AppState &s, const PrintJob &job, int line) {
    QList<Placement> page;
    int y = 0;
    const auto put = [&](int x, const QString &t) {
        if (!t.isEmpty()) page.append({t, x, y});
    };
    put(0, QStringLiteral("TZ-C3"));
    y += line;
    put(0, QStringLiteral("<date>"));
    if (job.positions) {
        y = 800;
        put(1000, job.sourceLine);
        y = 1200;
        put(1000, s.tx("=== 位置データ ==================================================="
                       "=====================",
                       "=== TZ Data      ================================================"
                       "============"));
        const int colX[] = {1000, 1800, 2400, 3200, 4000, 5500};
        for (int row = 0; row < PrintTable::Rows; ++row) {
            y = 1400 + row * (line + 200);
            for (int col = 0; col < 6; ++col)
                put(colX[col], job.table.cells[row][col]);
            put(6500, u':' + job.table.cells[row][6]);
        }
    }
    y = job.positions ? 9000 : 2000;
    put(1000, s.tx("=== TZ パラメータ ==============================================="
                   "==================",
                   "=== TZ Parameters  ======================================================"
                   "=="));
    y += line;
    if (job.paraFromFile) {
        put(1000, s.tx("ファイル名：", "File Name:") + QStringLiteral("axis.pmt"));
        y += line;
        put(1000, QString(85, u'='));
        y += line;
    }
    const QStringList labels =
        s.tx(" 1.ストローク長:| 2.原点オフセット:| 3.原点復帰押し込み量:| 4.原点復帰後出力 OUT:|BK:"
             "| 5.原点復帰速度:| 6.オフセット移動速度:| 7.速度１ 設定:| 8.速度２ 設定:"
             "| 9.速度３ 設定:|10.原点復帰方式:|11.電流制限解除時間:|12.ブレーキ解除時間:"
             "|13.ブレーキ作動時間:",
             " 1.Stroke length:| 2.Home position offset:| 3.Home Pushing amount:"
             "| 4.Output after homing:|BK:| 5.Homing velocity:| 6.Offset moving speed:"
             "| 7.Setting VEL 1:| 8.Setting VEL 2:| 9.Setting VEL 3:|10.Homing method:"
             "|11.Time to release current limitation:|12.Time to brake release:"
             "|13.Brake executing time:")
            .split(u'|');
    const int slotOf[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 16, 13, 14, 15};
    for (int i = 0; i < (s.options.showParameterDetails ? 14 : 11); ++i) {
        put(labels[i] == "BK:" ? 3000 : 1000, labels[i]);
        const double value = job.para.number(slotOf[i]);
        put(5500, slotOf[i] != 16 ? QString::number(value)
                  : value == 0    ? s.tx("押付け方式", "Pushing")
                                  : s.tx("ｾﾝｻ方式", "Sensor"));
        y += line + 200;
    }
    return page;
}

// Every row filled: a comment in the page's language, one too long for the page.
void fillGrid(AppState &s) {
    s.device.modelName = QStringLiteral("TZ- 28L-100 ");
    for (int row = 1; row < PositionTable::Rows; ++row) {
        const QString comment = row == 1   ? s.tx("ﾜｰｸ取出し位置", "home side")
                                : row == 2 ? QStringLiteral("pick, then wait for the gripper")
                                : row == 3 ? QString(70, u'W')
                                           : QString();
        const QString cells[] = {
            "3", "2", "1", QString::number(row * 1000).rightJustified(7), "100.000", comment};
        for (int col = 1; col <= 6; ++col)
            s.positions.setText(row, col, cells[col - 1]);
    }
}

} // namespace

class PrintingTest : public QObject {
    Q_OBJECT

private slots:
    // Whatever face stands in, each text keeps to the box the designed face
    // gives it: its column and one 220-twip line, inside the printable area,
    // apart from every other text.
    void pageKeepsTheDesignedLayout_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QPageSize::PageSizeId>("paper");
        QTest::addColumn<bool>("details");
        QTest::addColumn<bool>("positions");
        QTest::addColumn<bool>("fileLine");
        QTest::addColumn<int>("homing");
        QTest::newRow("ja A4") << 1 << QPageSize::A4 << true << true << true << 0;
        QTest::newRow("ja Letter") << 1 << QPageSize::Letter << true << true << true << 1;
        QTest::newRow("en A4") << 2 << QPageSize::A4 << true << true << true << 1;
        QTest::newRow("en Letter") << 2 << QPageSize::Letter << true << true << true << 0;
        QTest::newRow("ja no details, controller")
            << 1 << QPageSize::A4 << false << true << false << 0;
        QTest::newRow("en parameters alone")
            << 2 << QPageSize::Letter << true << false << true << 1;
        // Paper too small for the layout: reduced as a whole, so only inside and apart.
        QTest::newRow("ja A5") << 1 << QPageSize::A5 << true << true << true << 0;
    }
    void pageKeepsTheDesignedLayout() {
        QFETCH(int, language);
        QFETCH(QPageSize::PageSizeId, paper);
        QFETCH(bool, details);
        QFETCH(bool, positions);
        QFETCH(bool, fileLine);
        QFETCH(int, homing);
        TestEnv env(language);
        env.s.options.showParameterDetails = details;
        fillGrid(env.s);
        const ParameterSet para{.strokeLength = 123456,
                                .homeOffset = 80,
                                .homeOutBk = 3,
                                .vel3 = 100,
                                .currentReleaseTime = 7,
                                .homingMethod = qint16(homing)};
        PrintChoice choice;
        choice.posFromGrid = positions;
        choice.paraFromFile = true;
        choice.paraPath = env.dir.filePath(QStringLiteral("axis.pmt"));
        env.s.parameters = para;
        QVERIFY(params::writeParameterFile(env.s, choice.paraPath));
        PrintJob job;
        QVERIFY(gatherPrintData(env.s, choice, job, nullptr));
        job.paraFromFile = fileLine; // as read from the controller
        RecordedPage page(paper);
        QVERIFY(printPage(env.s, job, page));
        QVERIFY(env.prompter.log.isEmpty());

        const bool reduced = paper == QPageSize::A5;
        const int line = 220; // both designed faces: 11 points set solid
        QList<RecordedPage::Text> drawn = page.texts;
        for (const Placement &want : designedPage(env.s, job, line)) {
            static const QRegularExpression date(R"(\d{4}/\d\d/\d\d  \d\d:\d\d:\d\d)");
            const auto it = std::find_if(drawn.begin(), drawn.end(), [&](const auto &d) {
                return want.text == "<date>" ? date.match(d.text).hasMatch() : d.text == want.text;
            });
            QVERIFY2(it != drawn.end(), qPrintable(want.text));
            const QRectF ink = it->ink;
            QVERIFY2(reduced || (ink.left() > want.x - 5 && ink.left() < want.x + 60 &&
                                 ink.top() >= want.y - 1 && ink.bottom() <= want.y + line + 1),
                     qPrintable(QStringLiteral("%1 at %2,%3: ink %4,%5-%6")
                                    .arg(want.text)
                                    .arg(want.x)
                                    .arg(want.y)
                                    .arg(ink.left())
                                    .arg(ink.top())
                                    .arg(ink.bottom())));
            drawn.erase(it);
        }
        QVERIFY2(drawn.isEmpty(), qPrintable(drawn.value(0).text));

        const QRectF printable = page.printable().adjusted(-0.5, -0.5, 0.5, 0.5);
        for (int i = 0; i < page.texts.size(); ++i) {
            const RecordedPage::Text &a = page.texts[i];
            QVERIFY2(printable.contains(a.ink), qPrintable(a.text));
            // A blank of a point at least between two texts of a line.
            for (int j = i + 1; j < page.texts.size(); ++j)
                QVERIFY2(!a.ink.adjusted(-10, 0, 10, 0)
                              .intersects(page.texts[j].ink.adjusted(-10, 0, 10, 0)),
                         qPrintable(a.text + " / " + page.texts[j].text));
        }
        // The rule under the headings.
        QCOMPARE(page.lines.size(), positions ? 1 : 0);
        if (positions && !reduced)
            QVERIFY(QLineF(page.lines[0].p1(), QPointF(1000, 1700)).length() < 1 &&
                    QLineF(page.lines[0].p2(), QPointF(10600, 1700)).length() < 1);
        if (positions)
            QCOMPARE(QStringList(job.table.cells[0], job.table.cells[0] + 7).join(u'|'),
                     env.s.tx("位置No.|速度|加減速|出力|位置(ﾊﾟﾙｽ)|位置(mm)|コメント",
                              "No.|VEL|ACC|OUT|Posi(Pulse)|Posi(mm)|Comment"));
    }

    // The whole sequence from the main window's menu: parameters read from the
    // controller under the window every parameter read shows, then printed.
    void parametersFromTheControllerThroughTheMainWindow() {
        LinkRig rig;
        MainWindow w(rig.s);
        PrintRun run(
            rig.s, rig.prompter,
            [](QDialog &d) {
                click(d, {"positionsBox", "parametersBox", "okButton"});
            },
            [&w] { w.findChild<QAction *>(QStringLiteral("printAction"))->trigger(); });
        QVERIFY(rig.prompter.unexpected.isEmpty() && rig.prompter.texts().isEmpty());
        QVERIFY(!rig.s.controllerBusy());
        const auto *progress = w.findChild<ProgressWindow *>(QStringLiteral("ProgressWindow"));
        QCOMPARE(progress->labelText(), "Reading parameters from the controller.");
        QVERIFY(progress->maximum() == 3 && progress->value() == 3 && !progress->isVisible());
        const Page page = run.read();
        QVERIFY(page.find("Parameters") && !page.find("File"));
        QCOMPARE(page.valueOf("length:"), QString::number(rig.sim.model().strokePulses()));
    }

    // The grid and a parameter file through both dialogs to paper.
    void gridAndParameterFileToPaper() {
        TestEnv env;
        fillGrid(env.s);
        env.s.device.newType = false;
        const QString pmt = env.dir.filePath(QStringLiteral("axis.pmt"));
        env.s.parameters = {.strokeLength = 12345, .homeOutBk = 3};
        QVERIFY(params::writeParameterFile(env.s, pmt));
        PrintRun run(env.s, env.prompter, gridAndParaFile(env.prompter, pmt));
        QVERIFY(env.prompter.unexpected.isEmpty() && env.prompter.texts().isEmpty());
        const Page page = run.read();
        const Word *device = page.find("Device:");
        QVERIFY(device);
        QCOMPARE(page.lineAt(device->y),
                 (QStringList{"Device:", "TZ-", "28L-100", "(Old)", "/", "Indicated", "data"}));
        const Word *row4 = page.find("4000");
        QVERIFY(row4);
        QCOMPARE(page.lineAt(row4->y), (QStringList{"4", "3", "2", "1", "4000", "100.000", ":"}));
        QCOMPARE(page.lineAt(page.find("Name:axis.pmt")->y),
                 (QStringList{"File", "Name:axis.pmt"}));
        QVERIFY(page.valueOf("length:") == "12345" && page.valueOf("BK:") == "3");
    }

    void positionFileOfAnUnknownDeviceLosesOnlyTheMm() {
        TestEnv env(1);
        QByteArray tpd = "\"TZ- 99Q- 50 \",\"OLD\"\r\n";
        for (int row = 1; row <= 15; ++row)
            tpd += "\"1\",\"2\",\"0\",\"" + QByteArray::number(row * 100) + "\",\"" +
                   (row == 1 ? "abc" : "") + "\"\r\n";
        env.writeFile(QStringLiteral("line.tpd"),
                      tpd + QByteArray("\"\",").repeated(14) + "\"\"\r\n");
        const DeviceRecord before = env.s.device;
        PrintRun run(env.s, env.prompter, [&](QDialog &d) {
            click(d, {"positionsFromFileOption"});
            env.prompter.files.push_back(env.dir.filePath(QStringLiteral("line.tpd")));
            click(d, {"positionsBrowseButton", "okButton"});
        });
        QVERIFY(env.prompter.unexpected.isEmpty());
        QCOMPARE(env.prompter.texts(),
                 QStringList{"位置(mm)の計算でｴﾗｰが発生しました。\r\n位置(mm)は印刷されません。"});
        QCOMPARE(env.prompter.log.last().icon, PromptIcon::Exclamation);
        QVERIFY(env.s.device.modelName == before.modelName && env.s.device.size == before.size);
        const Page page = run.read();
        // Extraction of the Japanese face is lossy: distinctive words only.
        const Word *suffix = page.find("(旧型)");
        QVERIFY(suffix);
        const QStringList source = page.lineAt(suffix->y);
        QVERIFY(source.contains("ﾌｧｲﾙ名：line.tpd") && near(page.find(source.first())->x, 1000));
        const Word *row1 = page.find(":abc");
        QVERIFY(row1);
        QCOMPARE(page.lineAt(row1->y).join(u' '), "1 1 2 0 100 :abc");
    }

    void fileSourceNeedsABrowsedFile_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("positions");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("browseTitle");
        const auto row = [](int language, bool positions, const char *message, const char *title) {
            QTest::addRow("%s %d", positions ? "positions" : "parameters", language)
                << language << positions << QString(message) << QString(title);
        };
        row(2, true, "Invalid file name.Comfirm file name and print it again.",
            "Specify TZ Data file to be printed.");
        row(1, true,
            "位置データのファイル名が適切でありません。ファイル名を確認し、再度印刷して下さい。",
            "印刷する位置データファイルを指定する");
        row(1, false,
            "パラメータのファイル名が適切でありません。ファイル名を確認し、再度印刷して下さい。",
            "印刷するパラメータファイルを指定する");
    }
    void fileSourceNeedsABrowsedFile() {
        QFETCH(int, language);
        QFETCH(bool, positions);
        QFETCH(QString, message);
        TestEnv env(language);
        env.prompter.dialogs.push_back([&](QDialog &d) {
            if (positions)
                click(d, {"positionsFromFileOption"});
            else
                click(d, {"positionsBox", "parametersBox", "parametersFromFileOption"});
            // A cancelled Browse leaves the placeholder, which OK refuses.
            env.prompter.files.push_back(std::nullopt);
            click(d, {positions ? "positionsBrowseButton" : "parametersBrowseButton", "okButton"});
            if (d.result() != QDialog::Accepted) click(d, {"cancelButton"});
            return d.result();
        });
        printDocument(env.s, nullptr, nullptr);
        // Cancelled after the refusal: no print dialog follows.
        QCOMPARE(env.prompter.texts(), QStringList{message});
        QVERIFY(env.prompter.unexpected.isEmpty());
        QCOMPARE(env.prompter.log.last().kind, PromptRecord::Message);
        const FileDialogSpec fd = env.prompter.log[1].file;
        QTEST(fd.title, "browseTitle");
        QVERIFY(fd.defaultExt == QLatin1String(positions ? "tpd" : "pmt") && fd.mustExist);
    }

    void enableRules() {
        TestEnv env;
        QList<bool> states;
        env.prompter.dialogs.push_back([&](QDialog &d) {
            auto on = [&](const char *n) { return d.findChild<QWidget *>(n)->isEnabled(); };
            states << (on("positionsFromGridOption") && on("okButton"))
                   << (!on("positionsBrowseButton") && !on("parametersFromControllerOption") &&
                       !on("parametersBrowseButton"));
            click(d, {"positionsFromFileOption"});
            states << (on("positionsBrowseButton") && on("positionsFileLabel"));
            click(d, {"positionsBox"}); // nothing ticked: OK off
            states << (!on("positionsBrowseButton") && !on("positionsFromFileOption") &&
                       !on("okButton"));
            click(d, {"parametersBox"}); // the controller as source: OK on
            states << (on("parametersFromFileOption") && on("okButton") &&
                       !on("parametersBrowseButton"));
            click(d, {"cancelButton"});
            return d.result();
        });
        printDocument(env.s, nullptr, nullptr);
        QCOMPARE(states, QList<bool>(5, true));
        QVERIFY(env.prompter.unexpected.isEmpty() && env.prompter.log.size() == 1);
    }
};

TZC3_TEST(PrintingTest)
#include "test_printing.moc"
