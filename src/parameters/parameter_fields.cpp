#include "parameters/parameter_fields.h"

#include "common/numtext.h"

namespace {

struct FieldRange {
    qint32 min, max;
};

// What the user may leave in a field. Looser bounds apply before a transfer
// (fieldsOutOfRange); the two checks are separate on purpose.
constexpr FieldRange kFieldRange[ParameterFields::Count] = {
    {1, 120000}, {0, 700}, {0, 255}, {0, 3},   {0, 3},   {1, 16}, {1, 16},
    {1, 60},     {1, 60},  {1, 60},  {0, 255}, {0, 255}, {0, 255}};

qint16 *shortOf(ParameterSet &p, int field) {
    switch (field) {
    case ParameterFields::F3:
        return &p.homePushing;
    case ParameterFields::F4Out:
        return &p.homeOutPort;
    case ParameterFields::F4Bk:
        return &p.homeOutBk;
    case ParameterFields::F5:
        return &p.homingVelocity;
    case ParameterFields::F6:
        return &p.offsetVelocity;
    case ParameterFields::F7:
        return &p.vel1;
    case ParameterFields::F8:
        return &p.vel2;
    case ParameterFields::F9:
        return &p.vel3;
    case ParameterFields::F11:
        return &p.currentReleaseTime;
    case ParameterFields::F12:
        return &p.brakeReleaseTime;
    case ParameterFields::F13:
        return &p.brakeExecTime;
    default:
        return nullptr;
    }
}

qint64 valueOf(const ParameterSet &p, int field) {
    if (field == ParameterFields::F1) return p.strokeLength;
    if (field == ParameterFields::F2) return p.homeOffset;
    return *shortOf(const_cast<ParameterSet &>(p), field);
}

} // namespace

int fieldMaxLength(int field) {
    return field == ParameterFields::F1 ? 8 : 3;
}

bool fieldValueAllowed(int field, const QString &text) {
    if (field >= ParameterFields::F11) return true;
    std::optional<qint32> v;
    if (field == ParameterFields::F1)
        v = num::int32Of(text);
    else if (const auto s = num::int16Of(text))
        v = *s;
    return v && *v >= kFieldRange[field].min && *v <= kFieldRange[field].max;
}

void showParameters(const ParameterSet &p, ParameterFields &f) {
    for (int i = ParameterFields::F1; i <= ParameterFields::F9; ++i)
        f[i] = QString::number(valueOf(p, i));
    f.homing = p.homingMethod == 1 ? 1 : 0;
    const bool showOwn = f.details && !f.useDefault;
    for (int i = ParameterFields::F11; i <= ParameterFields::F13; ++i)
        f[i] = showOwn ? QString::number(valueOf(p, i)) : QStringLiteral("2");
}

bool takeFields(const ParameterFields &f, ParameterSet &p) {
    ParameterSet next = p;
    const auto l1 = num::int32Of(f[ParameterFields::F1]);
    const auto l2 = num::int32Of(f[ParameterFields::F2]);
    if (!l1 || !l2) return false;
    next.strokeLength = *l1;
    next.homeOffset = *l2;
    for (int i = ParameterFields::F3; i <= ParameterFields::F13; ++i) {
        if (i >= ParameterFields::F11 && f.useDefault) {
            *shortOf(next, i) = 2;
            continue;
        }
        const auto v = num::int16Of(f[i]);
        if (!v) return false;
        *shortOf(next, i) = *v;
    }
    next.homingMethod = f.homing == 0 ? 0 : 1;
    next.spareA = 0;
    next.spareB = 2;
    p = next;
    return true;
}

bool anyRequiredFieldEmpty(const ParameterFields &f) {
    for (int i = ParameterFields::F1; i <= ParameterFields::F9; ++i)
        if (f[i].isEmpty()) return true;
    return false;
}

bool fieldsHoldData(const ParameterFields &f) {
    const int last = f.useDefault ? ParameterFields::F9 : ParameterFields::F13;
    for (int i = ParameterFields::F1; i <= last; ++i)
        if (!f[i].isEmpty()) return true;
    return false;
}

bool fieldsOutOfRange(const ParameterFields &f, QString &errList) {
    struct Item {
        int field; // -1: the homing method
        qint64 min, max;
        int maxLength;
        const char *label;
    };
    static constexpr Item items[] = {{ParameterFields::F1, 0, 16777215, 8, "1,"},
                                     {ParameterFields::F2, 0, 700, 5, "2,"},
                                     {ParameterFields::F3, 0, 255, 3, "3,"},
                                     {ParameterFields::F4Out, 0, 255, 3, "4-OUT,"},
                                     {ParameterFields::F4Bk, 0, 255, 3, "4-BK,"},
                                     {ParameterFields::F5, 0, 255, 3, "5,"},
                                     {ParameterFields::F6, 0, 255, 3, "6,"},
                                     {ParameterFields::F7, 1, 60, 2, "7,"},
                                     {ParameterFields::F8, 1, 60, 2, "8,"},
                                     {ParameterFields::F9, 1, 60, 2, "9,"},
                                     {-1, 0, 1, 1, "10,"},
                                     {ParameterFields::F11, 0, 255, 3, "11,"},
                                     {ParameterFields::F12, 0, 255, 3, "12,"},
                                     {ParameterFields::F13, 0, 255, 3, "13,"}};
    errList.clear();
    for (const Item &it : items) {
        std::optional<qint64> v;
        if (it.field < 0)
            v = f.homing == 0 ? 0 : f.homing == 1 ? 1 : 2;
        else if (it.field >= ParameterFields::F11 && f.useDefault)
            v = 2;
        else if (it.field <= ParameterFields::F2) {
            if (const auto l = num::int32Of(f[it.field])) v = *l;
        } else if (const auto s = num::int16Of(f[it.field])) {
            v = *s;
        }
        // A value that does not even convert is as wrong as one out of range.
        const bool ok =
            v && QString::number(*v).size() <= it.maxLength && *v >= it.min && *v <= it.max;
        if (!ok) errList += QLatin1String(it.label);
    }
    return !errList.isEmpty();
}

void applyDefaultCheck(ParameterFields &f, bool checked) {
    f.useDefault = checked;
    if (!checked) return;
    for (int i = ParameterFields::F11; i <= ParameterFields::F13; ++i)
        f[i] = QStringLiteral("2");
}
