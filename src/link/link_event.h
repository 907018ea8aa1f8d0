#pragma once

// What the link reports of the line as it happens: every line sent, every
// reply, and what became of the port. The communication log keeps these and
// the command line's trace writes them; nobody has to listen.

#include <QByteArray>
#include <QString>

struct LinkEvent {
    enum class Kind {
        Sent,       // a command line went out (bytes with CR LF)
        Received,   // a complete reply came in (bytes with CR LF)
        Discarded,  // input that answered nothing we asked, thrown away before a command
        TimeOut,    // no complete reply within the time allowed
        WrongReply, // a reply of the wrong head, length or position; the probe follows
        PortOpened, // note: the device
        PortClosed,
        PortOpenFailed, // note: the device, or empty when the number maps to none
        PortLost,       // the adapter went away or the line broke while open
    };
    Kind kind = Kind::Sent;
    qint64 msecsSinceEpoch = 0;
    QByteArray bytes;
    QString note;
    // Received and TimeOut: milliseconds since the command went out.
    qint64 elapsedMs = -1;
    // Sent: the line is the recovery probe after a wrong reply.
    bool probe = false;
    // Part of the I/O monitor's periodic poll (Link::polling).
    bool polling = false;
    // The port number the link was using (0: a device given by its path).
    qint16 portNumber = 0;
    // PortOpenFailed: why, in the run's language (describePortFailure).
    QString failure;
};
