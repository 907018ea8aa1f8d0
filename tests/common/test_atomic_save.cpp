// A save replaces the file whole or not at all, and what a killed save left
// behind is recognisable and cleared away.

#include "common/textfile.h"
#include "test_registry.h"
#include "test_support.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QtTest>

namespace {

QByteArray contents(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &bytes, int ageSeconds = 0) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    f.close();
    if (ageSeconds) {
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime::currentDateTime().addSecs(-ageSeconds),
                      QFileDevice::FileModificationTime);
    }
}

QStringList filesIn(const QTemporaryDir &dir) {
    return QDir(dir.path()).entryList(QDir::Files, QDir::Name);
}

} // namespace

class AtomicSaveTest : public QObject {
    Q_OBJECT
private slots:
    void replacesWholeOrNotAtAll() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("axis.pmt"));
        QVERIFY(textfile::writeAtomically(path, "first\r\n"));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        // A full disk: the old file stays, and no partial file is left.
        QString reason;
        const bool saved = withFileSizeLimit(
            4, [&] { return textfile::writeAtomically(path, "second, longer\r\n", &reason); });
        QVERIFY(!saved && !reason.isEmpty());
        QCOMPARE(contents(path), "first\r\n");
        QCOMPARE(filesIn(dir), QStringList{"axis.pmt"});
        // A good save keeps the file's permissions and leaves nothing beside it.
        QVERIFY(textfile::writeAtomically(path, "second\r\n"));
        QCOMPARE(contents(path), "second\r\n");
        QCOMPARE(QFile::permissions(path) & 0x7077, // owner, group, other
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        QCOMPARE(filesIn(dir), QStringList{"axis.pmt"});
        // Through a link the file it names is replaced; the link stays a link.
        const QString link = dir.filePath(QStringLiteral("current.pmt"));
        QVERIFY(QFile::link(path, link));
        QVERIFY(textfile::writeAtomically(link, "third\r\n"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(contents(path), "third\r\n");
    }

    void killedSavesLeaveRecognisableFilesThatTheNextSaveClears() {
        QTemporaryDir dir;
        const QString suffix = textfile::partialSuffix();
        QCOMPARE(suffix, ".tzc3-partial");
        write(dir.filePath("axis.pmt.4711" + suffix), "half", 120);
        write(dir.filePath("line.tpd.4712" + suffix), "being written", 0);
        write(dir.filePath("axis.pmt.backup"), "the user's own", 120);
        QVERIFY(textfile::writeAtomically(dir.filePath(QStringLiteral("axis.pmt")), "new\r\n"));
        // The old leftover goes; one still fresh may be another save at work.
        QCOMPARE(filesIn(dir),
                 (QStringList{"axis.pmt", "axis.pmt.backup", "line.tpd.4712" + suffix}));
    }
};

TZC3_TEST(AtomicSaveTest)
#include "test_atomic_save.moc"
