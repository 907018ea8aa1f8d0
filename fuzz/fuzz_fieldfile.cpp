// The field-file reader behind every list and data file, with the encoding
// detection in front of it: any bytes decode, every field comes out, and
// what the writer saves opens as it was saved.

#include "fuzz_support.h"

#include "common/fieldfile.h"
#include "common/numtext.h"
#include "common/textfile.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    textfile::guessEncoding(bytes);
    const QString text = textfile::decode(bytes);

    QStringList fields;
    FieldReader reader(text);
    while (!reader.atEnd()) {
        const auto field = reader.next();
        FUZZ_CHECK(field, QStringLiteral("atEnd() said a field follows"));
        num::parseStrict(*field);
        fields << *field;
    }

    // Whatever text the program holds, its file opens as the same text.
    const QByteArray saved = textfile::encode(text);
    FUZZ_CHECK(textfile::decode(saved) == text, text);

    // Fields written by the writer read back one for one. A double quote
    // cannot stand inside a quoted field, so such fields are left out.
    QStringList writable;
    FieldWriter w;
    for (const QString &f : std::as_const(fields)) {
        if (f.contains(u'"')) continue;
        writable << f;
        w.text(f);
        if (writable.size() % 5 == 0) w.endLine();
    }
    w.endLine();
    FieldReader back(textfile::decode(w.bytes()));
    QStringList read;
    while (const auto f = back.next())
        read << *f;
    FUZZ_CHECK(read == writable,
               writable.join(u'|') + QStringLiteral(" read as ") + read.join(u'|'));
    return 0;
}
