#pragma once

// The controller status shown in the main window (link.indicators): home and
// output lamps, the controller version, and the version menu command.

#include "common/command_bracket.h"

#include <QChar>
#include <optional>

class Link;

// Output lamps from an output digit ("0" to "3"); any other character leaves
// them as they are. Used after a successful motion.
void showOutputs(Link &link, QChar digit);

// Home lamp and homeEstablished together.
void setHomeEstablished(Link &link, bool established);

// "0RB138": whether homing is established; nullopt when the exchange failed.
std::optional<bool> readHomeState(Link &link);

// "0RV": true with link.indicators.controllerVersion set, false on failure.
bool readControllerVersion(Link &link);

// Menu "Version Of C/T". True when the version was read.
bool showControllerVersion(Link &link, const CommandBracket &bracket);
