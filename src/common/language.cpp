#include "common/language.h"

#include "resources/text_table.h"

QString Language::text(int n) const {
    return textTableEntry(textBase_ + n);
}
