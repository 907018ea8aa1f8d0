#include "common/file_save.h"

#include "common/fieldfile.h"
#include "common/language.h"
#include "common/prompter.h"
#include "common/textfile.h"

#include <QDir>

bool saveFieldFile(Prompter &prompter, const Language &lang, const QString &path,
                   const FieldWriter &lines, const char *cannotSaveJa, const char *cannotSaveEn) {
    return saveFileBytes(prompter, lang, path, lines.bytes(), cannotSaveJa, cannotSaveEn);
}

bool saveFileBytes(Prompter &prompter, const Language &lang, const QString &path,
                   const QByteArray &bytes, const char *cannotSaveJa, const char *cannotSaveEn) {
    QString reason;
    if (textfile::writeAtomically(path, bytes, &reason)) return true;
    const QString gap = QStringLiteral("\r\n\r\n");
    prompter.message(lang.tx(cannotSaveJa, cannotSaveEn) + gap + QDir::toNativeSeparators(path) +
                         gap + reason + gap +
                         lang.tx("ファイルには何も書き込まれていません。",
                                 "Nothing was written; an earlier file of that name is unchanged."),
                     PromptIcon::Exclamation);
    return false;
}
