#include "device/catalogue.h"
#include "positions/tpd_file.h"
#include "positions_rig.h"
#include "test_registry.h"
#include "test_support.h"

#include <QDir>
#include <QStringEncoder>
#include <QtTest>

using namespace positions;

namespace {

void selectDevice(AppState &s, bool newType, const char *size, const char *speed, int stroke) {
    s.candidate = {"TZ", newType, QString::fromLatin1(size), QString::fromLatin1(speed),
                   qint16(stroke)};
    QVERIFY(device::loadCatalogue(s, true));
    QVERIFY(device::applyDeviceChange(s, false));
}

QStringList cellTexts(const PositionTable &t) {
    QStringList out;
    for (int row = 1; row <= 15; ++row)
        for (int col = 1; col <= 6; ++col)
            out << t.text(row, col);
    return out;
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A whole file: the first line as given, 15 rows, the program line.
QString fileText(const QString &firstLine, const QString &row3Vel, const QString &comment1) {
    QString t = firstLine;
    for (int row = 1; row <= 15; ++row)
        t += QStringLiteral("\"%1\",\"2\",\"0\",\"%2\",\"%3\"\r\n")
                 .arg(row == 3 ? row3Vel : "1", QString::number(row * 10),
                      row == 1 ? comment1 : QString());
    return t + "\"1\",\"2\"" + QStringLiteral(",\"\"").repeated(13) + "\r\n";
}

} // namespace

class TpdFileTest : public QObject {
    Q_OBJECT
private slots:
    void saveThenOpenRestoresEverything() {
        TestEnv e;
        ViewRecorder rec;
        selectDevice(e.s, false, " 42", "D", 100); // lead 8, ppr 192
        for (int row = 1; row <= 15; ++row)
            setRow(e.s, row, 1 + row % 3, 1 + row % 2, row % 4, row * 150,
                   row == 1 ? QString("ﾊｲ, home") : QString("p%1").arg(row));
        e.s.program.steps[2] = QStringLiteral("A");
        e.s.program.steps[15] = QStringLiteral("F");
        e.s.positions.tag = PositionTable::ChangedTag;
        const QStringList saved = cellTexts(e.s.positions);

        // Right after start-up Save asks for a name.
        const QString path = e.dir.filePath(QStringLiteral("pos.tpd"));
        e.prompter.files.push_back(path);
        QCOMPARE(savePositionFile(e.s, rec.view), SaveResult::Saved);
        const FileDialogSpec &d = e.prompter.log[0].file;
        QCOMPARE(QStringList({d.title, d.filter, d.initialName, d.defaultExt}),
                 (QStringList{"Save TZ Data to file", "TZ Data file(*.tpd)|*.tpd|All file(*.*)|*.*",
                              "tzdata1.tpd", "tpd"}));
        QCOMPARE(e.s.fileLabel, "pos");
        QVERIFY(e.s.positions.tag.isEmpty());
        const QList<QByteArray> lines = readAll(path).split('\n');
        QCOMPARE(lines.size(), 18); // 17 lines ending in CR LF
        QCOMPARE(lines[0], QByteArray("\"TZ- 42D-100_\",\"OLD\"\r"));
        // Shift_JIS, as the Windows software writes it; "ﾊｲ" is also valid UTF-8 ("ʲ").
        QCOMPARE(lines[1], QByteArray("\"2\",\"2\",\"1\",\"150\",\"\xca\xb2, home\"\r"));
        QCOMPARE(lines[16], "\"\",\"A\"" + QByteArray(",\"\"").repeated(12) + ",\"F\"\r");

        // Another device and a cleared table, then the file again.
        selectDevice(e.s, true, " 28", "L", 100);
        newPositionData(e.s, rec.view);
        QCOMPARE(e.s.fileLabel, "New ");
        e.prompter.files.push_back(path);
        openPositionFile(e.s, rec.view);
        QCOMPARE(e.prompter.texts(), QStringList());
        QCOMPARE(cellTexts(e.s.positions), saved);
        QCOMPARE(e.s.positions.text(1, PositionTable::ColMm), "  6.250");
        QCOMPARE(e.s.program.steps[2] + e.s.program.steps[15], "AF");
        const DeviceRecord &dev = e.s.device;
        QCOMPARE(QStringList({dev.size, dev.speed, dev.modelName, dev.typeText}),
                 (QStringList{" 42", "D", "TZ- 42D-100_", "(Old)"}));
        QCOMPARE(QList<int>({dev.newType, dev.lead, dev.ppr, e.s.maxPulse}),
                 QList<int>({false, 8, 192, 2400}));
        QCOMPARE(e.s.fileLabel, "pos");

        // A full disk: the previous file stays whole and no temporary file is left.
        const QByteArray before = readAll(path);
        const QStringList files = QDir(e.dir.path()).entryList(QDir::Files);
        commitCell(e.s, 1, PositionTable::ColComment, QStringLiteral("changed"), {1, 6, 1, 6});
        QCOMPARE(withFileSizeLimit(64, [&] { return savePositionFile(e.s, rec.view); }),
                 SaveResult::Refused);
        QCOMPARE(readAll(path), before);
        QCOMPARE(QDir(e.dir.path()).entryList(QDir::Files), files);
        const PromptRecord &m = e.prompter.log.last();
        QCOMPARE(m.icon, PromptIcon::Exclamation);
        QVERIFY(m.text.startsWith("The position data file could not be saved.\r\n\r\n" + path));
        QVERIFY(m.text.endsWith("Nothing was written; an earlier file of that name is unchanged."));
        QCOMPARE(e.s.positions.tag + u' ' + e.s.fileLabel, "DataChange pos");
    }

    void openFile_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message"); // empty: opens
        QTest::addColumn<QString>("typeText");
        const QString head = QStringLiteral("\"TZ- 28L-100 \",\"OLD\"\r\n");
        QTest::newRow("old type, ja") << 1 << fileText(head, "1", "c").toUtf8() << ""
                                      << "(旧型)";
        // The oldest files, from Japanese machines: no type field, Shift_JIS.
        QTest::newRow("no type field, Shift_JIS")
            << 2
            << QByteArray(QStringEncoder("Shift_JIS")
                              .encode(fileText("\"TZ- 28L-100 \"\r\n", "1", "原点ﾎｰﾑ")))
            << ""
            << "(Old)";
        QTest::newRow("letter in VEL")
            << 2 << fileText(head, "x", "c").toUtf8()
            << "An error occured while getting Value of Position Data.\r\n\r\nOpening file is "
               "canceled."
            << "";
        QTest::newRow("too few fields, ja") << 1 << fileText(head, "1", "c").toUtf8().left(300)
                                            << "位置ﾃﾞｰﾀの読み込みでｴﾗｰが発生しました。\r\n\r\nデー"
                                               "タファイルの読み込みを中止します。"
                                            << "";
    }
    void openFile() {
        QFETCH(int, language);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        TestEnv e(language);
        ViewRecorder rec;
        selectDevice(e.s, true, " 35", "H", 200);
        fillValidTable(e.s);
        e.s.fileLabel = QStringLiteral("before");
        const QStringList before = cellTexts(e.s.positions);
        e.writeFile(QStringLiteral("t.tpd"), content);
        e.prompter.files.push_back(e.dir.filePath(QStringLiteral("t.tpd")));
        openPositionFile(e.s, rec.view);

        const FileDialogSpec &d = e.prompter.log[0].file;
        const bool ja = language == 1;
        QCOMPARE(d.title, ja ? "位置データファイルを開く" : "Open TZ data file");
        QCOMPARE(d.filter, ja ? "位置データファイル(*.tpd)|*.tpd|すべてのファイル(*.*)|*.*"
                              : "TZ Data file(*.tpd)|*.tpd|All Files(*.*)|*.*");
        QVERIFY(d.mustExist);
        QCOMPARE(rec.disabled + rec.enabled, 2);
        if (!message.isEmpty()) {
            QCOMPARE(e.prompter.texts(), QStringList{message});
            QCOMPARE(e.prompter.log.last().icon, PromptIcon::Exclamation);
            QCOMPARE(cellTexts(e.s.positions), before);
            QCOMPARE(e.s.fileLabel + e.s.device.size, "before 35");
            return;
        }
        QCOMPARE(e.prompter.texts(), QStringList());
        QTEST(e.s.device.typeText, "typeText");
        QCOMPARE(QList<int>({e.s.device.newType, e.s.device.stroke}), QList<int>({false, 100}));
        QCOMPARE(
            QStringList({e.s.positions.text(1, 1), e.s.positions.text(15, 4),
                         e.s.positions.text(1, 6), e.s.program.steps[2], e.s.fileLabel}),
            (QStringList{"1", "    150", content.contains("\"c\"") ? "c" : "原点ﾎｰﾑ", "2", "t"}));
    }

    // Cancel, or Yes then no file name, keeps the edits; Yes and a save clears the table.
    void newAsksBeforeDroppingEdits() {
        TestEnv e;
        ViewRecorder rec;
        useDevice(e.s, " 28", "L", 100);
        fillValidTable(e.s);
        commitCell(e.s, 1, 1, QStringLiteral("2"), {1, 1, 1, 1});
        e.s.fileLabel = QStringLiteral("mine");
        e.prompter.answers = {PromptAnswer::Cancel, PromptAnswer::Yes};
        e.prompter.files = {std::nullopt};
        newPositionData(e.s, rec.view);
        newPositionData(e.s, rec.view);
        QCOMPARE(e.prompter.texts(), QStringList(2, "Data have been changed. Save in file?"));
        QCOMPARE(e.prompter.log[0].buttons, PromptButtons::YesNoCancel);
        const FileDialogSpec d = e.prompter.log[2].file;
        QCOMPARE(QStringList({d.title, d.filter, d.initialName}),
                 (QStringList{"Save TZ data as ...", "TZ Data file(*.tpd)|*.tpd|All files(*.*)|*.*",
                              "tzdata.tpd"}));
        QVERIFY(d.overwritePrompt);
        QCOMPARE(e.s.positions.text(1, 1) + e.s.fileLabel, "2mine");

        e.s.setLanguage(1);
        e.prompter.clear();
        e.prompter.answers = {PromptAnswer::Yes};
        e.prompter.files = {e.dir.filePath("n.tpd")};
        newPositionData(e.s, rec.view);
        QCOMPARE(e.prompter.texts(),
                 QStringList{"データが変更されています。ファイルに保存しますか？"});
        QCOMPARE(e.prompter.log[1].file.title, "名前を付けて保存する");
        QCOMPARE(e.s.positions.text(1, 1) + e.s.fileLabel, "新規作成");
        QVERIFY(e.prompter.unexpected.isEmpty());
    }
};

TZC3_TEST(TpdFileTest)
#include "test_tpd_file.moc"
