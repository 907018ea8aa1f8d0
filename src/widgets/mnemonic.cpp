#include "widgets/mnemonic.h"

namespace {
bool marksKey(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
}
} // namespace

QString mnemonicCaption(const QString &caption) {
    QString out;
    out.reserve(caption.size() + 2);
    for (qsizetype i = 0; i < caption.size(); ++i) {
        out += caption[i];
        if (caption[i] == u'&' && !(i + 1 < caption.size() && marksKey(caption[i + 1])))
            out += u'&';
    }
    return out;
}
