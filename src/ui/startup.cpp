#include "ui/startup.h"

#include "common/full_timer.h"
#include "common/numtext.h"
#include "common/program_files.h"
#include "common/settings_store.h"
#include "device/catalogue.h"
#include "device/units.h"
#include "state/app_state.h"
#include "ui/main_window.h"
#include "ui/message_prompter.h"
#include "ui/splash.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

#include <cmath>

namespace {

QString helpPathFor(const QString &folder) {
    QString path = QDir::toNativeSeparators(folder);
    if (!path.endsWith(QDir::separator())) path += QDir::separator();
    return path + QStringLiteral("tzc3hlp.chm");
}

void showSplash(int ms) {
    SplashWindow splash;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        splash.move(screen->availableGeometry().center() - splash.rect().center());
    splash.show();
    // Keep the window alive while the splash waits; nothing else starts.
    FullTimer::waitFull(ms);
    splash.close();
}

void applyCommandLine(AppState &s, MainWindow &w, const CommandLine &c) {
    if (c.port) {
        s.link.portNumber = *c.port;
        s.portForThisRun = c.port;
    }
    if (!c.device.isEmpty()) s.link.setDeviceOverride(c.device);
    if (!c.positionFile.isEmpty()) w.openPositionFile(c.positionFile);
    if (!c.parameterFile.isEmpty()) w.openParameterFile(c.parameterFile);
}

} // namespace

bool installQtTranslations(QTranslator &translator, bool japanese) {
    if (!japanese) return false;
    if (!translator.load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

MainWindow *startUp(AppState &s, int splashMs, const CommandLine &commandLine) {
    s.helpPath = helpPathFor(s.programFolder);
    if (splashMs > 0) showSplash(splashMs);

    s.setLanguage(storedLanguage(s.settings));
    s.languageChangePending = false;
    // An integer (a stored fraction rounds to the nearest, halves to even)
    // whose sign alone counts, so no value is too big to tell.
    s.roundUpHalves = std::nearbyint(num::val(
                          s.settings.read(QStringLiteral("MmRoundUp"), QStringLiteral("1")))) > 0;

    auto *w = new MainWindow(s);
    w->show();

    if (device::restoreDevice(s)) {
        device::loadCatalogue(s, false);
        device::findDeviceInCatalogue(s, false);
        units::computeLimits(s);
        device::buildModelName(s);
        w->showDeviceDisplay();
    } else {
        w->showDeviceType();
        s.prompter.message(s.tx("機種が選択されていません。\r\n再度、機種を選択してください。",
                                "Type not selected.\r\nPlease select tyep again. "));
        w->changeDevice();
    }
    applyCommandLine(s, *w, commandLine);
    return w;
}

int runProgram(QApplication &app, const CommandLine &commandLine) {
    QApplication::setApplicationName(QStringLiteral("TZ-C3"));
    // The desktop entry's name: the window system shows its icon for us.
    QGuiApplication::setDesktopFileName(QStringLiteral("tzc3"));
    SettingsStore settings;
    const bool japanese = storedLanguage(settings) == 1;
    QTranslator qtTexts;
    installQtTranslations(qtTexts, japanese);
    // The prompter's own buttons follow the language the run will use.
    MessagePrompter prompter(japanese);
    AppState s(settings, prompter,
               programfiles::listFolderFor(QCoreApplication::applicationDirPath()));
    MainWindow *w = startUp(s, 2000, commandLine);
    prompter.setParentWidget(w);
    w->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(w, &QObject::destroyed, &app, &QApplication::quit);
    const QString shots = qEnvironmentVariable("TZC3_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        // Headless demo: picture the running window as the user would see it,
        // then leave without the closing questions.
        QTimer::singleShot(1500, w, [w, shots] {
            QDir().mkpath(shots);
            w->grab().save(QDir(shots).filePath(QStringLiteral("running-program.png")));
            QApplication::exit(0);
        });
    }
    return app.exec();
}
