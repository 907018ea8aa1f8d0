// The standard parameter lists (tzstdprm.lst, wtzstdprm.lst, rpstdprm.lst)
// behind the editor's Default button.

#include "fuzz_support.h"

#include "parameters/std_params.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QString path =
        fuzz::writeScratchFile(QStringLiteral("stdprm.lst"),
                               QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    // The first byte: odd for the RP family, bit 2 for the sensor flag (a
    // tab or a digit in front of the count chooses).
    const uint8_t pick = size > 0 ? data[0] : 0;
    const QString family = pick & 1 ? QStringLiteral("RP") : QStringLiteral("TZ");
    const auto list = params::loadStdParaList(path, family, pick & 2);
    if (!list) return 0;
    // Every record is found by its own size, speed and stroke (the first of
    // equal ones wins).
    for (const params::StdParaRecord &r : list->records) {
        const params::StdParaRecord *found = params::findStdPara(*list, r.size, r.speed, r.stroke);
        FUZZ_CHECK(found && found->size == r.size && found->speed == r.speed &&
                       found->stroke == r.stroke,
                   r.code);
    }
    return 0;
}
