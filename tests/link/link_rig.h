#pragma once

// A run-wide state wired to a simulated controller on a pty, which the real
// port code opens as port 1 through TZC3_COM1.

#include "state/app_state.h"
#include "common/settings_store.h"
#include "link/error_list.h"
#include "link/port_map.h"
#include "common/command_bracket.h"
#include "sim_server.h"
#include "common/scripted_prompter.h"

#include <QTemporaryDir>
#include <QtTest>

struct LinkRig {
    explicit LinkRig(int language = 2)
        : settings(dir.filePath(QStringLiteral("settings.ini"))),
          s(settings, prompter, QStringLiteral(TZC3_BUILD_DIR)) {
        s.setLanguage(language);
        startSim();
        s.link.loadErrorList(s.programFolder);
        QObject::connect(&s.link, &Link::portOpenChanged,
                         [this](bool open) { lampChanges << open; });
    }
    void startSim() {
        QVERIFY(sim.start());
        sim.setPaced(false);
        qputenv("TZC3_COM1", sim.devicePath().toLocal8Bit());
    }
    // A menu procedure's command bracket, counting its two halves.
    CommandBracket bracket() {
        return {[this] { ++disabled; }, [this] { ++enabled; }};
    }
    QTemporaryDir dir;
    SettingsStore settings;
    ScriptedPrompter prompter;
    AppState s;
    SimServer sim;
    QList<bool> lampChanges;
    int disabled = 0, enabled = 0;
};

// The messages of the link, as the user reads them.
namespace msg {
inline const QString timeOut =
    QStringLiteral("Communication timeout error!\r\n\r\nCheck the followings;\r\n\r\n"
                   " 1.Power ON for controller?\r\n\r\n 2.Communication cables are connected?");
inline const QString dataLength =
    QStringLiteral("Communication data length error occurs!\r\n\r\nLength of data is wrong.");
} // namespace msg
