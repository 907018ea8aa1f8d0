#pragma once

// Number <-> text rules shared by every file format, grid cell and wire field.
// They follow the conventions the program's files and users have always had:
// a number read from text is the longest numeric prefix ("&H" for hexadecimal,
// 0 when there is none), conversions to integers round halves to the even
// neighbour and report overflow, and a handful of fixed display formats.

#include <QString>
#include <QStringView>
#include <optional>

namespace num {

// Leading blanks skipped, the longest numeric prefix taken, 0 when none.
double val(QStringView text);

// Hexadecimal digits read by the same rule, as if "&H" stood before them:
// leading blanks skipped, the longest run of digits, 0 when there is none.
// Every hexadecimal field of a reply and every error code is read this way.
qint64 hexVal(QStringView digits);

// Whether a field is a number at all, and its value: the whole text must be
// one number of the rule (blanks around it allowed, empty counts as 0). The
// file readers refuse a file through this one decision.
std::optional<double> parseStrict(QStringView text);

// Round half to even, then range-check; nullopt on overflow or NaN.
std::optional<qint16> toInt16(double v);
std::optional<qint32> toInt32(double v);

// Convenience: leading numeric value of text converted to a 16/32-bit integer.
std::optional<qint16> int16Of(QStringView text);
std::optional<qint32> int32Of(QStringView text);

// Rounds to `decimals` fraction digits, halves away from zero, working on the
// 15-significant-digit decimal form of v so that 0.15 rounds like the user
// sees it rather than like its binary approximation.
QString fixed(double v, int decimals);

// Format "#.#": one fraction digit, no leading zero, an integral value keeps
// its decimal point ("20000."), zero is ".".
QString formatHashDotHash(double v);

// Format "#0.000".
QString format0000(double v);

// General text form of a single-precision number: up to 7 significant digits,
// no trailing zeros ("200", "0.005").
QString singleText(float v);

// Leading blanks until the text has `width` characters; "-1" when it is
// already longer (callers choose widths that cannot be exceeded).
QString padLeft(const QString &text, int width);

// Upper-case hexadecimal / decimal text left-padded with "0" to `width`;
// "X" when it needs more characters than that.
QString hexField(qint64 v, int width);
QString decField(qint64 v, int width);

} // namespace num
