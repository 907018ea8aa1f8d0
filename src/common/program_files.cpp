#include "common/program_files.h"

#include <QDir>
#include <QFileInfo>

namespace programfiles {

namespace {

bool holdsAnyList(const QDir &folder) {
    for (const QString &name : listNames())
        if (QFileInfo(folder.filePath(name)).isFile()) return true;
    return false;
}

} // namespace

QStringList listNames() {
    return {QStringLiteral("tzdevice.lst"),  QStringLiteral("wtzdevice.lst"),
            QStringLiteral("rpdevice.lst"),  QStringLiteral("tzstdprm.lst"),
            QStringLiteral("wtzstdprm.lst"), QStringLiteral("rpstdprm.lst"),
            QStringLiteral("error.lst")};
}

QString listFolderFor(const QString &executableFolder) {
    const QDir beside(executableFolder);
    // One folder for all of them: lists from two places could belong to two
    // different releases of the program.
    if (holdsAnyList(beside)) return executableFolder;
    const QDir shared(QDir::cleanPath(beside.absoluteFilePath(QStringLiteral("../share/tzc3"))));
    if (holdsAnyList(shared)) return shared.path();
    return executableFolder;
}

} // namespace programfiles
