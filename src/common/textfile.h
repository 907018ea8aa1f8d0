#pragma once

// Reading and writing the program's small text files. Files made on older
// Japanese Windows machines are Shift_JIS (CP932); newer ones are UTF-8. We
// read both transparently and always write UTF-8, so ASCII-only content stays
// byte-identical to what the older programs wrote.

#include <QByteArray>
#include <QString>

namespace textfile {

// UTF-8 (with or without BOM) when the bytes are valid UTF-8, else CP932.
QString decode(const QByteArray &bytes);

// Reads and decodes a whole file; false when it cannot be read.
bool read(const QString &path, QString *out);

// Writes atomically: the previous file survives any failure. On failure
// *error (when given) holds the system's reason.
bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);

} // namespace textfile
