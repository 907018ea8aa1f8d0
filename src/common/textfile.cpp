#include "common/textfile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace textfile {

QString decode(const QByteArray &bytes) {
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF")) data.remove(0, 3);
    {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        QString s = utf8.decode(data);
        if (!utf8.hasError()) return s;
    }
    QStringDecoder sjis("windows-31j");
    if (!sjis.isValid()) sjis = QStringDecoder("Shift_JIS");
    if (sjis.isValid()) return sjis.decode(data);
    return QString::fromLatin1(data);
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
