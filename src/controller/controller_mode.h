#pragma once

// The controller's operating mode: communication mode (commands from this
// program) or external start mode (its own inputs), and its reset. The
// program keeps no record of the mode; every operation that needs the
// communication mode asks for it again.

#include "common/command_bracket.h"
#include "common/language.h"

class Link;

// "0CM1" with a 1000 ms reply time-out. False on failure (reported).
bool setCommunicationMode(Link &link);

// Menu "External start mode(&G)": asks, then "0CM0". True when the
// controller took the mode.
bool externalStartMode(Link &link, const CommandBracket &bracket);

// Menu "Communication Mode(&T)": asks, then "0CM1". True when the controller
// took the mode.
bool communicationMode(Link &link, const CommandBracket &bracket);

// The reset offer at the end of a parameter write: asks, then writes "0CM3"
// without awaiting a reply. True when "0CM3" was written.
bool resetController(Link &link);
// The question that offer asks.
QString resetQuestion(const Language &lang);

// Error reset (the Reset button): "0%C" to the controller, then communication
// mode. False on failure (already reported by the transaction).
bool errorReset(Link &link);

// The report for the homing error "0B".
void showHomingSensorError(Link &link);
