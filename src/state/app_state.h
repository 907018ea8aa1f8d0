#pragma once

// The run-wide objects, one of each for the whole run. main() creates one
// AppState and passes it by reference; a test builds its own and throws it
// away. No globals, no singletons.

#include "common/language.h"
#include "common/prompter.h"
#include "common/settings_store.h"
#include "link/communication_log.h"
#include "link/link.h"
#include "state/device_record.h"
#include "state/parameter_set.h"
#include "state/position_table.h"

#include <QString>
#include <optional>

struct Options {
    bool showParameterDetails = false; // show and print parameters 11 to 13
    bool overrideBrakeDigit = false;   // override the brake/current-down digit
    qint16 brakeDigit = 2;
};

struct AppState {
    AppState(SettingsStore &settingsStore, Prompter &prompterRef, const QString &folder)
        : settings(settingsStore), prompter(prompterRef), programFolder(folder) {
        QObject::connect(&link, &Link::traffic, &log, &CommunicationLog::record);
    }
    AppState(const AppState &) = delete;
    AppState &operator=(const AppState &) = delete;

    SettingsStore &settings;
    Prompter &prompter;
    QString programFolder; // where the lists and the help file lie
    QString helpPath;

    // The run's language (1 Japanese, anything else English), fixed for the run.
    Language lang;
    bool languageChangePending = false;
    bool japanese() const { return lang.japanese(); }
    // Text(N) of the numbered table in the run's language.
    QString text(int n) const { return lang.text(n); }
    // A text written into the program as a Japanese/English pair.
    QString tx(const char *ja, const char *en) const { return lang.tx(ja, en); }
    void setLanguage(int code) { lang.set(code); }

    bool roundUpHalves = true;
    // The port number the command line gave: used for this run, never saved.
    std::optional<qint16> portForThisRun;
    bool exitCancelled = false;
    Options options;

    DeviceRecord device;
    CandidateDevice candidate;
    DeviceCatalogue catalogue;
    qint32 maxPulse = 0;
    double maxMm = 0; // maxPulse in mm truncated to three decimals

    PositionTable positions;
    QString fileLabel;       // the current file name shown in the main window
    ProgramSequence program; // the motion program, saved with the positions
    // Set when positions or parameters went to the controller: the motion
    // operations drop what they cached from it at their next start. New
    // positions also make the remembered position of the actuator unknown;
    // new parameters do not move it.
    bool motionDataStale = false;
    bool presentPositionStale = false;

    ParameterSet parameters; // zeroed until a file, the controller or the editor fills it
    ParameterSlots parameterSlots;

    // Last: the link refers to the state above.
    Link link{settings, prompter, lang};
    // Everything the link reports, from the start of the run.
    CommunicationLog log;

    // An operation talks to the controller: closing is refused and every
    // command that could use the port is shut (BusyScope marks it).
    bool controllerBusy() const { return link.busy(); }
};
