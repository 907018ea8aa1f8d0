#pragma once

// Which device a port number 1 to 9 means. Users and the settings store speak
// of "COM1" to "COM9"; this is the one place that turns such a number into
// something the serial port can open.
//
// 1. The environment variable TZC3_COM<n> (for example TZC3_COM1=/dev/pts/7)
//    wins on every system; the simulator and unusual set-ups use it.
// 2. On Windows the number is the port "COM<n>".
// 3. Elsewhere the number counts the machine's serial devices in this order:
//    USB serial adapters /dev/ttyUSB*, then USB modem-class adapters
//    /dev/ttyACM*, then built-in ports /dev/ttyS*, then any other serial
//    device the system reports (by name); within each group in numeric order
//    (ttyUSB2 before ttyUSB10). On macOS the call-out devices /dev/cu.* are
//    used and their /dev/tty.* twins skipped, since those wait for a carrier.
//    Number 1 is the first device of that list.

#include <QList>
#include <QString>
#include <QStringList>

namespace portmap {

enum class Source { Environment, Windows, Enumerated, None };

struct PortMapping {
    QString device; // empty when the number means no device
    Source source = Source::None;
};

// The device for port number n, and where that answer came from.
PortMapping mappingFor(int n);

// The device path (or Windows port name) for port number n; empty when none.
QString portDeviceFor(int n);

// The machine's serial devices in the numbering order above (without the
// environment overrides).
QStringList serialDevices();

// Orders device paths by the numbering rule; exposed for the tests.
QStringList orderDevices(const QStringList &paths);

// A short text for the options page: the device that number n means, with
// "(TZC3_COM<n>)" after it when the environment chose it; "-" when none.
QString describePort(int n);

// One serial device of the machine and the port number that reaches it.
struct PortRow {
    int number = 0; // 1 to 9; 0 when no number reaches the device
    QString device;
    QString description; // what the system calls it ("USB-Serial Controller"), if anything
    Source source = Source::None;
};

// Numbers 1 to 9 that mean a device, in number order, then the machine's
// serial devices no number reaches.
QList<PortRow> portTable();

} // namespace portmap
