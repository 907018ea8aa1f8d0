#include "device/stroke_pulse.h"

#include "state/app_state.h"
#include "common/numtext.h"

#include <cmath>

namespace device {

int calculatorPpr(bool tz42d) {
    return tz42d ? 192 : 400;
}

qint64 strokePulses(int stroke, int lead, int ppr) {
    const double x = double(stroke) / lead * ppr;
    // Rounded for display first, then pushed up: 6666.67 shows as 6666.7
    // and becomes 6667, an exact 20000 stays 20000.
    return qint64(std::trunc(num::val(num::formatHashDotHash(x)) + 0.9));
}

bool calculatorStrokeAllowed(const QString &text) {
    const auto v = num::int16Of(text);
    return v && *v >= 0 && *v <= 999;
}

bool calculatorLeadAllowed(const QString &text) {
    const auto v = num::int16Of(text);
    return v && (*v == 2 || *v == 6 || *v == 8);
}

QString invalidityWord(const AppState &s) {
    return s.tx("不正値", "Invalidity");
}

QString noDeviceWord(const AppState &s) {
    return s.tx("ﾃﾞﾊﾞｲｽなし", "No Device");
}

QString strokePulseResult(const AppState &s, const QString &strokeText, const QString &leadText,
                          bool tz42d) {
    if (strokeText.isEmpty() || !calculatorStrokeAllowed(strokeText)) return invalidityWord(s);
    if (leadText.isEmpty() || !calculatorLeadAllowed(leadText)) return invalidityWord(s);
    return QString::number(
        strokePulses(*num::int16Of(strokeText), *num::int16Of(leadText), calculatorPpr(tz42d)));
}

} // namespace device
