// Printing: the selection dialog's rules and messages, and the page itself,
// rendered to PDF and read back word by word with its positions, so the
// twips layout is checked where the user sees it.

#include "../link/link_rig.h"
#include "parameters/pmt_file.h"
#include "test_registry.h"
#include "test_support.h"
#include "ui/printing.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

// One word of the printout, its box in twips from the printable origin.
struct Word {
    QString text;
    double x, y, right;
};

struct Page {
    QList<Word> words;

    const Word *find(const QString &text, int from = 0) const {
        for (int i = from; i < words.size(); ++i)
            if (words[i].text == text) return &words[i];
        return nullptr;
    }
    bool has(const QString &text) const { return find(text) != nullptr; }
    QString dump() const {
        QStringList all;
        for (const Word &w : words)
            all << QStringLiteral("%1@%2,%3").arg(w.text).arg(w.x).arg(w.y);
        return all.join(u' ');
    }
    // The words that start at y (within a tolerance), left to right.
    QStringList lineAt(double y) const {
        QStringList line;
        for (const Word &w : words)
            if (std::abs(w.y - y) < 40) line << w.text;
        return line;
    }
    // The word printed right of `label` on its line.
    QString valueOf(const QString &label) const {
        const Word *l = find(label);
        if (!l) return QStringLiteral("<no label>");
        for (const Word &w : words)
            if (std::abs(w.y - l->y) < 40 && std::abs(w.x - 5500) < 40) return w.text;
        return QString();
    }
};

QAbstractButton *button(QDialog &d, const char *name) {
    auto *b = d.findChild<QAbstractButton *>(QLatin1String(name));
    if (!b) qFatal("no %s", name);
    return b;
}
QLabel *label(QDialog &d, const char *name) {
    auto *l = d.findChild<QLabel *>(QLatin1String(name));
    if (!l) qFatal("no %s", name);
    return l;
}

// Drives one print: the selection dialog operated by `select`, the print
// dialog answered with a PDF file, then the page read back.
struct PrintRun {
    QString pdf;
    QPointF origin;          // printable origin in points
    double printableWidth{}; // twips

    void queue(ScriptedPrompter &p, const std::function<void(QDialog &)> &select,
               bool acceptPrint = true) {
        p.dialogs.push_back([select](QDialog &d) {
            select(d);
            return d.result();
        });
        p.dialogs.push_back([this, acceptPrint](QDialog &d) {
            auto &pd = dynamic_cast<QPrintDialog &>(d);
            QPrinter *printer = pd.printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            printer->setPageSize(QPageSize(QPageSize::A4));
            printer->setPageMargins(QMarginsF(15, 20, 15, 20), QPageLayout::Millimeter);
            origin = printer->pageLayout().paintRectPoints().topLeft();
            printableWidth = printer->pageLayout().paintRectPoints().width() * 20;
            return acceptPrint ? QDialog::Accepted : QDialog::Rejected;
        });
    }

    Page read() const {
        Page page;
        QProcess proc;
        proc.start(QStringLiteral("pdftotext"),
                   {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        if (!proc.waitForFinished(20000)) return page;
        const QString xhtml = QString::fromUtf8(proc.readAllStandardOutput());
        static const QRegularExpression re(QStringLiteral(
            R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re"));
        for (auto m = re.globalMatch(xhtml); m.hasNext();) {
            const auto r = m.next();
            QString t = r.captured(4);
            t.replace(QLatin1String("&lt;"), QLatin1String("<"))
                .replace(QLatin1String("&gt;"), QLatin1String(">"))
                .replace(QLatin1String("&quot;"), QLatin1String("\""))
                .replace(QLatin1String("&amp;"), QLatin1String("&"));
            page.words.append({t, (r.captured(1).toDouble() - origin.x()) * 20,
                               (r.captured(2).toDouble() - origin.y()) * 20,
                               (r.captured(3).toDouble() - origin.x()) * 20});
        }
        return page;
    }
};

void selectParaFile(QDialog &d, ScriptedPrompter &p, const QString &path, bool positions) {
    if (!positions) button(d, "chkPrintPosi")->click();
    button(d, "chkPrintPara")->click();
    button(d, "optPrintPara1")->click();
    p.files.push_back(path);
    button(d, "cmdSelectParaFile")->click();
    button(d, "cmdPrintSet")->click();
}

QString writePmt(TestEnv &env, qint16 homingMethod) {
    ParameterSet p;
    p.strokeLength = 12345;
    p.homeOutBk = 3;
    p.currentReleaseTime = 7;
    p.homingMethod = homingMethod;
    const QString path = env.dir.filePath(QStringLiteral("axis.pmt"));
    if (params::SaveParaFileAs(p, path) != 0) qFatal("cannot write %s", qPrintable(path));
    return path;
}

// A complete grid: row n moves to n * 100 pulses; row 1 carries a comment.
void fillGrid(AppState &s) {
    s.device.modelName = QStringLiteral("TZ- 28L-100 ");
    s.device.newType = false;
    for (int row = 1; row < PositionTable::Rows; ++row) {
        s.positions.setText(row, PositionTable::ColVel, QStringLiteral("1"));
        s.positions.setText(row, PositionTable::ColAcc, QStringLiteral("2"));
        s.positions.setText(row, PositionTable::ColOut, QStringLiteral("0"));
        s.positions.setText(row, PositionTable::ColPulse,
                            QString::number(row * 100).rightJustified(7));
        s.positions.setText(row, PositionTable::ColMm, QStringLiteral("  0.500"));
    }
    s.positions.setText(1, PositionTable::ColComment, QStringLiteral("abc"));
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
        QFETCH(QString, method);
        TestEnv env;
        env.s.options.parametaShow = details;
        const QString pmt = writePmt(env, qint16(homing));
        PrintRun run{env.dir.filePath(QStringLiteral("out.pdf")), {}};
        run.queue(env.prompter, [&](QDialog &d) { selectParaFile(d, env.prompter, pmt, false); });
        printDocument(env.s, nullptr);
        QCOMPARE(env.prompter.unexpected, QStringList());
        QCOMPARE(env.prompter.texts(), QStringList());
        const Page page = run.read();

        const Word *banner = page.find(QStringLiteral("Parameters"));
        QVERIFY2(banner && page.has(QStringLiteral("Name:axis.pmt")), qPrintable(page.dump()));
        QVERIFY2(std::abs(banner->y - 2000) < 60, qPrintable(QString::number(banner->y)));
        QVERIFY(!page.has(QStringLiteral("Data")));
        // The file's title line, then the rule of 85 "=".
        const Word *name = page.find(QStringLiteral("Name:axis.pmt"));
        QCOMPARE(page.lineAt(name->y), (QStringList{"File", "Name:axis.pmt"}));
        const double pitch = name->y - banner->y;
        QCOMPARE(page.lineAt(name->y + pitch).join(QString()), QString(85, u'='));
        // On A4 the rule is too long for the stand-in fonts: it is narrowed
        // to the printable edge, not cut off.
        const Word *rule = page.find(QString(85, u'='));
        QVERIFY2(rule && std::abs(rule->x - 1000) < 40 && rule->right <= run.printableWidth + 20,
                 qPrintable(page.dump()));
        QVERIFY(std::abs(page.find(QStringLiteral("1.Stroke"))->y - (name->y + 2 * pitch)) < 20);
        QCOMPARE(page.valueOf(QStringLiteral("length:")), QStringLiteral("12345"));
        QCOMPARE(page.valueOf(QStringLiteral("BK:")), QStringLiteral("3"));
        QVERIFY(std::abs(page.find(QStringLiteral("BK:"))->x - 3000) < 40);
        QCOMPARE(page.valueOf(QStringLiteral("method:")), method);
        QCOMPARE(page.has(QStringLiteral("limitation:")), details);
        QCOMPARE(page.has(QStringLiteral("executing")), details);
        if (details) QCOMPARE(page.valueOf(QStringLiteral("limitation:")), QStringLiteral("7"));
        // Each parameter line lies 200 twips plus one text line below the last.
        const double l1 = page.find(QStringLiteral("length:"))->y;
        const double l2 = page.find(QStringLiteral("position"))->y;
        const double l3 = page.find(QStringLiteral("amount:"))->y;
        QVERIFY(l2 - l1 > 200 && std::abs((l3 - l2) - (l2 - l1)) < 20);
    }

    void parametersFromTheControllerHaveNoFileLine() {
        LinkRig rig;
        PrintRun run{rig.dir.filePath(QStringLiteral("out.pdf")), {}};
        run.queue(rig.prompter, [](QDialog &d) {
            button(d, "chkPrintPosi")->click();
            button(d, "chkPrintPara")->click();
            button(d, "cmdPrintSet")->click();
        });
        printDocument(rig.s, nullptr);
        QCOMPARE(rig.prompter.unexpected, QStringList());
        QCOMPARE(rig.prompter.texts(), QStringList());
        QVERIFY(!rig.s.controllerBusy);
        const Page page = run.read();
        // The first parameter line follows the banner directly.
        const Word *banner = page.find(QStringLiteral("Parameters"));
        QVERIFY2(banner, qPrintable(page.dump()));
        QVERIFY(std::abs(banner->y - 2000) < 60);
        const Word *first = page.find(QStringLiteral("1.Stroke"));
        QVERIFY(first && first->y > banner->y && first->y - banner->y < 400);
        QVERIFY(!page.has(QStringLiteral("File")));
        QCOMPARE(page.valueOf(QStringLiteral("length:")),
                 QString::number(rig.sim.model().strokePulses()));
    }

    void gridTableLayout() {
        TestEnv env;
        fillGrid(env.s);
        const QString pmt = writePmt(env, 0);
        PrintRun run{env.dir.filePath(QStringLiteral("out.pdf")), {}};
        run.queue(env.prompter, [&](QDialog &d) { selectParaFile(d, env.prompter, pmt, true); });
        printDocument(env.s, nullptr);
        QCOMPARE(env.prompter.unexpected, QStringList());
        QCOMPARE(env.prompter.texts(), QStringList());
        const Page page = run.read();

        const Word *device = page.find(QStringLiteral("Device:"));
        QVERIFY2(device, qPrintable(page.dump()));
        QVERIFY(device && std::abs(device->y - 800) < 60 && std::abs(device->x - 1000) < 40);
        QCOMPARE(page.lineAt(device->y),
                 (QStringList{"Device:", "TZ-", "28L-100", "(Old)", "/", "Indicated", "data"}));
        // Wide faces may run a heading into the next column; the words still
        // come in column order.
        const Word *heading = page.find(QStringLiteral("No."));
        QVERIFY(heading && std::abs(heading->y - 1400) < 60);
        QCOMPARE(page.lineAt(heading->y).join(QString()),
                 QStringLiteral("No.VELACCOUTPosi(Pulse)Posi(mm):Comment"));
        // Rows at an even pitch; an empty comment leaves the colon alone.
        const Word *row1 = page.find(QStringLiteral(":abc"));
        QVERIFY(row1 && std::abs(row1->x - 6500) < 40);
        QCOMPARE(page.lineAt(row1->y), (QStringList{"1", "1", "2", "0", "100", "0.500", ":abc"}));
        const double pitch = row1->y - heading->y;
        QVERIFY(pitch > 200);
        const QStringList rowF = page.lineAt(heading->y + 15 * pitch);
        QCOMPARE(rowF, (QStringList{"F", "1", "2", "0", "1500", "0.500", ":"}));
        const Word *colon = page.find(QStringLiteral(":"));
        QVERIFY(std::abs(colon->x - 6500) < 40);
        const Word *pulses = page.find(QStringLiteral("1500"));
        QVERIFY(std::abs(pulses->x - 4000) < 40);
        // With positions the parameters start at 9000.
        QVERIFY(std::abs(page.find(QStringLiteral("Parameters"))->y - 9000) < 60);
    }

    void positionFileOfAnUnknownDeviceLosesOnlyTheMm() {
        TestEnv env(1);
        QByteArray tpd = "\"TZ- 99Q- 50 \",\"OLD\"\r\n";
        for (int row = 1; row <= 15; ++row)
            tpd += "\"1\",\"2\",\"0\",\"" + QByteArray::number(row * 100) + "\",\"" +
                   (row == 1 ? "abc" : "") + "\"\r\n";
        for (int step = 1; step <= 15; ++step)
            tpd += step < 15 ? "\"\"," : "\"\"\r\n";
        env.writeFile(QStringLiteral("line.tpd"), tpd);
        PrintRun run{env.dir.filePath(QStringLiteral("out.pdf")), {}};
        run.queue(env.prompter, [&](QDialog &d) {
            button(d, "optPrintPosi1")->click();
            env.prompter.files.push_back(env.dir.filePath(QStringLiteral("line.tpd")));
            button(d, "cmdSelectPosiFile")->click();
            button(d, "cmdPrintSet")->click();
        });
        const DeviceRecord before = env.s.device;
        printDocument(env.s, nullptr);
        QCOMPARE(env.prompter.unexpected, QStringList());
        QCOMPARE(env.prompter.texts(),
                 QStringList{"位置(mm)の計算でｴﾗｰが発生しました。\r\n位置(mm)は印刷されません。"});
        QCOMPARE(env.prompter.log.last().icon, PromptIcon::Exclamation);
        QCOMPARE(env.s.device.modelName, before.modelName);
        QCOMPARE(env.s.device.size, before.size);
        const Page page = run.read();
        // Text extraction of the Japanese face is lossy for some glyphs, so
        // the source line is checked by its distinctive words.
        const Word *suffix = page.find(QStringLiteral("(旧型)"));
        QVERIFY2(suffix && std::abs(suffix->y - 800) < 60, qPrintable(page.dump()));
        const QStringList source = page.lineAt(suffix->y);
        QVERIFY(source.contains(QStringLiteral("ﾌｧｲﾙ名：line.tpd")));
        QVERIFY(std::abs(page.find(source.first())->x - 1000) < 40);
        const Word *row1 = page.find(QStringLiteral(":abc"));
        QVERIFY(row1);
        QCOMPARE(page.lineAt(row1->y).join(u' '), QStringLiteral("1 1 2 0 100 :abc"));
    }

    void fileSourceNeedsABrowsedFile_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("positions");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("browseTitle");
        QTest::newRow("positions en")
            << 2 << true << "Invalid file name.Comfirm file name and print it again."
            << "Specify TZ Data file to be printed.";
        QTest::newRow("positions ja") << 1 << true
                                      << "位置データのファイル名が適切でありません。ファイル名を確"
                                         "認し、再度印刷して下さい。"
                                      << "印刷する位置データファイルを指定する";
        QTest::newRow("parameters ja") << 1 << false
                                       << "パラメータのファイル名が適切でありません。ファイル名を"
                                          "確認し、再度印刷して下さい。"
                                       << "印刷するパラメータファイルを指定する";
    }
    void fileSourceNeedsABrowsedFile() {
        QFETCH(int, language);
        QFETCH(bool, positions);
        QFETCH(QString, message);
        QFETCH(QString, browseTitle);
        TestEnv env(language);
        env.prompter.dialogs.push_back([&](QDialog &d) {
            if (positions) {
                button(d, "optPrintPosi1")->click();
            } else {
                button(d, "chkPrintPosi")->click();
                button(d, "chkPrintPara")->click();
                button(d, "optPrintPara1")->click();
            }
            // A cancelled Browse leaves the placeholder, which OK refuses.
            env.prompter.files.push_back(std::nullopt);
            button(d, positions ? "cmdSelectPosiFile" : "cmdSelectParaFile")->click();
            button(d, "cmdPrintSet")->click();
            if (d.result() == QDialog::Accepted) return int(QDialog::Accepted);
            button(d, "cmdPrintCancel")->click();
            return d.result();
        });
        printDocument(env.s, nullptr);
        QCOMPARE(env.prompter.texts(), QStringList{message});
        // Cancelled after the refusal: no print dialog follows.
        QCOMPARE(env.prompter.unexpected, QStringList());
        QCOMPARE(env.prompter.log.last().kind, PromptRecord::Message);
        const FileDialogSpec fd = env.prompter.log[1].file;
        QCOMPARE(fd.title, browseTitle);
        QCOMPARE(fd.defaultExt, QLatin1String(positions ? "tpd" : "pmt"));
        QVERIFY(fd.mustExist);
    }

    void enableRules() {
        TestEnv env;
        QList<bool> states;
        env.prompter.dialogs.push_back([&](QDialog &d) {
            auto on = [&](const char *n) { return button(d, n)->isEnabled(); };
            states << (on("optPrintPosi0") && on("cmdPrintSet"))
                   << (!on("cmdSelectPosiFile") && !on("optPrintPara0") &&
                       !on("cmdSelectParaFile"));
            button(d, "optPrintPosi1")->click();
            states << (on("cmdSelectPosiFile") && label(d, "lblPrintPosiName")->isEnabled());
            button(d, "chkPrintPosi")->click(); // nothing ticked: OK off
            states << (!on("cmdSelectPosiFile") && !on("optPrintPosi1") && !on("cmdPrintSet"));
            button(d, "chkPrintPara")->click(); // the controller as source: OK on
            states << (on("optPrintPara1") && on("cmdPrintSet") && !on("cmdSelectParaFile"));
            button(d, "cmdPrintCancel")->click();
            return d.result();
        });
        printDocument(env.s, nullptr);
        QCOMPARE(states, QList<bool>(5, true));
        QCOMPARE(env.prompter.unexpected, QStringList());
        QCOMPARE(env.prompter.log.size(), 1);
    }

    void cancelledPrintDialogStopsSilently() {
        TestEnv env;
        fillGrid(env.s);
        PrintRun run{env.dir.filePath(QStringLiteral("out.pdf")), {}};
        run.queue(
            env.prompter, [](QDialog &d) { button(d, "cmdPrintSet")->click(); }, false);
        printDocument(env.s, nullptr);
        QCOMPARE(env.prompter.unexpected, QStringList());
        QCOMPARE(env.prompter.texts(), QStringList());
        QVERIFY(!QFile::exists(run.pdf));
    }
};

TZC3_TEST(PrintingTest)
#include "test_printing.moc"
