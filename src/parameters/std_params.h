#pragma once

// The standard parameter lists beside the program: the factory values of
// parameters 1 to 9, the spares and 11 to 13 for each device model. The
// homing method is not in the lists; it follows the device dialog's choice.

#include <QList>
#include <QString>
#include <optional>

namespace params {

struct StandardParameters {
    QString code;           // e.g. " 28L-100"
    QString size;           // characters 1 to 3 of the code
    QString speed;          // character 4
    qint16 stroke = 0;      // characters 6 to 8
    double values[15] = {}; // ParameterSlots slots 1 to 15
    int sensor = 0;
};

struct StdParaList {
    static constexpr int MaxRecords = 99;
    QList<StandardParameters> records;
};

// The list file for a family and type in the program's folder.
QString standardListPath(const QString &folder, const QString &familyText, bool newType);

// Reads a list; nullopt when it is missing or malformed or holds more than 99
// records. Each record's sensor flag is 1 for the TZ family when `sensor`.
std::optional<StdParaList> loadStandardParameters(const QString &path, const QString &familyText,
                                                  bool sensor);

// The first record for the size, speed and stroke, or nullptr.
const StandardParameters *findStandardParameters(const StdParaList &list, const QString &size,
                                                 const QString &speed, int stroke);

} // namespace params
