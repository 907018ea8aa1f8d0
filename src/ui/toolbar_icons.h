#pragma once

// The main window's toolbar pictures, drawn in code so they stay sharp at
// any scale: "New", "Open", "Save", "Print", "Read", "Load", "Verify".

#include <QIcon>
#include <QString>

QIcon toolbarIcon(const QString &key);
