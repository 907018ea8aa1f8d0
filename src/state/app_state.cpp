#include "state/app_state.h"

#include "resources/text_table.h"

QString AppState::text(int n) const { return textTableEntry(textBase + n); }
