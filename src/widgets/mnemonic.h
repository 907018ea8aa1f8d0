#pragma once

// Captions for widgets that read "&" as the mnemonic marker (menu items,
// buttons, check and option boxes, group and tab titles). The program keeps
// its captions as they have always been written: "Clear All & New Data(&N)"
// marks N as the key and means the other "&" to be read, which such a widget
// would hide, underlining the blank after it instead.

#include <QString>

// The caption as the widget needs it: an "&" before a letter or digit stays
// the mnemonic marker, every other "&" is doubled so that it shows.
QString mnemonicCaption(const QString &caption);
