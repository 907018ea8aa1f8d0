#pragma once

// The controller's error list (error.lst beside the program) and what the
// main window's status area shows. The window draws StatusIndicators and
// redraws whenever Link::indicatorsChanged() is emitted; Link keeps both and
// shows an error reply with them.

#include <QList>
#include <QString>
#include <optional>

class Language;

// What the main window's status area shows. Everything starts neutral.
struct StatusIndicators {
    bool portOpen = false;
    bool homeLamp = false;
    bool out1 = false;
    bool out2 = false;
    bool alarmLamp = false;
    QString alarmNo;                                   // code as received, or empty
    QString errorComment = QStringLiteral("No Error"); // description or "No Error"
    QString versionPanel;                              // status bar panel 1

    // Kept with the home lamp; the motion operations read it.
    bool homeEstablished = false;
    // The last version read from the controller (three characters).
    QString controllerVersion;
};

class ErrorList {
public:
    static constexpr int MaxEntries = 40;

    struct Entry {
        QString code;
        QString description;
    };

    // Reads the list; false (and the list left empty) when the file is
    // missing, an item cannot be read or it holds more than MaxEntries.
    bool load(const QString &path);

    // Description of the first entry whose code has this value.
    std::optional<QString> lookup(qint64 value) const;

    const QList<Entry> &entries() const { return entries_; }

    // Set when the list could not be read; stays set for the run.
    bool listMissing = false;

    // The outcome of the last "Show controller error", read by the error report.
    bool found = false;
    QString foundDescription;
    QString lastErrorCode;

private:
    QList<Entry> entries_;
};

// Value of a hexadecimal code text such as "0E" or "E" (longest hexadecimal
// prefix; 0 when there is none).
qint64 errorCodeValue(const QString &code);

// Text shown for a code that is not in the list.
QString noContentsText(const Language &lang);
