#pragma once

// Why a port could not be opened, in words a shop-floor user can act on.
//
// Opening a port fails for a handful of reasons that the serial driver
// reports in only a few codes: a device that is not there, a device file
// the user may not open, and a device another program holds all come back
// as "permission" or "not found". The link classifies each failure once,
// when it happens, and keeps it until the next successful open; the status
// bar, the port lamp's tip, the I/O monitor, the communication log and the
// command-line tool all word it with describePortFailure.

#include <QSerialPort>
#include <QString>

class Language;

struct PortFailure {
    enum class Reason {
        NoDevice,         // the port number maps to no device at all
        DeviceMissing,    // the number names a device that is not there (adapter unplugged)
        PermissionDenied, // the device file may not be opened by this user
        InUse,            // another program holds the device
        Other,
    };
    Reason reason = Reason::Other;
    int portNumber = 0; // 0: a device given by its path, not by a number
    QString device;     // empty for NoDevice
    QString group;      // PermissionDenied: the group that owns the device file
    QString errorText;  // Other: what the driver said
};

// The reason from what opening reported and what the device file looks
// like. The driver says "permission" both for a file the user may not open
// and for a device that is locked or busy; the file's own access rights
// tell the two apart.
PortFailure::Reason classifyOpenFailure(QSerialPort::SerialPortError error, bool deviceExists,
                                        bool deviceAccessible);

// Looks at the device file and classifies a failed open of it.
PortFailure examineOpenFailure(int portNumber, const QString &device,
                               QSerialPort::SerialPortError error, const QString &errorText);

// One line in the run's language, e.g. "COM3 (/dev/ttyUSB2): permission
// denied — your user needs to be in the group dialout".
QString describePortFailure(const PortFailure &failure, const Language &lang);
