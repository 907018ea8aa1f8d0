#include "link/error_list.h"

#include "state/app_state.h"
#include "common/fieldfile.h"
#include "common/numtext.h"
#include "controller/controller_mode.h"

#include <QDir>

namespace {

const QString kBreak = QStringLiteral("\r\n\r\n");

// The list is missing: said at load and at every later error, in English in
// two wordings, in Japanese in one.
QString missingListText(const AppState &s, const char *english) {
    return s.tx("エラーリストのファイルがありません。\r\n"
                "エラーを正しく表示させるためには、プログラムと同じフォルダにエラーリストファイルを"
                "おいてください。",
                english);
}

} // namespace

bool ErrorList::load(const QString &path) {
    entries_.clear();
    auto reader = FieldReader::fromFile(path);
    if (!reader) return false;
    const auto n = reader->nextInt16();
    if (!n) return false;
    QList<Entry> list;
    for (int i = 1; i <= *n; ++i) {
        if (i > MaxEntries) return false;
        const auto code = reader->next();
        const auto description = reader->next();
        if (!code || !description) return false;
        list.append({*code, *description});
    }
    entries_ = list;
    return true;
}

std::optional<QString> ErrorList::lookup(qint64 value) const {
    for (const Entry &e : entries_)
        if (errorCodeValue(e.code) == value) return e.description;
    return std::nullopt;
}

qint64 errorCodeValue(const QString &code) {
    return num::hexVal(code);
}

QString noContentsText(const AppState &s) {
    return s.tx("該当するエラーNoがリストにありません", "No contents for this Error No.");
}

void loadErrorList(AppState &s) {
    ErrorList &list = s.link.errorList;
    if (list.load(QDir(s.programFolder).filePath(QStringLiteral("error.lst")))) return;
    list.listMissing = true;
    s.prompter.message(missingListText(
        s, "No file of Error list!\r\n"
           "To display error contents,install Error list in same folder as program file."));
}

void showControllerError(AppState &s, const QString &reply) {
    ErrorList &list = s.link.errorList;
    list.found = false;
    if (list.listMissing) {
        s.prompter.message(missingListText(
            s, "No Error list file!\r\n"
               "To indicate error contents,install Error list in same folder as program file."));
        return;
    }
    const QString code = reply.mid(3, 2);
    StatusIndicators &ind = s.indicators;
    ind.alarmNo = code;
    list.lastErrorCode = code;
    qint64 value = errorCodeValue(code);
    ind.alarmLamp = true;
    // One list serves both languages: the English entries sit 100 above.
    if (!s.japanese()) value += 100;
    if (const auto description = list.lookup(value)) {
        ind.errorComment = *description;
        list.foundDescription = *description;
        list.found = true;
    } else {
        ind.errorComment = noContentsText(s);
    }
    s.link.notifyIndicators();
}

void resetErrorDisplay(AppState &s) {
    StatusIndicators &ind = s.indicators;
    ind.alarmLamp = false;
    ind.errorComment = QStringLiteral("No Error");
    ind.alarmNo.clear();
    s.link.notifyIndicators();
}

int errorReset(AppState &s) {
    // Busy through the mode change too: it is an exchange like any other.
    BusyScope busy(s.link);
    s.link.replyTimeoutMs = 5000;
    if (s.link.transact(QStringLiteral("0%C"), QString(), 7) != 0) {
        s.link.closePortUnlessKept();
        return 1;
    }
    resetErrorDisplay(s);
    setCommunicationMode(s);
    return 0;
}

void showHomingSensorError(AppState &s) {
    QStringList parts;
    for (int n = 449; n <= 455; ++n)
        parts << s.text(n);
    s.prompter.message(parts.join(kBreak));
}
