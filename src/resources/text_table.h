#pragma once

// The numbered text table: Japanese text N has number N, its English text
// number 10000 + N. The program fetches entry textBase + N.

#include <QString>

// Empty when the table holds no such entry.
QString textTableEntry(int number);
