// Renders every window of the program to PNG, in Japanese and in English,
// without a display: QT_QPA_PLATFORM=offscreen tzc3-screenshots OUTDIR

#include "common/scripted_prompter.h"
#include "common/settings_store.h"
#include "device/catalogue.h"
#include "device/device_dialog.h"
#include "device/stroke_calculator.h"
#include "device/units.h"
#include "operation/io_monitor.h"
#include "operation/output_change.h"
#include "parameters/parameter_editor.h"
#include "parameters/pmt_file.h"
#include "positions/progress_window.h"
#include "state/app_state.h"
#include "ui/about_box.h"
#include "ui/communication_log_window.h"
#include "ui/main_window.h"
#include "ui/message_prompter.h"
#include "ui/options_dialog.h"
#include "ui/print_dialog.h"
#include "ui/printing.h"
#include "ui/splash.h"
#include "ui/startup.h"
#include "widgets/lamp.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontDatabase>
#include <QPainter>
#include <QPrinter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

namespace {

QString outDir;

void saveShot(QWidget &w, const QString &name) {
    w.show();
    QApplication::processEvents();
    const QString path = QDir(outDir).filePath(name + QStringLiteral(".png"));
    if (w.grab().save(path)) std::printf("%s\n", qPrintable(path));
}

void demoTable(AppState &s) {
    const char *rows[][5] = {{"1", "1", "0", "0", "home side"},
                             {"2", "2", "1", "4000", "pick"},
                             {"3", "2", "1", "8000", "ﾜｰｸ取出し位置"},
                             {"3", "3", "2", "12000", "place"},
                             {"1", "1", "3", "20000", "stroke end"}};
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 3; ++c)
            s.positions.setText(r + 1, c + 1, QString::fromUtf8(rows[r][c]));
        s.positions.setText(r + 1, PositionTable::ColPulse,
                            units::pulseCellText(QString::fromLatin1(rows[r][3]).toLongLong()));
        s.positions.setText(r + 1, PositionTable::ColComment, QString::fromUtf8(rows[r][4]));
    }
    units::recomputeMmColumn(s, s.positions);
}

// The printed page with the grid's positions and a parameter file, details
// on, on A4 with the printer's default margins; a grey frame marks the
// printable area.
void savePrintedPage(AppState &s, const QString &tag) {
    QTemporaryDir dir;
    s.parameters = {.strokeLength = 20000,
                    .homeOffset = 200,
                    .homePushing = 10,
                    .homeOutPort = 1,
                    .homeOutBk = 1,
                    .homingVelocity = 20,
                    .offsetVelocity = 20,
                    .vel1 = 10,
                    .vel2 = 30,
                    .vel3 = 50,
                    .spareB = 2,
                    .currentReleaseTime = 2,
                    .brakeReleaseTime = 2,
                    .brakeExecTime = 2};
    // A grid prints only when every row is filled: the rows after the demo's.
    for (int row = 6; row < PositionTable::Rows; ++row) {
        const QString cells[] = {QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("0"),
                                 units::pulseCellText(row * 1000)};
        for (int col = 1; col <= 4; ++col)
            s.positions.setText(row, col, cells[col - 1]);
    }
    s.positions.setText(15, PositionTable::ColComment, QStringLiteral("check"));
    units::recomputeMmColumn(s, s.positions);
    PrintChoice choice;
    choice.posFromGrid = choice.paraFromFile = true;
    choice.paraTitle = QStringLiteral("axis-1.pmt");
    choice.paraPath = dir.filePath(choice.paraTitle);
    PrintJob job;
    if (params::writeParameterFile(s, choice.paraPath) != 0 ||
        !gatherPrintData(s, choice, job, nullptr))
        return;

    QPrinter printer;
    printer.setPageSize(QPageSize(QPageSize::A4));
    const int dpi = 150;
    const QRect paint = printer.pageLayout().paintRectPixels(dpi);
    QImage printable(paint.size(), QImage::Format_RGB32);
    printable.fill(Qt::white);
    printable.setDotsPerMeterX(qRound(dpi / 0.0254));
    printable.setDotsPerMeterY(qRound(dpi / 0.0254));
    s.options.showParameterDetails = true;
    const bool printed = printPage(s, job, printable);
    s.options.showParameterDetails = false;
    if (!printed) return;
    QImage page(printer.pageLayout().fullRectPixels(dpi).size(), QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    p.drawImage(paint.topLeft(), printable);
    p.setPen(QPen(Qt::lightGray, 1, Qt::DashLine));
    p.drawRect(paint.adjusted(-1, -1, 0, 0));
    p.end();
    const QString path = QDir(outDir).filePath(QStringLiteral("print-page-") + tag + ".png");
    if (page.save(path)) std::printf("%s\n", qPrintable(path));
}

// A few minutes of a shop floor: exchanges, an alarm, a cable pulled, a
// garbled reply and its probe, the I/O monitor polling, then a port that
// will not open (a real failure, so its words are the program's own).
void demoLog(AppState &s) {
    using K = LinkEvent::Kind;
    const qint64 start = QDateTime::currentMSecsSinceEpoch() - 95000;
    qint64 t = start;
    const auto add = [&](K kind, const char *bytes, int ms = -1, const char *note = "",
                         bool probe = false, bool polling = false) {
        t += kind == K::Sent ? 40 : qMax(ms, 1);
        LinkEvent e;
        e.kind = kind;
        e.msecsSinceEpoch = t;
        e.bytes = bytes;
        e.elapsedMs = ms;
        e.note = QString::fromLatin1(note);
        e.probe = probe;
        e.polling = polling;
        e.portNumber = 1;
        s.log.record(e);
    };
    s.link.portNumber = 1;
    add(K::PortOpened, "", -1, "/dev/ttyUSB0");
    add(K::Sent, "0CM1\r\n");
    add(K::Received, "0CM1\r\n", 8);
    add(K::Sent, "0RP1\r\n");
    add(K::Received, "0RP11102000FA0\r\n", 19);
    add(K::Sent, "0RP2\r\n");
    add(K::Received, "0RP22202001F40\r\n", 19);
    add(K::Sent, "0RV\r\n");
    add(K::Received, "0%%0E\r\n", 9);
    add(K::Sent, "0RD10\r\n");
    add(K::TimeOut, "", 5002);
    add(K::PortClosed, "", -1, "/dev/ttyUSB0");
    add(K::PortOpened, "", -1, "/dev/ttyUSB0");
    add(K::Sent, "0RV\r\n");
    add(K::Received, "0?V180\r\n", 10);
    add(K::WrongReply, "0?V180\r\n", -1, "head");
    add(K::Sent, "0CM0\r\n", -1, "", true);
    add(K::Received, "0CM0\r\n", 8);
    for (int i = 0; i < 2; ++i) {
        add(K::Sent, "0RD20\r\n", -1, "", false, true);
        add(K::Received, "0RD2000000000FF100000\r\n", 25, "", false, true);
        add(K::Sent, "0RD2F\r\n", -1, "", false, true);
        add(K::Received, "0RD2F0000F00C00000000\r\n", 25, "", false, true);
    }
    add(K::PortClosed, "", -1, "/dev/ttyUSB0");
    qputenv("TZC3_COM1", "/dev/ttyUSB0");
    s.link.openPort();
    qunsetenv("TZC3_COM1"); // the next language's windows see the machine's own ports
}

// Qt's own dialogs as the program opens them: File > Open's file dialog (in
// a folder of position files), File > Print's print dialog and File >
// Printer's page setup. In a Japanese run Qt's translations speak for them.
void saveQtDialogs(MainWindow &w, ScriptedPrompter &prompter, const QString &tag) {
    // The program's own request for the open dialog: title, filter, options.
    prompter.files.push_back(std::nullopt);
    w.findChild<QAbstractButton *>(QStringLiteral("openButton"))->click();
    if (prompter.log.isEmpty() || prompter.log.last().kind != PromptRecord::OpenFile) return;
    // A folder of the same name and files of the same age in every run, so
    // that a new picture differs only where the program does.
    QDir dir(QDir::temp().filePath(QStringLiteral("tzc3-positions")));
    dir.removeRecursively();
    dir.mkpath(QStringLiteral("."));
    const QByteArray content(1342, ' ');
    for (const char *name : {"axis-1.tpd", "axis-2.tpd", "ﾜｰｸ搬送.tpd", "Parameta.pmt"}) {
        QFile f(dir.filePath(QString::fromUtf8(name)));
        if (!f.open(QIODevice::WriteOnly)) continue;
        f.write(content);
        f.flush();
        f.setFileTime(QDateTime(QDate(2026, 12, 1), QTime(9, 30)),
                      QFileDevice::FileModificationTime);
    }
    FileDialogSpec fd = prompter.log.last().file;
    fd.initialDir = dir.path();
    QFileDialog files(&w);
    files.setOption(QFileDialog::DontUseNativeDialog);
    MessagePrompter::setUpFileDialog(files, fd, false);
    files.resize(760, 440);
    files.show();
    // The folder is listed in the background.
    QElapsedTimer listing;
    listing.start();
    while (listing.elapsed() < 500)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    saveShot(files, QStringLiteral("file-dialog-") + tag);
    files.hide();
    dir.removeRecursively();

    const auto grabAndCancel = [](const QString &name) {
        return [name](QDialog &d) {
            saveShot(d, name);
            d.hide();
            return int(QDialog::Rejected);
        };
    };
    prompter.dialogs.push_back([](QDialog &selection) {
        selection.findChild<QAbstractButton *>(QStringLiteral("positionsBox"))->setChecked(true);
        selection.findChild<QAbstractButton *>(QStringLiteral("positionsFromGridOption"))->click();
        selection.findChild<QAbstractButton *>(QStringLiteral("okButton"))->click();
        return selection.result();
    });
    prompter.dialogs.push_back(grabAndCancel(QStringLiteral("print-dialog-") + tag));
    w.findChild<QAction *>(QStringLiteral("printAction"))->trigger();
    prompter.dialogs.push_back(grabAndCancel(QStringLiteral("page-setup-") + tag));
    w.findChild<QAction *>(QStringLiteral("pageSetupAction"))->trigger();
    prompter.dialogs.clear();
}

void renderLanguage(int language, const QString &folder) {
    const QString tag = language == 1 ? QStringLiteral("ja") : QStringLiteral("en");
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("s.ini")));
    ScriptedPrompter prompter;
    AppState s(settings, prompter, folder);
    s.setLanguage(language);
    device::restoreDevice(s);
    device::loadCatalogue(s, false);
    device::findDeviceInCatalogue(s, false);
    units::computeLimits(s);
    device::buildModelName(s);
    demoTable(s);

    MainWindow w(s);
    w.resize(w.sizeHint());
    w.showDeviceDisplay();
    w.refreshGrids();
    saveShot(w, QStringLiteral("main-window-edit-") + tag);
    if (auto *b = w.findChild<QAbstractButton *>(QStringLiteral("changeModeButton"))) {
        // Lamps lit as after a homing and a move to a position with output 1.
        for (Lamp *lamp : {w.portLamp(), w.homeLamp(), w.outLamp(1)})
            lamp->setLit(true);
        b->click();
        saveShot(w, QStringLiteral("main-window-move-") + tag);
        b->click();
        for (Lamp *lamp : {w.portLamp(), w.homeLamp(), w.outLamp(1)})
            lamp->setLit(false);
    }

    DeviceDialog dlg(s, &w);
    saveShot(dlg, QStringLiteral("device-dialog-") + tag);
    dlg.hide();

    for (bool details : {false, true}) {
        s.options.showParameterDetails = details;
        ParameterEditor editor(s, &w);
        editor.applyDetailsOption();
        saveShot(editor,
                 QStringLiteral("parameter-editor%1-").arg(details ? "-details" : "") + tag);
        editor.hide();
    }
    s.options.showParameterDetails = false;

    StrokeCalculator calc(s, &w, [](const QString &) {});
    saveShot(calc, QStringLiteral("stroke-calculator-") + tag);
    calc.hide();

    ProgressWindow progress(s, &w);
    progress.setMaximum(16);
    progress.setValue(6);
    progress.setLabel(
        s.tx("コントローラからデータを読み込んでいます。", "Reading data from controller..."));
    saveShot(progress, QStringLiteral("progress-") + tag);
    progress.hide();

    OptionsDialog options(s, &w);
    if (auto *tabs = options.findChild<QTabWidget *>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            saveShot(options, QStringLiteral("options-%1-").arg(i + 1) + tag);
        }
    }
    options.hide();

    AboutBox about(s, &w);
    saveShot(about, QStringLiteral("about-") + tag);
    about.hide();

    IoMonitor io(s, &w);
    for (int i : {0, 5, 10}) // home input, position 2, an output
        io.lamp(i)->setLit(true);
    saveShot(io, QStringLiteral("io-monitor-") + tag);
    io.hide();

    OutputChangeDialog out(s, CommandBracket{}, &w);
    saveShot(out, QStringLiteral("change-output-") + tag);
    out.hide();

    PrintChoice choice;
    PrintSelectionDialog print(s, choice, &w);
    saveShot(print, QStringLiteral("print-selection-") + tag);
    print.hide();
    saveQtDialogs(w, prompter, tag);
    savePrintedPage(s, tag);

    // Last: its failed open shows in the main window from here on.
    demoLog(s);
    CommunicationLogWindow log(s, &w);
    log.resize(1120, 560);
    saveShot(log, QStringLiteral("communication-log-") + tag);
    log.hide();
    w.resize(w.width() + 200, w.height());
    saveShot(w, QStringLiteral("main-window-port-failure-") + tag);
    w.hide();
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(outDir);
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/..");
    SplashWindow splash;
    saveShot(splash, QStringLiteral("splash"));
    splash.hide();
    {
        QTranslator qtTexts;
        if (!installQtTranslations(qtTexts, true))
            std::fprintf(stderr, "Qt's Japanese translations are not installed "
                                 "(qt6-translations-l10n): Qt's dialogs show English.\n");
        renderLanguage(1, folder);
    }
    renderLanguage(2, folder);
    return 0;
}
