#include "device/units.h"

#include "state/app_state.h"
#include "common/numtext.h"

#include <algorithm>
#include <cmath>

namespace units {

double pulseToMm(int lead, int ppr, double pulses) {
    if (ppr == 0) return 0;
    const double ratio = double(lead) / double(ppr);
    return pulses * ratio;
}

double mmToPulse(int lead, int ppr, double mm) {
    if (lead == 0) return 0;
    return std::nearbyint(mm / double(lead) * double(ppr));
}

double snapMmToPulse(int lead, bool roundUpHalves, int ppr, double mm) {
    if (lead <= 0 || ppr <= 0) return 0;
    const double step = double(lead) / double(ppr);
    const double exact = mm / step;
    if (!std::isfinite(exact) || std::fabs(exact) > 2147483647.0) return 0;
    const double whole = std::trunc(exact);
    // The fraction is kept to four decimals, so floating-point noise around
    // an exact half does not decide the rounding.
    const double frac = std::nearbyint((exact - whole) * 10000.0) / 10000.0;
    double n;
    if (frac == 0) {
        n = std::nearbyint(exact);
    } else {
        const bool up = roundUpHalves ? frac >= 0.5 : frac > 0.5;
        n = up ? std::floor(exact + 0.5) : whole;
    }
    return n * step;
}

void computeLimits(AppState &s) {
    const auto &d = s.device;
    if (d.lead <= 0 || d.ppr <= 0) {
        s.maxPulse = 0;
        s.maxMm = 0;
        return;
    }
    double v = double(d.stroke) / double(d.lead);
    v = v * double(d.ppr);
    v = num::val(num::formatHashDotHash(v));
    // A stroke, lead and ppr of any 16-bit values keep this far inside 32 bits.
    s.maxPulse = qint32(std::clamp(std::floor(v + 0.9), 0.0, 2147483647.0));
    const double mm = std::trunc(pulseToMm(d.lead, d.ppr, s.maxPulse) * 1000.0) / 1000.0;
    s.maxMm = std::nearbyint(mm * 10000.0) / 10000.0;
}

Ratios unitRatios(const AppState &s) {
    const QString unit = s.tx("ﾊﾟﾙｽ", "Pulse");
    const float lead = float(s.device.lead);
    const float ppr = float(s.device.ppr);
    const float a = lead != 0 ? ppr / lead : 0.0f;
    const float b = ppr != 0 ? lead / ppr : 0.0f;
    const float a3 = float(num::val(num::format0000(double(a))));
    const float b3 = float(num::val(num::format0000(double(b))));
    return {QStringLiteral("1mm = ") + num::singleText(a3) + unit,
            QStringLiteral("1") + unit + QStringLiteral("= ") + num::singleText(b3) +
                QStringLiteral("mm")};
}

QString mmCellText(double mm) { return num::padLeft(num::format0000(mm), 7); }

QString pulseCellText(qint64 pulses) { return num::padLeft(QString::number(pulses), 7); }

void recomputeMmColumn(const AppState &s, PositionTable &t) {
    for (int row = 1; row < PositionTable::Rows; ++row) {
        const double pulses = num::val(t.text(row, PositionTable::ColPulse).trimmed());
        const double mm = pulseToMm(s.device.lead, s.device.ppr, pulses);
        t.setText(row, PositionTable::ColMm, mm <= 999 ? mmCellText(mm) : QString());
    }
}

} // namespace units
