// The settings store as start-up reads it: the input is the store's file.
// Every value the program keeps there is read by the rule it is read by at
// start-up, the stored device is restored with its catalogue, and a restored
// device, saved again, restores the same.

#include "fuzz_support.h"

#include "device/catalogue.h"
#include "device/units.h"

#include <QDir>

namespace {

void checkSameDevice(const DeviceRecord &a, const DeviceRecord &b) {
    FUZZ_CHECK(a.tz == b.tz && a.newType == b.newType && a.size == b.size && a.speed == b.speed &&
                   a.stroke == b.stroke && a.lead == b.lead && a.ppr == b.ppr &&
                   a.vertical == b.vertical,
               a.size + a.speed + QString::number(a.stroke) + QStringLiteral(" restored as ") +
                   b.size + b.speed + QString::number(b.stroke));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz::writeScratchFile(QStringLiteral("settings.ini"),
                           QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    DeviceRecord saved;
    {
        fuzz::Env env;
        AppState &s = env.s;
        SettingsStore &st = env.settings;
        // The numbers start-up and the main window read, with their defaults.
        s.setLanguage(st.readInt16(QStringLiteral("Languege"), 1).value_or(2));
        s.roundUpHalves = st.readInt16(QStringLiteral("MmRoundUp"), 1).value_or(1) > 0;
        s.link.portNumber = st.readInt16(QStringLiteral("PortNo"), 1).value_or(0);
        s.link.portOccupy = st.readInt16(QStringLiteral("PortOccupy"), 0) > 0;
        if (!device::restoreDevice(s)) return 0;
        device::loadCatalogue(s, false);
        device::findDeviceInCatalogue(s, false);
        units::computeLimits(s);
        device::buildModelName(s);
        units::unitRatios(s);
        device::saveDevice(s);
        saved = s.device;
    }
    fuzz::Env env;
    FUZZ_CHECK(device::restoreDevice(env.s), QStringLiteral("a saved device does not restore"));
    checkSameDevice(saved, env.s.device);
    return 0;
}
