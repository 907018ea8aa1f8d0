#pragma once

// Device list files, the catalogue loaded from one of them, saving and
// restoring the current device, and its model name.

#include "state/device_record.h"

#include <QStringList>
#include <optional>

struct AppState;

namespace device {

// The list file for a family and type, in the program's folder.
QString listFilePath(const QString &folder, bool tz, bool newType);

// Reads a list file; nullopt on any error (missing, malformed, more than 99
// entries or six sizes).
std::optional<DeviceCatalogue> readListFile(const QString &path);

// Loads the catalogue for the current device (candidateMode false) or for the
// candidate's family and type; on failure shows the no-list message and sets
// catalogue.listMissing.
bool loadCatalogue(AppState &s, bool candidateMode);

// Direct lookups in a list file (not the loaded catalogue).
bool isInList(AppState &s, bool newType, const QString &familyText, const QString &size,
              const QString &speed, int stroke);
struct LeadPpr {
    bool found = false;
    qint16 lead = 0;
    qint16 ppr = 0;
};
LeadPpr lookupLeadPpr(AppState &s, const QString &familyText, bool newType, const QString &size,
                      const QString &speed, int stroke);
// The entry's vertical code; none when no entry matches or the file is unreadable.
std::optional<int> lookupVerticalCode(AppState &s, bool newType, const QString &familyText,
                                      const QString &size, const QString &speed, int stroke);

// Searches the loaded catalogue for the current device or the candidate; on a
// match sets lead (and ppr); otherwise sets notFound and says so.
bool findDeviceInCatalogue(AppState &s, bool candidateForm);

QStringList speedsForSize(const DeviceCatalogue &c, const QString &size);

bool restoreDevice(AppState &s);
void saveDevice(AppState &s);

// Stroke as three characters with leading blanks, "X" when longer.
QString strokeText(int stroke);
// Builds s.device.modelName from the device and its list entry.
void buildModelName(AppState &s);
// Parses a position file's model name into the candidate; false (with the
// no-type message, or silently for an over-long suffix) when unusable.
bool parseModelName(AppState &s, const QString &name, const QString &typeLine);
// After a successful parse: the device takes the candidate and its catalogue
// values. Returns whether the device was found in its catalogue.
bool adoptCandidate(AppState &s);
// After the device dialog: true when the device changed. A cancel changes
// nothing and says nothing; no device resulting from the choice says so.
bool applyDeviceChange(AppState &s, bool cancelled);

} // namespace device
