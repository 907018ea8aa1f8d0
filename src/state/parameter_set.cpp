#include "state/parameter_set.h"

#include "common/numtext.h"

double ParameterSlots::number(int i) const {
    const QVariant &v = slot.at(i);
    if (!v.isValid()) return 0;
    if (v.typeId() == QMetaType::QString) return num::val(v.toString());
    return v.toDouble();
}

bool takeParameterSlots(const ParameterSlots &da, ParameterSet &p) {
    ParameterSet next;
    const auto l1 = num::toInt32(da.number(1));
    const auto l2 = num::toInt32(da.number(2));
    if (!l1 || !l2) return false;
    next.strokeLength = *l1;
    next.homeOffset = *l2;
    qint16 *shorts[] = {&next.homePushing,
                        &next.homeOutPort,
                        &next.homeOutBk,
                        &next.homingVelocity,
                        &next.offsetVelocity,
                        &next.vel1,
                        &next.vel2,
                        &next.vel3,
                        &next.spareA,
                        &next.spareB,
                        &next.currentReleaseTime,
                        &next.brakeReleaseTime,
                        &next.brakeExecTime,
                        &next.homingMethod};
    for (int i = 0; i < 14; ++i) {
        const auto v = num::toInt16(da.number(3 + i));
        if (!v) return false;
        *shorts[i] = *v;
    }
    p = next;
    return true;
}
