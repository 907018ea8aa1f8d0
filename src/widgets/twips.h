#pragma once

// The program's geometry has always been given in twips (1/1440 inch); at the
// usual 96 dots per inch one pixel is 15 twips.

#include <QtGlobal>

inline int twips(int t) { return qRound(t / 15.0); }
