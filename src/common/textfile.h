#pragma once

// Reading and writing the program's small text files. Shops still run the
// older Japanese Windows software beside this program, and it reads and
// writes Shift_JIS (Windows-31J) only; modern editors write UTF-8, with or
// without a byte order mark. We read all of them and write what the older
// software can read whenever the text allows it.

#include <QByteArray>
#include <QString>

namespace textfile {

enum class Encoding { Utf8, Windows31J };

// The encoding of bytes that carry no byte order mark, judged by the content.
Encoding guessEncoding(const QByteArray &bytes);

// A UTF-8 byte order mark is believed; otherwise guessEncoding decides.
QString decode(const QByteArray &bytes);

// Windows-31J when every character has a code there (and the bytes read back
// as the same text), otherwise UTF-8 with a byte order mark.
QByteArray encode(const QString &text);

// Reads and decodes a whole file; false when it cannot be read.
bool read(const QString &path, QString *out);

// Writes atomically: the bytes go to a partial file beside the target
// ("<name>.<pid>.tzc3-partial"), which then replaces it, so the previous file
// survives any failure. On failure *error (when given) holds the system's
// reason. Partial files a killed save left in the folder, older than a
// minute, are removed.
bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// The ending of the partial files writeAtomically leaves behind when killed.
QString partialSuffix();

} // namespace textfile
