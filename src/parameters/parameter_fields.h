#pragma once

// The editor's fields as plain data, and the rules that move values between
// them and the ParameterSet. The window (ParameterEditor) only shows and reads a
// ParameterFields; everything with a rule lives here, testable without a window.

#include "state/parameter_set.h"

#include <QString>
#include <optional>

struct ParameterFields {
    // Field order of the window: 1, 2, 3, 4 OUT, 4 BK, 5, 6, 7, 8, 9, 11, 12, 13.
    enum Field { F1, F2, F3, F4Out, F4Bk, F5, F6, F7, F8, F9, F11, F12, F13, Count };
    static constexpr int MainFields = 10; // parameters 1 to 9
    QString text[Count];
    int homing = 0;         // option selected: 0 pushing, 1 sensor, -1 neither
    bool useDefault = true; // "Apply Default Parameters" check box
    bool details = false;   // the parameter details option, as the window was opened

    QString &operator[](int f) { return text[f]; }
    const QString &operator[](int f) const { return text[f]; }
};

// Typing limit of a field: 8 characters for field 1, 3 for all others.
int fieldMaxLength(int field);
// The check when a field loses the focus: false means empty it and beep.
// Fields 11 to 13 are never checked.
bool fieldValueAllowed(int field, const QString &text);

// Shows the set in the fields.
void showParameters(const ParameterSet &p, ParameterFields &f);
// Takes the fields into the set; false on a conversion error (set unchanged).
bool takeFields(const ParameterFields &f, ParameterSet &p);
// True when one of the fields of parameters 1 to 9 is empty.
bool anyRequiredFieldEmpty(const ParameterFields &f);
// False when the editor holds nothing at all.
bool fieldsHoldData(const ParameterFields &f);
// True when an item is out of range; the item labels go into errList in order.
bool fieldsOutOfRange(const ParameterFields &f, QString &errList);
// The default check box rule: checked puts "2" into fields 11 to 13.
void applyDefaultCheck(ParameterFields &f, bool checked);
