#pragma once

// The actuator the program currently works for, the candidate a dialog or a
// position file proposes, and the catalogue of one device list file.

#include <QList>
#include <QString>
#include <QStringList>

struct DeviceRecord {
    bool tz = true;            // family TZ (else RP)
    bool newType = true;
    QString typeText;          // "NEW"/"OLD", or after a file open its type suffix
    QString size;              // exactly 3 characters, " 28", "E35"
    QString speed;             // one letter
    qint16 stroke = 0;         // mm
    qint16 lead = 0;           // mm per revolution
    qint16 ppr = 0;            // pulses per revolution
    bool vertical = false;     // the persisted "Vertical" setting
    bool verticalSpec = false; // vertical model: drives the name marker
    bool notFound = false;     // the last catalogue search failed
    QString modelName;         // caption of the device label, stored in files

    QString familyText() const { return tz ? QStringLiteral("TZ") : QStringLiteral("RP"); }
};

struct CandidateDevice {
    QString familyText = QStringLiteral("TZ");
    bool newType = true;
    QString size;
    QString speed;
    qint16 stroke = 0;
};

struct CatalogueEntry {
    QString code;
    QString size;
    QString speed;
    qint16 stroke = 0;
    qint16 lead = 0;
    qint16 ppr = 0;
    QString spare;
    qint16 verticalCode = 0;
};

struct DeviceCatalogue {
    static constexpr int MaxEntries = 99;
    static constexpr int MaxSizes = 6;
    QList<CatalogueEntry> entries; // entry i of the file is entries[i - 1]
    QStringList sizes;             // distinct sizes in order of first appearance
    bool listMissing = false;      // the last load failed; read by the device dialog
};
