#pragma once

// --trace FILE: every line sent and received and everything that happened to
// the port, one line each with a millisecond timestamp, appended to a file
// that several workers may share.
//
//   2025-03-04 10:15:02.118 /dev/ttyUSB0 > 0RP1
//   2025-03-04 10:15:02.151 /dev/ttyUSB0 < 0RP110200000064 (33 ms)

#include "link/link_event.h"

#include <QFile>
#include <QObject>
#include <QString>

class Link;

class TraceWriter : public QObject {
    Q_OBJECT
public:
    TraceWriter(Link &link, const QString &label);
    // False (with the file's error in errorString()) when it cannot be opened.
    bool open(const QString &path);
    QString errorString() const { return file_.errorString(); }

    // The line written for an event, without the timestamp and the label.
    static QString describe(const LinkEvent &e);

private:
    void onTraffic(const LinkEvent &e);

    QFile file_;
    QString label_;
};
