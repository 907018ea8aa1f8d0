#include "operation/io_bits.h"

#include "common/numtext.h"

namespace io {

const std::array<Signal, SignalCount> &ioSignals() {
    static const std::array<Signal, SignalCount> table{{
        {"原点ＬＳ", "HOME LS", false, 16, 16, false},
        {"ストローブ", "STROBE", false, 20, 2, false},
        {"停止", "STOP", false, 20, 4, false},
        {"非常停止", "EMG STOP", false, 20, 32, false},
        {"位置選択１", "POSITION 1", true, 10, 16, false},
        {"位置選択２", "POSITION 2", true, 10, 32, false},
        {"位置選択４", "POSITION 4", true, 10, 64, false},
        {"位置選択８", "POSITION 8", true, 10, 128, false},
        {"アラーム", "ALARM", true, 12, 1, true},
        {"位置決め完", "IN-P", true, 12, 2, true},
        {"ＯＵＴ１", "OUT1", true, 12, 4, true},
        {"ＯＵＴ２", "OUT2", true, 12, 8, true},
    }};
    return table;
}

QString blockOf(const Signal &sig) {
    return sig.ioBlock ? QStringLiteral("2F") : QStringLiteral("20");
}

bool lampLit(const Signal &sig, const QString &reply) {
    // The reply has passed the length check; its pair is read by the number
    // rule like every number on the wire.
    const qint64 byte = num::hexVal(QStringView(reply).mid(sig.charPos - 1, 2));
    return ((byte & sig.bit) != 0) == sig.litWhenSet;
}

std::optional<OutputStatus> outputStatusOf(const QString &reply) {
    const auto digit = [&](int pos) -> int {
        const qint64 v = num::hexVal(QStringView(reply).mid(pos - 1, 1));
        return v <= 3 ? int(v) : -1;
    };
    const int outputs = digit(4);
    const int options = digit(5);
    if (outputs < 0 || options < 0) return std::nullopt;
    return OutputStatus{outputs, options};
}

QString outputStatusData(const OutputStatus &st) {
    return QString::number(st.outputs) + QString::number(st.options);
}

} // namespace io
