#include "common/file_save.h"

#include "state/app_state.h"
#include "common/fieldfile.h"
#include "common/textfile.h"

#include <QDir>

bool saveFieldFile(AppState &s, const QString &path, const FieldWriter &lines,
                   const char *cannotSaveJa, const char *cannotSaveEn) {
    QString reason;
    if (textfile::writeAtomically(path, lines.bytes(), &reason)) return true;
    const QString gap = QStringLiteral("\r\n\r\n");
    s.prompter.message(s.tx(cannotSaveJa, cannotSaveEn) + gap + QDir::toNativeSeparators(path) +
                           gap + reason + gap +
                           s.tx("ファイルには何も書き込まれていません。",
                                "Nothing was written; an earlier file of that name is unchanged."),
                       PromptIcon::Exclamation);
    return false;
}
