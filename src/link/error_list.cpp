#include "link/error_list.h"

#include "link/link.h"
#include "common/fieldfile.h"
#include "common/numtext.h"

#include <QDir>

namespace {

const QString kBreak = QStringLiteral("\r\n\r\n");

// The list is missing: said at load and at every later error, in English in
// two wordings, in Japanese in one.
QString missingListText(const Language &lang, const char *english) {
    return lang.tx("エラーリストのファイルがありません。\r\n"
                "エラーを正しく表示させるためには、プログラムと同じフォルダにエラーリストファイルを"
                "おいてください。",
                english);
}

} // namespace

QString noContentsText(const Language &lang) {
    return lang.tx("該当するエラーNoがリストにありません", "No contents for this Error No.");
}

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

void Link::loadErrorList(const QString &folder) {
    if (errorList.load(QDir(folder).filePath(QStringLiteral("error.lst")))) return;
    errorList.listMissing = true;
    prompter_.message(missingListText(
        language_, "No file of Error list!\r\n"
                   "To display error contents,install Error list in same folder as program file."));
}

void Link::showControllerError(const QString &reply) {
    ErrorList &list = errorList;
    list.found = false;
    if (list.listMissing) {
        prompter_.message(missingListText(
            language_,
            "No Error list file!\r\n"
            "To indicate error contents,install Error list in same folder as program file."));
        return;
    }
    const QString code = reply.mid(3, 2);
    StatusIndicators &ind = indicators;
    ind.alarmNo = code;
    list.lastErrorCode = code;
    qint64 value = errorCodeValue(code);
    ind.alarmLamp = true;
    // One list serves both languages: the English entries sit 100 above.
    if (!language_.japanese()) value += 100;
    if (const auto description = list.lookup(value)) {
        ind.errorComment = *description;
        list.foundDescription = *description;
        list.found = true;
    } else {
        ind.errorComment = noContentsText(language_);
    }
    notifyIndicators();
}

void Link::resetErrorDisplay() {
    StatusIndicators &ind = indicators;
    ind.alarmLamp = false;
    ind.errorComment = QStringLiteral("No Error");
    ind.alarmNo.clear();
    notifyIndicators();
}
