// Printing: the selection dialog, and the page as PDF read back word by word.

#include "../link/link_rig.h"
#include "parameters/pmt_file.h"
#include "test_registry.h"
#include "test_support.h"
#include "ui/printing.h"

#include <QAbstractButton>
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

// One print: `select` operates the selection dialog, the output is an A4 PDF.
struct PrintRun {
    QTemporaryDir dir;
    QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QPointF origin;          // printable origin in points
    double printableWidth{}; // twips

    PrintRun(AppState &s, ScriptedPrompter &p, const std::function<void(QDialog &)> &select,
             bool acceptPrint = true) {
        p.dialogs.push_back([select](QDialog &d) { return select(d), d.result(); });
        p.dialogs.push_back([this, acceptPrint](QDialog &d) {
            QPrinter *printer = dynamic_cast<QPrintDialog &>(d).printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            printer->setPageSize(QPageSize(QPageSize::A4));
            printer->setPageMargins(QMarginsF(15, 20, 15, 20), QPageLayout::Millimeter);
            origin = printer->pageLayout().paintRectPoints().topLeft();
            printableWidth = printer->pageLayout().paintRectPoints().width() * 20;
            return acceptPrint ? QDialog::Accepted : QDialog::Rejected;
        });
        printDocument(s, nullptr);
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

// Parameters from a browsed file, alone or after the indicated positions.
std::function<void(QDialog &)> paraFile(ScriptedPrompter &p, const QString &path, bool positions) {
    return [&p, path, positions](QDialog &d) {
        if (!positions) click(d, {"chkPrintPosi"});
        click(d, {"chkPrintPara", "optPrintPara1"});
        p.files.push_back(path);
        click(d, {"cmdSelectParaFile", "cmdPrintSet"});
    };
}

QString writePmt(TestEnv &env, qint16 homingMethod) {
    ParameterSet &p = env.s.parameters;
    p.strokeLength = 12345;
    p.homeOutBk = 3;
    p.currentReleaseTime = 7;
    p.homingMethod = homingMethod;
    const QString path = env.dir.filePath(QStringLiteral("axis.pmt"));
    if (params::SaveParaFileAs(env.s, path) != 0) qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

class PrintingTest : public QObject {
    Q_OBJECT

private slots:
    void parametersAloneStartHigherOnThePage_data() {
        QTest::addColumn<int>("homing");
        QTest::addColumn<bool>("details");
        QTest::addColumn<QString>("method");
        QTest::newRow("pushing, no details") << 0 << false << "Pushing";
        QTest::newRow("sensor, details") << 1 << true << "Sensor";
    }
    void parametersAloneStartHigherOnThePage() {
        QFETCH(int, homing);
        QFETCH(bool, details);
        TestEnv env;
        env.s.options.parametaShow = details;
        const QString pmt = writePmt(env, qint16(homing));
        PrintRun run(env.s, env.prompter, paraFile(env.prompter, pmt, false));
        QVERIFY(env.prompter.unexpected.isEmpty() && env.prompter.texts().isEmpty());
        const Page page = run.read();
        const Word *banner = page.find("Parameters");
        const Word *name = page.find("Name:axis.pmt");
        QVERIFY(banner && name && near(banner->y, 2000, 60) && !page.find("Data"));
        // The file's title line, then the rule of 85 "=".
        QCOMPARE(page.lineAt(name->y), (QStringList{"File", "Name:axis.pmt"}));
        const double pitch = name->y - banner->y;
        QCOMPARE(page.lineAt(name->y + pitch).join(QString()), QString(85, u'='));
        // Too long on A4 for the stand-in fonts: narrowed to the edge, not cut off.
        const Word *rule = page.find(QString(85, u'='));
        QVERIFY(rule && near(rule->x, 1000) && rule->right <= run.printableWidth + 20);
        QVERIFY(near(page.find("1.Stroke")->y, name->y + 2 * pitch, 20));
        QCOMPARE(page.valueOf("length:"), "12345");
        QVERIFY(page.valueOf("BK:") == "3" && near(page.find("BK:")->x, 3000));
        QTEST(page.valueOf("method:"), "method");
        QCOMPARE(page.find("executing") != nullptr, details);
        QCOMPARE(page.valueOf("limitation:"), details ? "7" : "<none>");
        // Each parameter line lies 200 twips plus one text line below the last.
        const double l1 = page.find("length:")->y, l2 = page.find("position")->y;
        QVERIFY(l2 - l1 > 200 && near(page.find("amount:")->y - l2, l2 - l1, 20));
    }

    void parametersFromTheControllerHaveNoFileLine() {
        LinkRig rig;
        PrintRun run(rig.s, rig.prompter, [](QDialog &d) {
            click(d, {"chkPrintPosi", "chkPrintPara", "cmdPrintSet"});
        });
        QVERIFY(rig.prompter.unexpected.isEmpty() && rig.prompter.texts().isEmpty());
        QVERIFY(!rig.s.controllerBusy);
        const Page page = run.read();
        // The first parameter line follows the banner directly.
        const Word *banner = page.find("Parameters");
        const Word *first = page.find("1.Stroke");
        QVERIFY(banner && first && near(banner->y, 2000, 60) && !page.find("File"));
        QVERIFY(first->y > banner->y && first->y - banner->y < 400);
        QCOMPARE(page.valueOf("length:"), QString::number(rig.sim.model().strokePulses()));
    }

    void gridTableLayout() {
        TestEnv env;
        env.s.device.modelName = QStringLiteral("TZ- 28L-100 ");
        env.s.device.newType = false;
        for (int row = 1; row < PositionTable::Rows; ++row) {
            const QString cells[] = {"1",       "2",
                                     "0",       QString::number(row * 100).rightJustified(7),
                                     "  0.500", row == 1 ? "abc" : ""};
            for (int col = 1; col <= 6; ++col)
                env.s.positions.setText(row, col, cells[col - 1]);
        }
        PrintRun run(env.s, env.prompter, paraFile(env.prompter, writePmt(env, 0), true));
        QVERIFY(env.prompter.unexpected.isEmpty() && env.prompter.texts().isEmpty());
        const Page page = run.read();
        const Word *device = page.find("Device:");
        QVERIFY(device && near(device->y, 800, 60) && near(device->x, 1000));
        QCOMPARE(page.lineAt(device->y),
                 (QStringList{"Device:", "TZ-", "28L-100", "(Old)", "/", "Indicated", "data"}));
        // Wide faces may run headings together, still in column order.
        const Word *heading = page.find("No.");
        QVERIFY(heading && near(heading->y, 1400, 60));
        QCOMPARE(page.lineAt(heading->y).join(QString()),
                 "No.VELACCOUTPosi(Pulse)Posi(mm):Comment");
        // Rows at an even pitch; an empty comment leaves the colon alone.
        const Word *row1 = page.find(":abc");
        QVERIFY(row1 && near(row1->x, 6500));
        QCOMPARE(page.lineAt(row1->y), (QStringList{"1", "1", "2", "0", "100", "0.500", ":abc"}));
        const double pitch = row1->y - heading->y;
        QCOMPARE(page.lineAt(heading->y + 15 * pitch),
                 (QStringList{"F", "1", "2", "0", "1500", "0.500", ":"}));
        QVERIFY(pitch > 200 && near(page.find(":")->x, 6500) && near(page.find("1500")->x, 4000));
        // With positions the parameters start at 9000.
        QVERIFY(near(page.find("Parameters")->y, 9000, 60));
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
            click(d, {"optPrintPosi1"});
            env.prompter.files.push_back(env.dir.filePath(QStringLiteral("line.tpd")));
            click(d, {"cmdSelectPosiFile", "cmdPrintSet"});
        });
        QVERIFY(env.prompter.unexpected.isEmpty());
        QCOMPARE(env.prompter.texts(),
                 QStringList{"位置(mm)の計算でｴﾗｰが発生しました。\r\n位置(mm)は印刷されません。"});
        QCOMPARE(env.prompter.log.last().icon, PromptIcon::Exclamation);
        QVERIFY(env.s.device.modelName == before.modelName && env.s.device.size == before.size);
        const Page page = run.read();
        // Extraction of the Japanese face is lossy: distinctive words only.
        const Word *suffix = page.find("(旧型)");
        QVERIFY(suffix && near(suffix->y, 800, 60));
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
                click(d, {"optPrintPosi1"});
            else
                click(d, {"chkPrintPosi", "chkPrintPara", "optPrintPara1"});
            // A cancelled Browse leaves the placeholder, which OK refuses.
            env.prompter.files.push_back(std::nullopt);
            click(d, {positions ? "cmdSelectPosiFile" : "cmdSelectParaFile", "cmdPrintSet"});
            if (d.result() != QDialog::Accepted) click(d, {"cmdPrintCancel"});
            return d.result();
        });
        printDocument(env.s, nullptr);
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
            states << (on("optPrintPosi0") && on("cmdPrintSet"))
                   << (!on("cmdSelectPosiFile") && !on("optPrintPara0") &&
                       !on("cmdSelectParaFile"));
            click(d, {"optPrintPosi1"});
            states << (on("cmdSelectPosiFile") && on("lblPrintPosiName"));
            click(d, {"chkPrintPosi"}); // nothing ticked: OK off
            states << (!on("cmdSelectPosiFile") && !on("optPrintPosi1") && !on("cmdPrintSet"));
            click(d, {"chkPrintPara"}); // the controller as source: OK on
            states << (on("optPrintPara1") && on("cmdPrintSet") && !on("cmdSelectParaFile"));
            click(d, {"cmdPrintCancel"});
            return d.result();
        });
        printDocument(env.s, nullptr);
        QCOMPARE(states, QList<bool>(5, true));
        QVERIFY(env.prompter.unexpected.isEmpty() && env.prompter.log.size() == 1);
    }
};

TZC3_TEST(PrintingTest)
#include "test_printing.moc"
