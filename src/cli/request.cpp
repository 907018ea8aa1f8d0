#include "cli/request.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

const char *const kHelpEn = R"(Usage: tzc3-cli [global options] COMMAND [arguments]

Commands:
  ports                          serial ports of this machine with the port number each maps to
  version                        controller version
  status                         home state, alarm (code and description), outputs, present position
  positions read  [-o FILE.tpd]  read the 15 positions (table to stdout, or a .tpd file)
  positions write FILE.tpd [--verify]
  positions verify FILE.tpd      compare the controller with a file
  params read  [-o FILE.pmt]
  params write FILE.pmt [--verify] [--no-reset]
  params verify FILE.pmt
  home
  move N                         N = 1..F
  run N [N ...] [--repeat K] [--dwell D]
                                 a position program; K passes (0: until Ctrl+C),
                                 D = wait between steps in units of 100 ms (0..999)
  io [--watch]                   inputs and outputs once, or every 300 ms until Ctrl+C
  output 1|2 on|off              switch an output (brake/current-down digit kept)
  mode comm|external
  reset-error
  send LINE                      one raw command line; prints the reply

Global options:
  --port N          port number 1-9, mapped as the program maps it (TZC3_COM<n> overrides)
  --device PATH     the serial device to use instead of a port number
                    (--port and --device may be given several times: the command then
                    runs on every port in parallel and ends with a summary)
  --model NAME      the actuator, e.g. "TZ-28L-100" (default: the device in the settings)
  --lang ja|en      language of the messages (default: the settings' language)
  --json            one JSON object per command on stdout
  --yes, -y         answer the program's questions with their positive answer
  --timeout MS      wait at most MS milliseconds for each reply
  --trace FILE      append every line sent and received, with timestamps, to FILE
  --help, -h        this text
  --version         the program's version

Exit codes:
  0  success
  1  a verification found differences (listed)
  2  usage error, or a question that could not be asked or was declined
  3  the port could not be opened or the controller did not answer
  4  the controller reported an error (code and description printed)
  5  a file could not be read or written, or its data were refused by the checks
  130 stopped by Ctrl+C before the command was done
With several ports, the exit code is the worst of them.
)";

const char *const kHelpJa = R"(使い方: tzc3-cli [共通オプション] コマンド [引数]

コマンド:
  ports                          このマシンのシリアルポートと対応するポート番号
  version                        コントローラのバージョン
  status                         原点復帰状態、アラーム（コードと内容）、出力、現在位置
  positions read  [-o FILE.tpd]  15個の位置データを読み込む（標準出力の表、または .tpd ファイル）
  positions write FILE.tpd [--verify]
  positions verify FILE.tpd      コントローラとファイルを照合する
  params read  [-o FILE.pmt]
  params write FILE.pmt [--verify] [--no-reset]
  params verify FILE.pmt
  home
  move N                         N = 1..F
  run N [N ...] [--repeat K] [--dwell D]
                                 位置プログラム。K回くり返す（0: Ctrl+Cまで）、
                                 D = ステップ間の停止時間（100msec単位、0..999）
  io [--watch]                   入出力を1回、または Ctrl+C まで300msごとに表示
  output 1|2 on|off              出力を切り替える（ブレーキ/電流制限の桁は保持）
  mode comm|external
  reset-error
  send LINE                      コマンド行を1行送り、応答を表示する

共通オプション:
  --port N          ポート番号 1-9（TZC3_COM<n> が優先）
  --device PATH     ポート番号の代わりに使うシリアルデバイス
                    （--port と --device は複数指定できます。各ポートで並行に実行し、
                    最後に一覧を表示します）
  --model NAME      機種（例 "TZ-28L-100"、省略時は設定の機種）
  --lang ja|en      メッセージの言語（省略時は設定の言語）
  --json            コマンドごとに1つのJSONオブジェクトを標準出力へ
  --yes, -y         質問に肯定の答えで答える
  --timeout MS      各応答を最大 MS ミリ秒待つ
  --trace FILE      送受信したすべての行を時刻付きで FILE に追記する
  --help, -h        この説明
  --version         プログラムのバージョン

終了コード:
  0  成功
  1  照合で不一致があった（一覧を表示）
  2  使い方の誤り、または答えられなかった／否定した質問
  3  ポートを開けなかった、またはコントローラが応答しなかった
  4  コントローラがエラーを返した（コードと内容を表示）
  5  ファイルを読み書きできなかった、またはその内容がチェックで拒否された
  130 コマンドの完了前に Ctrl+C で停止した
複数のポートでは、最も悪い終了コードを返します。
)";

struct CommandShape {
    const char *name;
    int minArgs;
    int maxArgs;         // -1: no limit
    QStringList options; // the command's own options it accepts
};

const QList<CommandShape> &commandShapes() {
    static const QList<CommandShape> shapes = {
        {"ports", 0, 0, {}},
        {"version", 0, 0, {}},
        {"status", 0, 0, {}},
        {"positions read", 0, 0, {"o"}},
        {"positions write", 1, 1, {"verify"}},
        {"positions verify", 1, 1, {}},
        {"params read", 0, 0, {"o"}},
        {"params write", 1, 1, {"verify", "no-reset"}},
        {"params verify", 1, 1, {}},
        {"home", 0, 0, {}},
        {"move", 1, 1, {}},
        {"run", 1, 15, {"repeat", "dwell"}},
        {"io", 0, 0, {"watch"}},
        {"output", 2, 2, {}},
        {"mode", 1, 1, {}},
        {"reset-error", 0, 0, {}},
        {"send", 1, 1, {}},
    };
    return shapes;
}

std::optional<int> wholeNumber(const QString &text, int low, int high) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high) return std::nullopt;
    return v;
}

} // namespace

QString usageErrorText(const Language &lang, const QString &detail) {
    return QStringLiteral("tzc3-cli: ") + detail + u'\n' +
           lang.tx("使い方は tzc3-cli --help を見てください。", "See tzc3-cli --help.");
}

QStringList CliRequest::workerArguments(const Target &t) const {
    QStringList out{t.isDevice ? QStringLiteral("--device") : QStringLiteral("--port"), t.value};
    bool optionsEnded = false;
    for (int i = 0; i < original.size(); ++i) {
        const QString &a = original[i];
        if (!optionsEnded && a == QLatin1String("--")) optionsEnded = true;
        if (!optionsEnded) {
            if (a == QLatin1String("--port") || a == QLatin1String("--device")) {
                ++i;
                continue;
            }
            if (a.startsWith(QLatin1String("--port=")) || a.startsWith(QLatin1String("--device=")))
                continue;
        }
        out << a;
    }
    return out;
}

ParseOutcome parseCommandLine(const QStringList &arguments, const Language &settingsLanguage) {
    ParseOutcome out;
    CliRequest &r = out.request;
    r.original = arguments;

    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("N"));
    const QCommandLineOption device(QStringLiteral("device"), QString(), QStringLiteral("PATH"));
    const QCommandLineOption model(QStringLiteral("model"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption lang(QStringLiteral("lang"), QString(), QStringLiteral("ja|en"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption yes(QStringList{QStringLiteral("yes"), QStringLiteral("y")});
    const QCommandLineOption timeout(QStringLiteral("timeout"), QString(), QStringLiteral("MS"));
    const QCommandLineOption trace(QStringLiteral("trace"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                    QStringLiteral("FILE"));
    const QCommandLineOption verify(QStringLiteral("verify"));
    const QCommandLineOption noReset(QStringLiteral("no-reset"));
    const QCommandLineOption watch(QStringLiteral("watch"));
    const QCommandLineOption repeat(QStringLiteral("repeat"), QString(), QStringLiteral("K"));
    const QCommandLineOption dwell(QStringLiteral("dwell"), QString(), QStringLiteral("D"));
    p.addOptions({port, device, model, lang, json, yes, timeout, trace, help, version, output,
                  verify, noReset, watch, repeat, dwell});

    // Messages of the parse itself in the language asked for, as far as it
    // can be told before the parse.
    Language msgLang = settingsLanguage;
    const int langAt = arguments.indexOf(QStringLiteral("--lang"));
    const QString langArg =
        langAt >= 0 && langAt + 1 < arguments.size() ? arguments[langAt + 1] : QString();
    if (langArg == QLatin1String("ja")) msgLang.set(1);
    if (langArg == QLatin1String("en")) msgLang.set(2);
    const auto fail = [&](const QString &detail) {
        out.kind = ParseOutcome::Error;
        out.text = usageErrorText(msgLang, detail);
        return out;
    };

    if (!p.parse(QStringList{QStringLiteral("tzc3-cli")} + arguments)) return fail(p.errorText());
    if (p.isSet(help)) {
        out.kind = ParseOutcome::Help;
        out.text = QString::fromUtf8(msgLang.japanese() ? kHelpJa : kHelpEn);
        return out;
    }
    if (p.isSet(version)) {
        out.kind = ParseOutcome::Version;
        out.text = QStringLiteral("tzc3-cli %1.%2.%3\n")
                       .arg(TZC3_VERSION_MAJOR)
                       .arg(TZC3_VERSION_MINOR)
                       .arg(TZC3_VERSION_PATCH);
        return out;
    }

    if (p.isSet(lang)) {
        const QString l = p.value(lang);
        if (l == QLatin1String("ja"))
            r.language = 1;
        else if (l == QLatin1String("en"))
            r.language = 2;
        else
            return fail(msgLang.tx("--lang は ja か en です: ", "--lang takes ja or en: ") + l);
    }
    r.json = p.isSet(json);
    r.yes = p.isSet(yes);
    r.model = p.value(model);
    r.traceFile = p.value(trace);
    if (p.isSet(timeout)) {
        const auto ms = wholeNumber(p.value(timeout), 1, 600000);
        if (!ms)
            return fail(msgLang.tx("--timeout は 1 から 600000 までのミリ秒です: ",
                                   "--timeout takes milliseconds from 1 to 600000: ") +
                        p.value(timeout));
        r.timeoutMs = *ms;
    }

    // --port and --device in the order given, for the summary.
    QStringList seen;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == QLatin1String("--")) break;
        bool isDevice = false;
        QString value;
        if ((a == QLatin1String("--port") || a == QLatin1String("--device")) &&
            i + 1 < arguments.size()) {
            isDevice = a == QLatin1String("--device");
            value = arguments[++i];
        } else if (a.startsWith(QLatin1String("--port="))) {
            value = a.mid(7);
        } else if (a.startsWith(QLatin1String("--device="))) {
            isDevice = true;
            value = a.mid(9);
        } else {
            continue;
        }
        if (!isDevice && !wholeNumber(value, 1, 9))
            return fail(msgLang.tx("--port は 1 から 9 までです: ", "--port takes 1 to 9: ") +
                        value);
        if (isDevice && value.isEmpty())
            return fail(msgLang.tx("--device にパスがありません。", "--device needs a path."));
        const QString key = (isDevice ? QStringLiteral("d:") : QStringLiteral("p:")) + value;
        if (seen.contains(key))
            return fail(
                msgLang.tx("同じポートが2回指定されています: ", "The same port is given twice: ") +
                value);
        seen << key;
        r.targets.append({isDevice, value});
    }

    // The command: one word, or two for positions and params.
    QStringList pos = p.positionalArguments();
    if (pos.isEmpty()) return fail(msgLang.tx("コマンドがありません。", "No command given."));
    QString name = pos.takeFirst();
    if (name == QLatin1String("positions") || name == QLatin1String("params")) {
        if (pos.isEmpty())
            return fail(msgLang
                            .tx("%1 の後に read, write, verify のどれかが必要です。",
                                "%1 needs read, write or verify.")
                            .arg(name));
        name += u' ' + pos.takeFirst();
    }
    const CommandShape *shape = nullptr;
    for (const CommandShape &c : commandShapes())
        if (name == QLatin1String(c.name)) shape = &c;
    if (!shape) return fail(msgLang.tx("不明なコマンドです: ", "Unknown command: ") + name);
    if (pos.size() < shape->minArgs || (shape->maxArgs >= 0 && pos.size() > shape->maxArgs))
        return fail(
            msgLang.tx("%1 の引数の数が正しくありません。", "Wrong number of arguments for %1.")
                .arg(name));
    for (const QCommandLineOption *o : {&output, &verify, &noReset, &watch, &repeat, &dwell}) {
        const QString oname = o->names().constLast();
        const QString key = o->names().constFirst();
        if (p.isSet(*o) && !shape->options.contains(key))
            return fail(
                msgLang.tx("%1 は %2 には使えません。", "%1 does not apply to %2.")
                    .arg((oname.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + oname,
                         name));
    }
    r.command = name;
    r.args = pos;
    r.outputFile = p.value(output);
    r.verify = p.isSet(verify);
    r.noReset = p.isSet(noReset);
    r.watch = p.isSet(watch);
    if (p.isSet(repeat)) {
        const auto k = wholeNumber(p.value(repeat), 0, 1000000);
        if (!k)
            return fail(msgLang.tx("--repeat は 0 以上の回数です: ",
                                   "--repeat takes a count of 0 or more: ") +
                        p.value(repeat));
        r.repeat = *k;
    }
    if (p.isSet(dwell)) {
        if (!wholeNumber(p.value(dwell), 0, 999))
            return fail(msgLang.tx("--dwell は 100msec単位で 0 から 999 までです: ",
                                   "--dwell takes 0 to 999 (units of 100 ms): ") +
                        p.value(dwell));
        r.dwell = QString::number(*wholeNumber(p.value(dwell), 0, 999));
    }
    if (name == QLatin1String("output")) {
        if (!wholeNumber(r.args[0], 1, 2) ||
            (r.args[1] != QLatin1String("on") && r.args[1] != QLatin1String("off")))
            return fail(msgLang.tx("output は 1|2 on|off です。", "output takes 1|2 on|off."));
    }
    if (name == QLatin1String("mode") && r.args[0] != QLatin1String("comm") &&
        r.args[0] != QLatin1String("external"))
        return fail(msgLang.tx("mode は comm か external です。", "mode takes comm or external."));
    if ((name == QLatin1String("ports")) && r.targets.size() > 1)
        return fail(msgLang.tx("ports にポートは指定できません。", "ports takes no port."));
    return out;
}
