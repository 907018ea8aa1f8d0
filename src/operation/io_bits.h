#pragma once

// What the controller's input/output replies mean, without any window: the
// twelve signals of the I/O monitor and the bits that carry them, and the
// output/option digits that "0RS" reads and "0WS" writes.

#include <QString>
#include <array>
#include <optional>

namespace io {

// One lamp of the I/O monitor. Two characters of a "0RD" reply, read as one
// hexadecimal byte, carry the signal in one bit.
struct Signal {
    const char *ja;
    const char *en;
    bool ioBlock;    // block "2F"; otherwise block "20"
    int charPos;     // 1-based position of the byte's first character
    int bit;         // bit value within that byte
    bool litWhenSet; // outputs light on 1; the inputs are wired active-low
};

inline constexpr int SignalCount = 12;
// HOME LS, STROBE, STOP, EMG STOP, POSITION 1/2/4/8, ALARM, IN-P, OUT1, OUT2.
const std::array<Signal, SignalCount> &ioSignals();
// The first signal that is an output (the rest are outputs too).
inline constexpr int FirstOutput = 8;

// The block address a signal is read from: "20" or "2F".
QString blockOf(const Signal &sig);

// Whether the lamp of `sig` is lit according to a checked reply of its block.
bool lampLit(const Signal &sig, const QString &reply);

// The output digit (bit 1 OUT1, bit 2 OUT2) and the drive option digit
// (bit 1 brake, bit 2 current down) as "0WS" takes them and "0RS" gives them.
struct OutputStatus {
    int outputs = 0;
    int options = 0;
};

// Digits of a checked "0RS" reply; nullopt when either is not 0 to 3.
std::optional<OutputStatus> outputStatusOf(const QString &reply);

// Data of "0WS": the output digit followed by the option digit.
QString outputStatusData(const OutputStatus &st);

} // namespace io
