#include "fuzz_support.h"

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
    static QTemporaryDir dir;
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

Env::Env(int language, const QString &programFolder)
    : settings(QDir(scratchDir()).filePath(QStringLiteral("settings.ini"))),
      s(settings, prompter, programFolder) {
    ensureApplication();
    s.setLanguage(language);
}

void fail(const char *file, int line, const char *what, const QString &detail) {
    std::fprintf(stderr, "%s:%d: broken promise: %s\n  %s\n", file, line, what,
                 detail.toUtf8().constData());
    std::abort();
}

} // namespace fuzz
