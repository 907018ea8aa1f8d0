#include "parameters/pmt_file.h"

#include "common/fieldfile.h"
#include "common/file_save.h"
#include "state/app_state.h"

#include <QFileInfo>

namespace params {

bool readParameterFile(ParameterSlots &da, const QString &path) {
    auto reader = FieldReader::fromFile(path);
    if (!reader || !reader->next()) return false;
    ParameterSlots next = da;
    int count = 0;
    while (!reader->atEnd()) {
        const auto v = reader->nextNumber();
        if (!v || ++count >= ParameterSlots::Slots) return false;
        next[count] = *v;
    }
    // A file that names no value, or one whose values cannot be parameters,
    // is refused here rather than half-applied later.
    ParameterSet probe;
    if (count == 0 || !takeParameterSlots(next, probe)) return false;
    next.valueCount = count;
    next[0] = QFileInfo(path).fileName();
    da = next;
    return true;
}

bool writeParameterFile(AppState &s, const QString &path) {
    const ParameterSet &p = s.parameters;
    FieldWriter w;
    w.text(QFileInfo(path).fileName());
    for (qint64 v : {qint64(p.strokeLength), qint64(p.homeOffset), qint64(p.homePushing),
                     qint64(p.homeOutPort), qint64(p.homeOutBk), qint64(p.homingVelocity),
                     qint64(p.offsetVelocity), qint64(p.vel1), qint64(p.vel2), qint64(p.vel3),
                     qint64(p.spareA), qint64(p.spareB), qint64(p.currentReleaseTime),
                     qint64(p.brakeReleaseTime), qint64(p.brakeExecTime), qint64(p.homingMethod)})
        w.number(v);
    w.endLine();
    return saveFieldFile(s.prompter, s.lang, path, w, "パラメータファイルを保存できませんでした。",
                         "The parameter file could not be saved.");
}

} // namespace params
