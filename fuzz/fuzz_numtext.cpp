// Number texts: every reader's number rule and every display format. Any
// text reads as some number or none without a fault, and a formatted value
// reads back as the value it stands for.

#include "fuzz_support.h"

#include "common/numtext.h"

#include <cmath>
#include <cstring>

namespace {

// The formats round to `decimals` places, working on 15 significant digits.
void checkFixed(double v, int decimals) {
    const QString text = num::fixed(v, decimals);
    if (!std::isfinite(v)) return;
    const auto back = num::parseStrict(text);
    FUZZ_CHECK(back, text);
    const double slack = 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) + std::fabs(v) * 1e-14;
    FUZZ_CHECK(std::fabs(*back - v) <= slack,
               QString::number(v, 'g', 17) + QStringLiteral(" shown as ") + text);
}

void checkFormats(double v) {
    for (int decimals : {0, 1, 3})
        checkFixed(v, decimals);
    const QString hash = num::formatHashDotHash(v);
    const QString cell = num::format0000(v);
    num::padLeft(cell, 7);
    if (std::isfinite(v)) {
        const double slack = 0.05 * (1 + 1e-9) + std::fabs(v) * 1e-14;
        FUZZ_CHECK(std::fabs(num::val(hash) - v) <= slack,
                   QString::number(v, 'g', 17) + QStringLiteral(" shown as ") + hash);
    }
    const float single = float(v);
    const QString singleText = num::singleText(single);
    if (std::isfinite(single)) {
        const double back = num::val(singleText);
        FUZZ_CHECK(std::fabs(back - double(single)) <= std::fabs(double(single)) * 1e-6,
                   QString::number(double(single), 'g', 9) + QStringLiteral(" shown as ") +
                       singleText);
    }
    for (qint64 n : {qint64(num::toInt16(v).value_or(0)), qint64(num::toInt32(v).value_or(0))}) {
        num::hexField(n, 6);
        num::decField(n, 2);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = QString::fromUtf8(bytes);
    const double v = num::val(text);
    num::hexVal(text);
    num::int16Of(text);
    num::int32Of(text);
    const auto strict = num::parseStrict(text);

    // A 16-bit or 32-bit value is the nearest integer, halves to the even one.
    for (double x : {v, strict.value_or(0)}) {
        if (const auto n = num::toInt16(x)) {
            FUZZ_CHECK(std::fabs(*n - x) <= 0.5, QString::number(x, 'g', 17));
            FUZZ_CHECK(std::fabs(*n - x) < 0.5 || *n % 2 == 0, QString::number(x, 'g', 17));
        }
        if (const auto n = num::toInt32(x))
            FUZZ_CHECK(std::fabs(*n - x) <= 0.5, QString::number(x, 'g', 17));
        checkFormats(x);
    }
    // The raw bytes as a double reach the values no text spells: infinities,
    // NaNs, subnormals, the largest magnitudes.
    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        num::toInt16(raw);
        num::toInt32(raw);
        checkFormats(raw);
    }
    return 0;
}
