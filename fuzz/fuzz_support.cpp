#include "fuzz_support.h"

#include "parameters/parameter_codec.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

void ensureApplication() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tzc3-fuzz";
    static char *argv[] = {name, nullptr};
    static QApplication app(argc, argv);
}

QString scratchDir() {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tzc3-fuzz-XXXXXX"));
    if (!dir.isValid()) fail(__FILE__, __LINE__, "scratch folder", dir.errorString());
    return dir.path();
}

QString writeScratchFile(const QString &name, const QByteArray &bytes) {
    const QString path = QDir(scratchDir()).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        fail(__FILE__, __LINE__, "scratch file", f.errorString());
    return path;
}

QString listFolder() {
    static const QString folder = [] {
        const QString dir = QDir(scratchDir()).filePath(QStringLiteral("lists"));
        QDir().mkpath(dir);
        const QDir data(QStringLiteral(TZC3_DATA_DIR));
        for (const QString &name : data.entryList({QStringLiteral("*.lst")}, QDir::Files))
            QFile::copy(data.filePath(name), QDir(dir).filePath(name));
        return dir;
    }();
    return folder;
}

QString folderWithList(const QString &folder, const QString &name, const QByteArray &bytes) {
    const QString dir = QDir(scratchDir()).filePath(folder);
    if (!QDir(dir).exists()) {
        QDir().mkpath(dir);
        const QDir lists(listFolder());
        for (const QString &n : lists.entryList(QDir::Files))
            QFile::copy(lists.filePath(n), QDir(dir).filePath(n));
    }
    writeScratchFile(folder + u'/' + name, bytes);
    return dir;
}

Env::Env(int language, const QString &programFolder)
    : settings(QDir(scratchDir()).filePath(QStringLiteral("settings.ini"))),
      s(settings, prompter, programFolder) {
    ensureApplication();
    s.setLanguage(language);
}

namespace {

// The editor's values as the blocks carry them back.
void checkBlocksCarry(const ParameterSet &p, bool useDefault) {
    const auto blocks = params::encodeParameterBlocks(p, useDefault);
    FUZZ_CHECK(blocks, QStringLiteral("checked values overflow the blocks"));
    ParameterSlots da;
    for (const QString &block : *blocks) {
        FUZZ_CHECK(block.size() == 18, block);
        params::decodeParameterBlock(block.left(2), block.mid(2), da, !useDefault);
    }
    ParameterSet sent;
    FUZZ_CHECK(takeParameterSlots(da, sent), QStringLiteral("blocks do not decode"));
    const qint32 shown[] = {p.strokeLength, p.homeOffset,     p.homePushing,    p.homeOutPort,
                            p.homeOutBk,    p.homingVelocity, p.offsetVelocity, p.vel1,
                            p.vel2,         p.vel3,           p.homingMethod};
    const qint32 carried[] = {sent.strokeLength,   sent.homeOffset,  sent.homePushing,
                              sent.homeOutPort,    sent.homeOutBk,   sent.homingVelocity,
                              sent.offsetVelocity, sent.vel1,        sent.vel2,
                              sent.vel3,           sent.homingMethod};
    for (size_t i = 0; i < std::size(shown); ++i)
        FUZZ_CHECK(shown[i] == carried[i],
                   blocks->join(u' ') + QStringLiteral(" carry item %1 as %2, not %3")
                                            .arg(i)
                                            .arg(carried[i])
                                            .arg(shown[i]));
    if (!useDefault)
        FUZZ_CHECK(sent.currentReleaseTime == p.currentReleaseTime &&
                       sent.brakeReleaseTime == p.brakeReleaseTime &&
                       sent.brakeExecTime == p.brakeExecTime,
                   blocks->join(u' '));
}

} // namespace

void checkWriteCarries(const ParameterFields &fields) {
    // The Write button's checks, in its order; a refusal is no fault.
    QString errList;
    if (anyRequiredFieldEmpty(fields) || fieldsOutOfRange(fields, errList)) return;
    ParameterSet p;
    if (!takeFields(fields, p)) return;
    if (!params::itemsBlocksCannotCarry(p, fields.useDefault).isEmpty()) return;
    checkBlocksCarry(p, fields.useDefault);
}

void fail(const char *file, int line, const char *what, const QString &detail) {
    // Controls and line ends shown as escapes, so the detail reads as it is.
    QString shown;
    for (QChar c : detail)
        shown += c.unicode() < 0x20 || c.unicode() == 0x7F
                     ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                     : QString(c);
    std::fprintf(stderr, "%s:%d: broken promise: %s\n  %s\n", file, line, what,
                 shown.toUtf8().constData());
    std::abort();
}

} // namespace fuzz
