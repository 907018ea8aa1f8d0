#include "common/numtext.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace num {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// Length of the longest decimal number at the start of s (sign, digits,
// point, exponent); 0 when there is none.
qsizetype decimalPrefix(QStringView s, double *out) {
    qsizetype i = 0;
    const qsizetype n = s.size();
    if (i < n && (s[i] == u'+' || s[i] == u'-')) ++i;
    qsizetype digits = 0;
    while (i < n && s[i].isDigit() && s[i].unicode() < 128)
        ++i, ++digits;
    if (i < n && s[i] == u'.') {
        ++i;
        while (i < n && s[i].isDigit() && s[i].unicode() < 128)
            ++i, ++digits;
    }
    if (digits == 0) return 0;
    qsizetype end = i;
    if (i < n && (s[i] == u'e' || s[i] == u'E' || s[i] == u'd' || s[i] == u'D')) {
        qsizetype j = i + 1;
        if (j < n && (s[j] == u'+' || s[j] == u'-')) ++j;
        qsizetype expDigits = 0;
        while (j < n && s[j].isDigit() && s[j].unicode() < 128)
            ++j, ++expDigits;
        if (expDigits > 0) end = j;
    }
    QString text = s.left(end).toString();
    for (QChar &c : text)
        if (c == u'd' || c == u'D') c = u'e';
    bool ok = false;
    double v = text.toDouble(&ok);
    *out = ok ? v : 0.0;
    return end;
}

qsizetype hexPrefix(QStringView s, double *out) {
    // s starts after "&H"
    qsizetype i = 0;
    quint64 v = 0;
    while (i < s.size() && i < 16) {
        const int d = QChar(s[i]).isDigit() && s[i].unicode() < 128
                          ? s[i].unicode() - '0'
                          : (s[i].toUpper() >= u'A' && s[i].toUpper() <= u'F'
                                 ? s[i].toUpper().unicode() - 'A' + 10
                                 : -1);
        if (d < 0) break;
        v = v * 16 + quint64(d);
        ++i;
    }
    if (i == 0) return 0;
    // Like the classic reader, four or fewer digits are a signed 16-bit
    // value and up to eight a signed 32-bit value.
    if (i <= 4)
        *out = double(qint16(quint16(v)));
    else if (i <= 8)
        *out = double(qint32(quint32(v)));
    else
        *out = double(v);
    return i;
}

} // namespace

double val(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    QStringView s = text.mid(i);
    double v = 0;
    if (s.size() >= 2 && s[0] == u'&' && (s[1] == u'H' || s[1] == u'h')) {
        hexPrefix(s.mid(2), &v);
        return v;
    }
    decimalPrefix(s, &v);
    return v;
}

qint64 hexVal(QStringView digits) {
    qsizetype i = 0;
    while (i < digits.size() && isBlank(digits[i]))
        ++i;
    double v = 0;
    hexPrefix(digits.mid(i), &v);
    // Sixteen digits can exceed a signed 64-bit value; no field comes near.
    return qint64(std::clamp(v, -9.2e18, 9.2e18));
}

std::optional<double> parseStrict(QStringView text) {
    QStringView s = text.trimmed();
    if (s.isEmpty()) return 0.0;
    double v = 0;
    qsizetype used = 0;
    if (s.size() >= 2 && s[0] == u'&' && (s[1] == u'H' || s[1] == u'h')) {
        const qsizetype h = hexPrefix(s.mid(2), &v);
        used = h > 0 ? h + 2 : 0;
    } else
        used = decimalPrefix(s, &v);
    if (used != s.size()) return std::nullopt;
    return v;
}

std::optional<qint16> toInt16(double v) {
    if (std::isnan(v)) return std::nullopt;
    const double r = std::nearbyint(v); // default rounding mode: half to even
    if (r < -32768.0 || r > 32767.0) return std::nullopt;
    return qint16(r);
}

std::optional<qint32> toInt32(double v) {
    if (std::isnan(v)) return std::nullopt;
    const double r = std::nearbyint(v);
    if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return qint32(r);
}

std::optional<qint16> int16Of(QStringView text) {
    return toInt16(val(text));
}
std::optional<qint32> int32Of(QStringView text) {
    return toInt32(val(text));
}

QString fixed(double v, int decimals) {
    if (std::isnan(v) || std::isinf(v)) return QStringLiteral("0");
    // 15 significant digits, as a decimal string of digits and an exponent.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
    QString digits;
    int exp10 = 0;
    {
        const char *p = buf;
        for (; *p && *p != 'e'; ++p)
            if (*p >= '0' && *p <= '9') digits += QLatin1Char(*p);
        if (*p == 'e') exp10 = std::atoi(p + 1);
    }
    // digits holds d0 d1 ... d14 meaning d0.d1d2... x 10^exp10.
    // Number of digits to keep: integer digits (exp10 + 1) + decimals.
    const int keep = exp10 + 1 + decimals;
    QString kept;
    if (keep < 0) {
        kept = QString();
    } else if (keep >= digits.size()) {
        kept = digits + QString(keep - digits.size(), u'0');
    } else {
        kept = digits.left(keep);
        if (digits[keep] >= u'5') {
            // add one at the last kept digit
            int i = kept.size() - 1;
            for (; i >= 0; --i) {
                if (kept[i] == u'9') {
                    kept[i] = u'0';
                } else {
                    kept[i] = QChar(kept[i].unicode() + 1);
                    break;
                }
            }
            if (i < 0) {
                kept.prepend(u'1');
                ++exp10;
            }
        }
    }
    // kept now holds the digits of round(|v| * 10^decimals), possibly empty.
    QString whole = kept.isEmpty() ? QStringLiteral("0") : kept;
    if (whole.size() <= decimals) whole = QString(decimals - whole.size() + 1, u'0') + whole;
    QString intPart = whole.left(whole.size() - decimals);
    QString fracPart = whole.right(decimals);
    while (intPart.size() > 1 && intPart[0] == u'0')
        intPart.remove(0, 1);
    const bool zero = !intPart.contains(QRegularExpression(QStringLiteral("[1-9]"))) &&
                      !fracPart.contains(QRegularExpression(QStringLiteral("[1-9]")));
    QString out = intPart;
    if (decimals > 0) out += u'.' + fracPart;
    if (v < 0 && !zero) out.prepend(u'-');
    return out;
}

QString formatHashDotHash(double v) {
    QString s = fixed(v, 1);
    const bool neg = s.startsWith(u'-');
    if (neg) s.remove(0, 1);
    QString intPart = s.section(u'.', 0, 0);
    QString frac = s.section(u'.', 1, 1);
    if (intPart == QLatin1String("0")) intPart.clear();
    if (frac == QLatin1String("0")) frac.clear();
    QString out = intPart + u'.' + frac;
    if (neg && out != QLatin1String(".")) out.prepend(u'-');
    return out;
}

QString format0000(double v) {
    return fixed(v, 3);
}

QString singleText(float v) {
    QString s = QString::number(double(v), 'g', 7);
    if (s.contains(u'e')) {
        // Keep ordinary ratios in plain form; only extreme ones use exponents.
        const double a = std::fabs(double(v));
        if (a >= 1e-4 && a < 1e7) s = QString::number(double(v), 'f', 7);
        if (s.contains(u'.') && !s.contains(u'e')) {
            while (s.endsWith(u'0'))
                s.chop(1);
            if (s.endsWith(u'.')) s.chop(1);
        }
    }
    return s;
}

QString padLeft(const QString &text, int width) {
    if (text.size() > width) return QStringLiteral("-1");
    return QString(width - text.size(), u' ') + text;
}

QString hexField(qint64 v, int width) {
    QString s = QString::number(v, 16).toUpper();
    if (v < 0) s = QString::number(quint32(qint32(v)), 16).toUpper();
    if (s.size() > width) return QStringLiteral("X");
    return QString(width - s.size(), u'0') + s;
}

QString decField(qint64 v, int width) {
    QString s = QString::number(v);
    if (s.size() > width) return QStringLiteral("X");
    return QString(width - s.size(), u'0') + s;
}

} // namespace num
