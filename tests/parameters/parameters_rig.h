#pragma once

// The example set as the editor shows it, and a stand-in for the editor.

#include "parameters/parameter_transfer.h"
#include "positions/positions_rig.h"

inline ParameterFields exampleFields(bool details = false) {
    ParameterFields f;
    const char *texts[] = {"12000", "0", "20", "0", "0", "5", "5", "10", "20", "30", "2", "2", "2"};
    for (int i = 0; i < ParameterFields::Count; ++i)
        f[i] = QString::fromLatin1(texts[i]);
    f.useDefault = !details;
    f.details = details;
    return f;
}

struct EditorStandIn {
    explicit EditorStandIn(ParameterFields initial = exampleFields()) : f(initial) {
        v.fields = [this] { return f; };
        v.showFields = [this](const ParameterFields &x) { f = x; };
        v.setCaption = [this](const QString &c) { caption = c; };
        v.progress = &progress;
    }
    ParameterFields f;
    QString caption;
    RecordingProgress progress;
    ParameterView v;
};
