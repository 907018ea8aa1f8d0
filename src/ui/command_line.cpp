#include "ui/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>

#define TZC3_STRINGIFY2(x) #x
#define TZC3_STRINGIFY(x) TZC3_STRINGIFY2(x)

namespace {

QString versionText() {
    return QStringLiteral("tzc3 " TZC3_STRINGIFY(TZC3_VERSION_MAJOR) "." TZC3_STRINGIFY(
        TZC3_VERSION_MINOR) "." TZC3_STRINGIFY(TZC3_VERSION_PATCH) "\n");
}

CommandLine usageError(const Language &lang, const QString &what) {
    CommandLine c;
    c.action = CommandLine::Action::UsageError;
    c.output = QStringLiteral("tzc3: ") + what + u'\n' +
               lang.tx("使い方は tzc3 --help で表示されます。", "Try tzc3 --help for the usage.") +
               u'\n';
    return c;
}

QString helpText(const QCommandLineParser &parser, const Language &lang) {
    QStringList lines = parser.helpText().split(u'\n');
    // The parser names the program only once an application object exists,
    // and its headings are Qt's English: ours stand in for both.
    lines[0] = lang.tx("使い方: tzc3 [オプション] [file.tpd] [file.pmt]",
                       "Usage: tzc3 [options] [file.tpd] [file.pmt]");
    for (QString &line : lines) {
        if (line == QLatin1String("Options:"))
            line = lang.tx("オプション:", "Options:");
        else if (line == QLatin1String("Arguments:"))
            line = lang.tx("引数:", "Arguments:");
    }
    return lines.join(u'\n');
}

// 1 to 9 written as digits, nothing else: a typing slip must not pick
// another port than the one meant.
std::optional<qint16> portNumberOf(const QString &text) {
    if (text.size() != 1 || text[0] < u'1' || text[0] > u'9') return std::nullopt;
    return qint16(text[0].unicode() - u'0');
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments, const Language &lang) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        lang.tx("TZ-C3: TZ・RP アクチュエータのコントローラの位置データとパラメータを"
                "編集、転送、照合します。",
                "TZ-C3: edits, transfers and verifies the position data and parameters of "
                "TZ and RP actuator controllers."));
    const QCommandLineOption help(
        {QStringLiteral("h"), QStringLiteral("help")},
        lang.tx("このヘルプを表示して終了します。", "Shows this help and exits."));
    const QCommandLineOption version(
        {QStringLiteral("v"), QStringLiteral("version")},
        lang.tx("バージョンを表示して終了します。", "Shows the version and exits."));
    const QCommandLineOption port(
        QStringLiteral("port"),
        lang.tx("この実行に限り COM ポート N (1～9) を使います。保存されたポート番号は"
                "変わりません。",
                "Uses COM port N (1 to 9) for this run only; the saved port number stays."),
        QStringLiteral("N"));
    const QCommandLineOption device(
        QStringLiteral("device"),
        lang.tx("この実行に限りシリアルデバイス PATH を使います (例: /dev/ttyUSB0)。",
                "Uses the serial device PATH for this run only (for example /dev/ttyUSB0)."),
        QStringLiteral("PATH"));
    parser.addOptions({help, version, port, device});
    // Qt's own options (-platform offscreen, -style, -session from a session
    // manager restoring the program ...) are the application object's: they
    // pass here unannounced. They take one dash, so every option may.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char *name : {"platform", "platformtheme", "platformpluginpath", "plugin", "style",
                             "stylesheet", "session", "display", "qwindowgeometry", "qwindowtitle",
                             "qwindowicon", "geometry", "title", "name"}) {
        QCommandLineOption qtOption(QLatin1String(name), QString(), QStringLiteral("value"));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    for (const char *name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption qtOption{QLatin1String(name)};
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    parser.addPositionalArgument(
        QStringLiteral("file"),
        lang.tx("起動後に開く位置データファイル (.tpd)、またはパラメータエディタで開く"
                "パラメータファイル (.pmt)。",
                "A position data file (.tpd) to open after start-up, or a parameter file "
                "(.pmt) to open in the parameter editor."),
        QStringLiteral("[file.tpd] [file.pmt]"));

    if (!parser.parse(arguments)) return usageError(lang, parser.errorText());

    CommandLine c;
    if (parser.isSet(help)) {
        c.action = CommandLine::Action::ShowHelp;
        c.output = helpText(parser, lang);
        return c;
    }
    if (parser.isSet(version)) {
        c.action = CommandLine::Action::ShowVersion;
        c.output = versionText();
        return c;
    }
    if (parser.isSet(port) && parser.isSet(device))
        return usageError(lang, lang.tx("--port と --device は同時に指定できません。",
                                        "--port and --device cannot be used together."));
    if (parser.isSet(port)) {
        const QString value = parser.value(port);
        c.port = portNumberOf(value);
        if (!c.port)
            return usageError(lang, lang.tx("--port には 1～9 のポート番号を指定してください: ",
                                            "--port needs a port number from 1 to 9: ") +
                                        value);
    }
    if (parser.isSet(device)) {
        c.device = parser.value(device);
        if (c.device.isEmpty())
            return usageError(lang,
                              lang.tx("--device にはシリアルデバイスのパスを指定してください。",
                                      "--device needs the path of a serial device."));
    }
    for (const QString &file : parser.positionalArguments()) {
        const bool parameters = file.endsWith(QStringLiteral(".pmt"), Qt::CaseInsensitive);
        QString &slot = parameters ? c.parameterFile : c.positionFile;
        // The program holds one position table and one parameter editor.
        if (!slot.isEmpty())
            return usageError(lang,
                              lang.tx("開けるのは位置データファイル (.tpd) とパラメータファイル "
                                      "(.pmt) を1つずつです: ",
                                      "Only one position data file (.tpd) and one parameter "
                                      "file (.pmt) can be opened: ") +
                                  file);
        slot = QFileInfo(file).absoluteFilePath();
    }
    return c;
}

std::optional<int> finishAtCommandLine(const CommandLine &c) {
    if (c.action == CommandLine::Action::Run) return std::nullopt;
    const bool error = c.action == CommandLine::Action::UsageError;
    std::fputs(c.output.toLocal8Bit().constData(), error ? stderr : stdout);
    return error ? 2 : 0;
}
