#pragma once

// Saving the program's own files (.tpd, .pmt, a saved log): atomically, in the encoding
// textfile::encode chooses, and with the same report when a save fails.

#include <QString>

class Language;
class Prompter;
class FieldWriter;

// Writes the lines to path. On failure the user is told which file, the
// system's reason and that an earlier file of that name is unchanged, under
// the first line given (in the run's language); the result is then false.
bool saveFieldFile(Prompter &prompter, const Language &lang, const QString &path,
                   const FieldWriter &lines, const char *cannotSaveJa, const char *cannotSaveEn);

// The same for bytes already encoded (a saved log, a report).
bool saveFileBytes(Prompter &prompter, const Language &lang, const QString &path,
                   const QByteArray &bytes, const char *cannotSaveJa, const char *cannotSaveEn);
