// A device list (tzdevice.lst, wtzdevice.lst or rpdevice.lst) beside the
// program, read the way start-up and the device dialog read it. Every entry
// the program can choose gets its limits and model name, and a well-formed
// model name, stored in a position file, names the same device again.

#include "fuzz_support.h"

#include "device/catalogue.h"
#include "device/units.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// The names our own catalogues give: a size of digits, blanks and capitals,
// a speed letter and a stroke the name's three places can carry.
bool wellFormed(const CatalogueEntry &e) {
    static const QRegularExpression size(QStringLiteral("^[ 0-9A-Z]{3}$"));
    return size.match(e.size).hasMatch() && e.speed.size() == 1 && e.speed[0] >= u'A' &&
           e.speed[0] <= u'Z' && e.stroke >= 1 && e.stroke <= 998;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The first byte picks the list the bytes replace: 0 new TZ, 1 old TZ,
    // 2 RP (its value modulo 3, so a blank or a digit in front of the count
    // chooses).
    const int pick = size > 0 ? data[0] % 3 : 0;
    const bool tz = pick != 2;
    const bool newType = pick == 0;
    const QString name = QFileInfo(device::listFilePath(QString(), tz, newType)).fileName();
    const QString folder =
        fuzz::folderWithList(QStringLiteral("catalogue"), name,
                             QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    fuzz::Env env(fuzz::languageOf(data, size), folder);
    AppState &s = env.s;
    s.device.tz = tz;
    s.device.newType = newType;
    if (!device::loadCatalogue(s, false)) return 0;

    const DeviceCatalogue catalogue = s.catalogue;
    for (const QString &sz : catalogue.sizes)
        device::speedsForSize(catalogue, sz);
    // Each choice reads the list again, so a few entries at both ends do.
    for (qsizetype i = 0; i < catalogue.entries.size(); ++i) {
        if (i == 8 && catalogue.entries.size() > 12) i = catalogue.entries.size() - 4;
        const CatalogueEntry &e = catalogue.entries[i];
        s.candidate.familyText = s.device.familyText();
        s.candidate.newType = newType;
        s.candidate.size = e.size;
        s.candidate.speed = e.speed;
        s.candidate.stroke = e.stroke;
        if (!device::applyDeviceChange(s, false)) continue;
        units::unitRatios(s);
        if (!wellFormed(e)) continue;
        const QString model = s.device.modelName;
        s.candidate = CandidateDevice();
        FUZZ_CHECK(device::parseModelName(s, model,
                                          newType ? QStringLiteral("NEW") : QStringLiteral("OLD")),
                   model);
        FUZZ_CHECK(s.candidate.size == e.size && s.candidate.speed == e.speed &&
                       s.candidate.stroke == e.stroke && s.candidate.newType == newType,
                   model + QStringLiteral(" names ") + s.candidate.size + s.candidate.speed +
                       QString::number(s.candidate.stroke));
    }
    return 0;
}
