#include "link/error_list.h"

#include "common/fieldfile.h"
#include "common/language.h"
#include "common/numtext.h"

#include <QDir>

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
