#include "common/textfile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

namespace textfile {

namespace {

const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");
constexpr auto kStateless = QStringConverter::Flag::Stateless;

// How much a character speaks for the reading that produced it: the text of
// our files is ASCII, Japanese and a few signs; letters of scripts nobody
// writes here only appear when bytes are read in the wrong encoding.
int plausibility(char32_t c) {
    if ((c >= 0x3000 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF) ||
        (c >= 0xFF01 && c <= 0xFFEF))
        return 2; // kana, kanji, full-width forms, half-width katakana
    if ((c >= 0xA1 && c <= 0xBF) || c == 0xD7 || c == 0xF7 || (c >= 0x391 && c <= 0x3C9) ||
        (c >= 0x2010 && c <= 0x27BF) || (c >= 0x3200 && c <= 0x33FF) ||
        (c >= 0x1F300 && c <= 0x1FAFF))
        return 1; // signs: ° ± × µ, Greek, arrows, ①, ㎜, emoji
    if ((c >= 0xC0 && c <= 0xFF) || (c >= 0x410 && c <= 0x44F)) return 0; // Latin-1, Cyrillic
    return -2; // Latin Extended, IPA, Arabic, controls, private use, U+FFFD...
}

// Each non-ASCII character scores its plausibility times the bytes it took.
// A valid UTF-8 sequence of three or four bytes earns its bytes once more:
// Shift_JIS text almost never forms one by accident, while two-byte UTF-8
// sequences are exactly what pairs of half-width katakana look like.
int score(const QString &text, Encoding e) {
    int total = 0;
    for (char32_t c : QStringView(text).toUcs4()) {
        if (c < 0x80) continue;
        int bytes = 2;
        if (e == Encoding::Utf8)
            bytes = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        else if (c >= 0xFF61 && c <= 0xFF9F)
            bytes = 1;
        total += plausibility(c) * bytes + (bytes >= 3 ? bytes : 0);
    }
    return total;
}

std::optional<QString> strictly(QStringDecoder decoder, const QByteArray &bytes) {
    if (!decoder.isValid()) return std::nullopt;
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

QStringDecoder windows31j() {
    return QStringDecoder("windows-31j", kStateless);
}

QString decodeAs(Encoding e, const QByteArray &bytes) {
    if (e == Encoding::Utf8) return QString::fromUtf8(bytes);
    QStringDecoder d = windows31j();
    return d.isValid() ? d.decode(bytes) : QString::fromLatin1(bytes);
}

} // namespace

Encoding guessEncoding(const QByteArray &bytes) {
    const auto utf8 = strictly(QStringDecoder(QStringConverter::Utf8, kStateless), bytes);
    if (!utf8) return Encoding::Windows31J;
    const auto sjis = strictly(windows31j(), bytes);
    if (!sjis) return Encoding::Utf8;
    // Both readings are valid (always so for ASCII); a tie goes to the
    // older software's encoding, which is what files without a mark mostly are.
    return score(*utf8, Encoding::Utf8) > score(*sjis, Encoding::Windows31J) ? Encoding::Utf8
                                                                             : Encoding::Windows31J;
}

QString decode(const QByteArray &bytes) {
    if (bytes.startsWith(kBom)) return QString::fromUtf8(bytes.mid(kBom.size()));
    return decodeAs(guessEncoding(bytes), bytes);
}

QByteArray encode(const QString &text) {
    QStringEncoder sjis("windows-31j", kStateless);
    const QByteArray bytes = sjis.encode(text);
    // A text whose Windows-31J bytes the reader would take for UTF-8 is kept
    // in UTF-8 with a mark too: a file must open as it was saved.
    if (sjis.isValid() && !sjis.hasError() && decode(bytes) == text) return bytes;
    return kBom + text.toUtf8();
}

bool read(const QString &path, QString *out) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) return false;
    *out = decode(bytes);
    return true;
}

bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error) {
    QSaveFile f(path);
    // Unbuffered, so a short write (disk full, size limit) is seen here; a
    // buffered write would only be flushed at commit, which does not notice
    // a partial flush and would replace the good file with a truncated one.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error) *error = f.errorString();
        return false;
    }
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = f.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            if (error) *error = f.errorString();
            f.cancelWriting();
            return false;
        }
        done += n;
    }
    if (!f.commit()) {
        if (error) *error = f.errorString();
        return false;
    }
    return true;
}

} // namespace textfile
