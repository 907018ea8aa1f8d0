#pragma once

// The exchanges behind the I/O monitor and the output change window, without
// the windows: one poll of the twelve signals, and the read and the write of
// the outputs with the brake and current-down options. Each opens the port,
// switches the controller to communication mode and holds the link busy; a
// failed exchange has been reported by the link.

#include "operation/io_bits.h"

#include <array>
#include <optional>

class Link;

namespace io {

// What one poll read: a signal of a block that was not read stays nullopt
// (its lamp keeps what it showed). ok is false when any exchange failed.
struct Poll {
    bool ok = false;
    std::array<std::optional<bool>, SignalCount> lit;
};
// "0CM1", then "0RD20" and "0RD2F". The port stays open, as monitoring
// keeps it between polls.
Poll pollSignals(Link &link);

// "0CM1", then "0RS". nullopt when an exchange failed or the reply holds a
// digit outside 0 to 3 ("Fail to read output status." has then been said).
// The port is closed unless kept.
std::optional<OutputStatus> readOutputStatus(Link &link);

// "0CM1", then "0WS". false when an exchange failed. The port is closed
// unless kept.
bool writeOutputStatus(Link &link, const OutputStatus &status);

} // namespace io
