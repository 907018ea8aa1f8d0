#include "common/textfile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

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

namespace {

const QString kPartialSuffix = QStringLiteral(".tzc3-partial");

std::filesystem::path fsPath(const QString &path) {
    return std::filesystem::path(path.toStdU16String());
}

// Saves killed half way leave their partial file beside the target, named so
// a user sees what it is. Old ones go when the folder is next saved to; a
// minute's grace leaves alone another program's save still being written.
void removeOldPartials(const QDir &dir) {
    const QDateTime cutoff = QDateTime::currentDateTimeUtc().addSecs(-60);
    const QFileInfoList partials =
        dir.entryInfoList({QLatin1Char('*') + kPartialSuffix}, QDir::Files | QDir::Hidden);
    for (const QFileInfo &fi : partials)
        if (fi.lastModified().toUTC() < cutoff) QFile::remove(fi.absoluteFilePath());
}

} // namespace

QString partialSuffix() {
    return kPartialSuffix;
}

bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error) {
    const auto fail = [error](const QString &why) {
        if (error) *error = why;
        return false;
    };
    QFileInfo target(path);
    // A link is followed: the file it names is replaced, the link stays.
    if (target.isSymLink()) target = QFileInfo(target.symLinkTarget());
    const QString finalPath = target.absoluteFilePath();
    removeOldPartials(target.absoluteDir());
    if (target.exists()) {
        // Opened, not truncated: a file we may not write is refused with
        // the system's own reason before anything is written.
        QFile existing(finalPath);
        if (!existing.open(QIODevice::ReadWrite)) return fail(existing.errorString());
    }

    const QString partial =
        finalPath + u'.' + QString::number(QCoreApplication::applicationPid()) + kPartialSuffix;
    QFile f(partial);
    // Unbuffered, so a short write (disk full, size limit) is seen here.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return fail(f.errorString());
    const auto abandon = [&](const QString &why) {
        f.close();
        QFile::remove(partial);
        return fail(why);
    };
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = f.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) return abandon(f.errorString());
        done += n;
    }
#ifdef Q_OS_UNIX
    // On the disk before it replaces the good file: a power cut then leaves
    // one or the other whole.
    if (::fsync(f.handle()) != 0) return abandon(QString::fromLocal8Bit(strerror(errno)));
#endif
    f.close();
    if (f.error() != QFileDevice::NoError) return abandon(f.errorString());
    if (target.exists()) QFile::setPermissions(partial, QFile::permissions(finalPath));
    std::error_code ec;
    std::filesystem::rename(fsPath(partial), fsPath(finalPath), ec);
    if (ec) {
        QFile::remove(partial);
        return fail(QString::fromLocal8Bit(ec.message().c_str()));
    }
    return true;
}

} // namespace textfile
