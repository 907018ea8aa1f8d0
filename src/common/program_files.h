#pragma once

// Where the program finds the files it ships: the device lists, the standard
// parameter lists, the controller's error list and the help file. In the
// build folder and on Windows they lie beside the executable; an installed
// program keeps them in ../share/tzc3 relative to its bin folder, so an
// install works from any prefix, from a DESTDIR and from an unpacked package.

#include <QString>
#include <QStringList>

namespace programfiles {

// The file names of every list the program reads.
QStringList listNames();

// The folder that holds the lists for an executable in executableFolder:
// that folder itself when any list lies there, else ../share/tzc3 when any
// lies there, else the executable's folder again, where the missing lists are
// then reported as they always were.
QString listFolderFor(const QString &executableFolder);

} // namespace programfiles
