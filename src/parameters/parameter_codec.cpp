#include "parameters/parameter_codec.h"

#include "common/numtext.h"

namespace params {

namespace {

bool fitsInt16(qint64 v) {
    return v >= -32768 && v <= 32767;
}

} // namespace

std::optional<QStringList> encodeParameterBlocks(const ParameterSet &p, bool useDefault) {
    // The controller's own program computed these in 16 bits; a value that
    // would have overflowed there must not reach the wire as something else.
    const qint64 outBk = qint64(p.homeOutPort) * 10 + p.homeOutBk;
    const qint64 spares = qint64(p.spareA) * 10 + p.spareB;
    const qint64 v1 = qint64(p.vel1) * 4, v2 = qint64(p.vel2) * 4, v3 = qint64(p.vel3) * 4;
    for (qint64 v : {outBk, spares, v1, v2, v3})
        if (!fitsInt16(v)) return std::nullopt;

    using num::decField;
    using num::hexField;
    const QString details = useDefault ? QStringLiteral("020202")
                                       : hexField(p.currentReleaseTime, 2) +
                                             hexField(p.brakeReleaseTime, 2) +
                                             hexField(p.brakeExecTime, 2);
    return QStringList{QStringLiteral("00FF") + decField(outBk, 2) + hexField(p.homePushing, 2) +
                           hexField(p.homeOffset, 4) + QStringLiteral("FFFFFF"),
                       QStringLiteral("10") + hexField(p.strokeLength, 6) + decField(spares, 2) +
                           details + QStringLiteral("FF"),
                       QStringLiteral("11") + hexField(v1, 2) + hexField(v2, 2) + hexField(v3, 2) +
                           hexField(p.homingVelocity, 2) + hexField(p.offsetVelocity, 2) +
                           (p.homingMethod == 0 ? QStringLiteral("01") : QStringLiteral("00")) +
                           QStringLiteral("FFFF")};
}

QString itemsBlocksCannotCarry(const ParameterSet &p, bool useDefault) {
    const auto hexFits = [](qint64 v, int width) {
        return v >= 0 && v < (qint64(1) << (4 * width));
    };
    const auto digit = [](qint64 v) { return v >= 0 && v <= 9; };
    struct Item {
        bool fits;
        const char *label;
    };
    const Item items[] = {{hexFits(p.strokeLength, 6), "1,"},
                          {hexFits(p.homeOffset, 4), "2,"},
                          {hexFits(p.homePushing, 2), "3,"},
                          {digit(p.homeOutPort), "4-OUT,"},
                          {digit(p.homeOutBk), "4-BK,"},
                          {hexFits(p.homingVelocity, 2), "5,"},
                          {hexFits(p.offsetVelocity, 2), "6,"},
                          {hexFits(qint64(p.vel1) * 4, 2), "7,"},
                          {hexFits(qint64(p.vel2) * 4, 2), "8,"},
                          {hexFits(qint64(p.vel3) * 4, 2), "9,"},
                          {useDefault || hexFits(p.currentReleaseTime, 2), "11,"},
                          {useDefault || hexFits(p.brakeReleaseTime, 2), "12,"},
                          {useDefault || hexFits(p.brakeExecTime, 2), "13,"}};
    QString labels;
    for (const Item &it : items)
        if (!it.fits) labels += QLatin1String(it.label);
    return labels;
}

void decodeParameterBlock(const QString &address, const QString &data, ParameterSlots &da,
                          bool takeDetails) {
    auto at = [&](int from, int len) {
        return double(num::hexVal(QStringView(data).mid(from - 1, len)));
    };
    if (address == QLatin1String("00")) {
        da[4] = at(3, 1);
        da[5] = at(4, 1);
        da[3] = at(5, 2);
        da[2] = at(7, 4);
    } else if (address == QLatin1String("10")) {
        da[1] = at(1, 6);
        for (int i = 0; i < 3; ++i)
            da[13 + i] = takeDetails ? at(9 + 2 * i, 2) : 2.0;
    } else if (address == QLatin1String("11")) {
        // VEL is kept in quarter steps; 10.5 stays 10.5 until takeParameterSlots.
        da[8] = at(1, 2) / 4;
        da[9] = at(3, 2) / 4;
        da[10] = at(5, 2) / 4;
        da[6] = at(7, 2);
        da[7] = at(9, 2);
        da[16] = at(11, 2) == 0 ? 1.0 : 0.0;
    }
}

} // namespace params
