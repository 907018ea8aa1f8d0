#include "common/program_files.h"
#include "parameters/parameter_editor.h"
#include "sim_server.h"
#include "test_registry.h"
#include "test_support.h"
#include "ui/command_line.h"
#include "ui/main_window.h"
#include "ui/startup.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTranslator>
#include <QtTest>
#include <memory>

namespace {

CommandLine parse(const QStringList &args, int language = 2) {
    Language lang;
    lang.set(language);
    return parseCommandLine(QStringList{QStringLiteral("tzc3")} + args, lang);
}

// Start-up reads the language from the settings: English for these runs.
void storeEnglish(TestEnv &env) {
    env.settings.write(QStringLiteral("Languege"), QStringLiteral("2"));
}

// Everything the main window and the run-wide state show of an opened
// position file: the table, the program, the file and device labels.
QStringList shownPositions(AppState &s, QWidget *w) {
    QStringList out;
    for (int row = 1; row <= 15; ++row)
        for (int col = 1; col <= 6; ++col)
            out << s.positions.text(row, col);
    for (int step = 1; step <= 15; ++step)
        out << s.program.steps[step];
    for (const char *name : {"fileNameLabel", "deviceLabel", "statusPanel2"})
        if (auto *l = w->findChild<QLabel *>(QLatin1String(name))) out << l->text();
    return out << s.device.modelName << s.positions.filePath;
}

QStringList editorFields(ParameterEditor *e) {
    QStringList out{e->windowTitle()};
    for (int f = 0; f < ParameterFields::Count; ++f)
        out << e->field(f)->text();
    return out;
}

// Position file text: the model line, 15 rows, the program.
QByteArray positionFile(const char *modelLine) {
    QByteArray t = modelLine;
    for (int row = 1; row <= 15; ++row)
        t +=
            QStringLiteral("\"2\",\"1\",\"0\",\"%1\",\"p%2\"\r\n").arg(row * 100).arg(row).toUtf8();
    return t + "\"1\",\"F\"" + QByteArray(",\"\"").repeated(13) + "\r\n";
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
private slots:
    void parsesOptionsAndFiles_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("positions");
        QTest::addColumn<QString>("parameters");
        QTest::newRow("nothing") << QStringList{} << 0 << ""
                                 << ""
                                 << "";
        QTest::newRow("tpd") << QStringList{"job.tpd"} << 0 << ""
                             << "job.tpd"
                             << "";
        QTest::newRow("PMT, a .tpd too") << QStringList{"AXIS.PMT", "d/job.tpd"} << 0 << ""
                                         << "d/job.tpd"
                                         << "AXIS.PMT";
        // Any other name is position data; reading it says what is wrong.
        QTest::newRow("txt") << QStringList{"notes.txt"} << 0 << ""
                             << "notes.txt"
                             << "";
        QTest::newRow("port") << QStringList{"--port", "3"} << 3 << ""
                              << ""
                              << "";
        QTest::newRow("port=9, one dash") << QStringList{"-port=9"} << 9 << ""
                                          << ""
                                          << "";
        QTest::newRow("device") << QStringList{"--device", "/dev/ttyUSB0"} << 0 << "/dev/ttyUSB0"
                                << ""
                                << "";
        // Qt's own options belong to the application object.
        QTest::newRow("Qt options")
            << QStringList{"-platform", "offscreen", "-reverse", "j.tpd"} << 0 << ""
            << "j.tpd"
            << "";
    }
    void parsesOptionsAndFiles() {
        QFETCH(QStringList, args);
        QFETCH(int, port);
        QFETCH(QString, positions);
        QFETCH(QString, parameters);
        const CommandLine c = parse(args);
        QCOMPARE(c.action, CommandLine::Action::Run);
        QCOMPARE(c.port.value_or(0), port);
        QTEST(c.device, "device");
        const auto absolute = [](const QString &name) {
            return name.isEmpty() ? name : QDir::current().absoluteFilePath(name);
        };
        QCOMPARE(c.positionFile, absolute(positions));
        QCOMPARE(c.parameterFile, absolute(parameters));
    }

    // Mistakes end the run with a message on stderr and status 2; nothing
    // starts with a port or a file the user did not mean.
    void usageErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("message");
        const QString tryHelp = "\nTry tzc3 --help for the usage.\n";
        QTest::newRow("port 0") << QStringList{"--port", "0"} << 2
                                << "tzc3: --port needs a port number from 1 to 9: 0" + tryHelp;
        QTest::newRow("port 10") << QStringList{"--port=10"} << 2
                                 << "tzc3: --port needs a port number from 1 to 9: 10" + tryHelp;
        QTest::newRow("port x, ja")
            << QStringList{"--port", "x"} << 1
            << "tzc3: --port には 1～9 のポート番号を指定してください: x\n使い方は tzc3 --help "
               "で表示されます。\n";
        QTest::newRow("port and device")
            << QStringList{"--port", "2", "--device", "/dev/ttyS0"} << 2
            << "tzc3: --port and --device cannot be used together." + tryHelp;
        QTest::newRow("empty device")
            << QStringList{"--device="} << 2
            << "tzc3: --device needs the path of a serial device." + tryHelp;
        QTest::newRow("two position files")
            << QStringList{"a.tpd", "b.tpd"} << 2
            << "tzc3: Only one position data file (.tpd) and one parameter file (.pmt) can be "
               "opened: b.tpd" +
                   tryHelp;
        QTest::newRow("unknown option")
            << QStringList{"--bogus"} << 2 << "tzc3: Unknown option 'bogus'." + tryHelp;
        QTest::newRow("port without value")
            << QStringList{"--port"} << 2 << "tzc3: Missing value after '--port'." + tryHelp;
    }
    void usageErrors() {
        QFETCH(QStringList, args);
        QFETCH(int, language);
        const CommandLine c = parse(args, language);
        QCOMPARE(c.action, CommandLine::Action::UsageError);
        QTEST(c.output, "message");
    }

    void helpAndVersion() {
        const CommandLine en = parse({"--help"});
        QCOMPARE(en.action, CommandLine::Action::ShowHelp);
        const QStringList lines = en.output.split(u'\n');
        QCOMPARE(lines.value(0), "Usage: tzc3 [options] [file.tpd] [file.pmt]");
        QVERIFY(lines.contains("Options:"));
        QVERIFY(lines.contains("Arguments:"));
        for (const char *option : {"-h, --help", "-v, --version", "--port <N>", "--device <PATH>"})
            QVERIFY2(en.output.contains(QLatin1String(option)), option);
        // Qt's own options work but are not this program's to explain.
        QVERIFY(!en.output.contains("platform"));

        const CommandLine ja = parse({"-h"}, 1);
        QCOMPARE(ja.output.section(u'\n', 0, 0), "使い方: tzc3 [オプション] [file.tpd] [file.pmt]");
        QVERIFY(ja.output.contains("\nオプション:\n") && ja.output.contains("\n引数:\n"));
        QVERIFY(ja.output.contains("この実行に限り COM ポート N (1～9) を使います。"));

        const CommandLine v = parse({"-v", "job.tpd"});
        QCOMPARE(v.action, CommandLine::Action::ShowVersion);
        QCOMPARE(v.output, QStringLiteral("tzc3 %1.%2.%3\n")
                               .arg(TZC3_VERSION_MAJOR)
                               .arg(TZC3_VERSION_MINOR)
                               .arg(TZC3_VERSION_PATCH));
    }

    // The build folder and Windows keep the lists beside the program; an
    // installed one keeps them in ../share/tzc3; without either, the
    // program's folder is named in the missing-list message as ever.
    void listFolder_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("expected");
        QTest::newRow("beside") << QStringList{"bin/tzdevice.lst"} << "bin";
        QTest::newRow("installed") << QStringList{"share/tzc3/wtzdevice.lst"} << "share/tzc3";
        QTest::newRow("only the error list") << QStringList{"share/tzc3/error.lst"} << "share/tzc3";
        QTest::newRow("both: beside wins")
            << QStringList{"bin/error.lst", "share/tzc3/tzdevice.lst"} << "bin";
        QTest::newRow("neither") << QStringList{"share/tzc3/readme.txt", "bin/x.lst"} << "bin";
    }
    void listFolder() {
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        QTemporaryDir root;
        QDir(root.path()).mkpath("bin");
        for (const QString &f : files) {
            QDir(root.path()).mkpath(QFileInfo(f).path());
            QFile(root.filePath(f)).open(QIODevice::WriteOnly);
        }
        QCOMPARE(programfiles::listFolderFor(root.filePath("bin")), root.filePath(expected));
    }

    // An unpacked package: the lists only in ../share/tzc3. Start-up finds
    // them all; no list is reported missing.
    void startsFromAnInstallTree() {
        TestEnv env;
        QDir(env.dir.path()).mkpath("usr/bin");
        QDir(env.dir.path()).mkpath("usr/share/tzc3");
        for (const QString &name : programfiles::listNames())
            QVERIFY(QFile::copy(QStringLiteral(TZC3_BUILD_DIR "/") + name,
                                env.dir.filePath("usr/share/tzc3/" + name)));
        env.s.programFolder = programfiles::listFolderFor(env.dir.filePath("usr/bin"));
        std::unique_ptr<MainWindow> w(startUp(env.s, 0));
        QCOMPARE(env.prompter.texts(), QStringList());
        QCOMPARE(w->findChild<QLabel *>("deviceLabel")->text(), "TZ- 28L-100 ");
        QVERIFY(!env.s.link.errorList.listMissing);
        QVERIFY(env.s.helpPath.endsWith("usr/share/tzc3/tzc3hlp.chm"));
    }

    // A file on the command line opens as File > Open opens it: the same
    // table, labels and device, the same messages, and every command usable
    // afterwards.
    void positionFileOpensAsFileOpen_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("same device")
            << positionFile("\"TZ- 28L-100 \",\"NEW\"\r\n") << QStringList{};
        QTest::newRow("another device")
            << positionFile("\"TZ- 35H-200 \",\"NEW\"\r\n") << QStringList{};
        const QString unreadable = "An error occured while getting Value of Position Data.\r\n\r\n"
                                   "Opening file is canceled.";
        QTest::newRow("damaged") << positionFile("\"TZ- 28L-100 \",\"NEW\"\r\n").left(200)
                                 << QStringList{unreadable};
        QTest::newRow("missing") << QByteArray() << QStringList{unreadable};
    }
    void positionFileOpensAsFileOpen() {
        QFETCH(QByteArray, content);
        TestEnv viaCommandLine, viaMenu;
        storeEnglish(viaCommandLine);
        storeEnglish(viaMenu);
        const QString path = viaCommandLine.dir.filePath("job.tpd");
        if (!content.isEmpty()) viaCommandLine.writeFile("job.tpd", content);

        // Whether the commands were shut while a message was up.
        QList<bool> openUsable[2];
        for (int i : {0, 1}) {
            TestEnv &env = i == 0 ? viaCommandLine : viaMenu;
            env.prompter.onPrompt = [&openUsable, i](const PromptRecord &) {
                for (QWidget *t : QApplication::topLevelWidgets())
                    if (auto *b = t->findChild<QAbstractButton *>("openButton"))
                        openUsable[i] << b->isEnabled();
            };
        }
        CommandLine c;
        c.positionFile = path;
        std::unique_ptr<MainWindow> a(startUp(viaCommandLine.s, 0, c));
        std::unique_ptr<MainWindow> b(startUp(viaMenu.s, 0));
        viaMenu.prompter.files.push_back(path);
        b->findChild<QAbstractButton *>("openButton")->click();
        QCOMPARE(openUsable[0].contains(true), false);
        QCOMPARE(openUsable[0].size(), viaCommandLine.prompter.texts().size());

        QTEST(viaCommandLine.prompter.texts(), "messages");
        QCOMPARE(viaMenu.prompter.texts(), viaCommandLine.prompter.texts());
        QCOMPARE(shownPositions(viaCommandLine.s, a.get()), shownPositions(viaMenu.s, b.get()));
        if (!content.isEmpty() && content.size() > 200)
            QCOMPARE(viaCommandLine.s.positions.text(15, 6), "p15");
        QVERIFY(a->findChild<QAbstractButton *>("openButton")->isEnabled());
        QVERIFY(viaCommandLine.prompter.unexpected.isEmpty());
    }

    void parameterFileOpensInTheEditor_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("tz") << QByteArray("\"axis.pmt\",9000,0,20,0,0,5,5,10,20,30,0,2,2,2,2,1\r\n")
                            << QStringList{};
        QTest::newRow("damaged") << QByteArray("\"axis.pmt\",9000,zero\r\n")
                                 << QStringList{"An error occured while opening Parameter file."};
    }
    void parameterFileOpensInTheEditor() {
        QFETCH(QByteArray, content);
        TestEnv viaCommandLine, viaMenu;
        storeEnglish(viaCommandLine);
        storeEnglish(viaMenu);
        const QString path = viaCommandLine.dir.filePath("axis.pmt");
        viaCommandLine.writeFile("axis.pmt", content);

        CommandLine c;
        c.parameterFile = path;
        std::unique_ptr<MainWindow> a(startUp(viaCommandLine.s, 0, c));
        auto *editorA = a->findChild<ParameterEditor *>();
        QVERIFY(editorA && editorA->isVisible());

        std::unique_ptr<MainWindow> b(startUp(viaMenu.s, 0));
        b->findChild<QAction *>("parametersAction")->trigger();
        auto *editorB = b->findChild<ParameterEditor *>();
        viaMenu.prompter.files.push_back(path);
        editorB->findChild<QAbstractButton *>("fileOpenButton")->click();

        QTEST(viaCommandLine.prompter.texts(), "messages");
        QCOMPARE(viaMenu.prompter.texts(), viaCommandLine.prompter.texts());
        QCOMPARE(editorFields(editorA), editorFields(editorB));
        QCOMPARE(editorA->windowTitle(), content.contains("zero") ? "Parameters" : "axis");
        QVERIFY(editorA->findChild<QAbstractButton *>("fileOpenButton")->isEnabled());
    }

    // --port holds for the run and is not saved at the close; a port chosen
    // in the options during the run is.
    void portIsForThisRunOnly() {
        for (const bool chooseInOptions : {false, true}) {
            TestEnv env;
            storeEnglish(env);
            env.settings.write("PortNo", "5");
            CommandLine c;
            c.port = 3;
            std::unique_ptr<MainWindow> w(startUp(env.s, 0, c));
            QCOMPARE(env.s.link.portNumber, 3);
            if (chooseInOptions) env.s.link.changePortNumber(4);
            env.prompter.answers = {PromptAnswer::Ok};
            QVERIFY(w->close());
            QCOMPARE(env.prompter.texts(), QStringList{"Finish TZ-C3."});
            QCOMPARE(env.settings.read("PortNo", {}), chooseInOptions ? "4" : "5");
        }
    }

    // --device: the exchange goes to that device, whatever port 1 means.
    void deviceReplacesTheNumberedPort() {
        SimServer sim;
        QVERIFY(sim.start());
        sim.setPaced(false);
        qputenv("TZC3_COM1", "/nonexistent/tty");
        const auto restore = qScopeGuard([] { qunsetenv("TZC3_COM1"); });
        TestEnv env;
        CommandLine c;
        c.device = sim.devicePath();
        std::unique_ptr<MainWindow> w(startUp(env.s, 0, c));
        QVERIFY(env.s.link.transact("0RV", QString(), 8));
        QCOMPARE(env.s.link.openDevice(), sim.devicePath());
        QCOMPARE(sim.log(), QStringList{"0RV"});
        QCOMPARE(env.s.link.portNumber, 1);
        env.s.link.closePort();
    }

    // Qt's own dialogs speak the run's language: the file dialog's labels and
    // buttons under the program's Japanese title and filter.
    void qtDialogsSpeakJapanese() {
        QTranslator none;
        QVERIFY(!installQtTranslations(none, false));
        const auto labels = [] {
            QFileDialog d(nullptr, "位置データファイルを開く");
            d.setOption(QFileDialog::DontUseNativeDialog);
            QStringList out;
            for (const char *name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
                out << d.findChild<QLabel *>(QLatin1String(name))->text();
            auto *box = d.findChild<QDialogButtonBox *>("buttonBox");
            for (QAbstractButton *b : box->buttons())
                out << b->text();
            return out;
        };
        QCOMPARE(labels(),
                 (QStringList{"Look in:", "File &name:", "Files of type:", "&Open", "Cancel"}));
        QTranslator qtTexts;
        QVERIFY(installQtTranslations(qtTexts, true));
        QCOMPARE(labels(), (QStringList{"アドレス:", "ファイル名(&N):", "ファイルの種類:",
                                        "開く(&O)", "キャンセル"}));
    }
};

TZC3_TEST(CommandLineTest)
#include "test_command_line.moc"
