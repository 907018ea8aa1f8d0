#include "parameters/std_params.h"

#include "common/fieldfile.h"
#include "common/numtext.h"

#include <QDir>

namespace params {

QString standardListPath(const QString &folder, const QString &familyText, bool newType) {
    const char *name = familyText != QLatin1String("TZ") ? "rpstdprm.lst"
                       : newType                         ? "wtzstdprm.lst"
                                                         : "tzstdprm.lst";
    return QDir(folder).filePath(QLatin1String(name));
}

std::optional<StdParaList> loadStandardParameters(const QString &path, const QString &familyText,
                                                  bool sensor) {
    auto reader = FieldReader::fromFile(path);
    if (!reader) return std::nullopt;
    const auto count = reader->nextInt16();
    if (!count || !reader->next() || *count < 0 || *count > StdParaList::MaxRecords)
        return std::nullopt;
    StdParaList list;
    for (int n = 0; n < *count; ++n) {
        StandardParameters r;
        const auto code = reader->next();
        if (!code) return std::nullopt;
        r.code = *code;
        r.size = code->left(3);
        r.speed = code->mid(3, 1);
        const auto stroke = num::int16Of(code->mid(5, 3));
        if (!stroke) return std::nullopt;
        r.stroke = *stroke;
        for (double &v : r.values) {
            const auto x = reader->nextNumber();
            if (!x) return std::nullopt;
            v = *x;
        }
        r.sensor = familyText == QLatin1String("TZ") && sensor ? 1 : 0;
        list.records << r;
    }
    return list;
}

const StandardParameters *findStandardParameters(const StdParaList &list, const QString &size,
                                                 const QString &speed, int stroke) {
    for (const StandardParameters &r : list.records)
        if (r.size == size && r.speed == speed && r.stroke == stroke) return &r;
    return nullptr;
}

} // namespace params
