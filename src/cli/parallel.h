#pragma once

// Several ports at once: one worker process per port, each this program
// with the same command line and one port, run in parallel. The workers'
// output is kept apart and shown port by port; a summary table (port,
// result, time) ends the run, whose exit code is the worst of theirs.
// Ctrl+C is passed on to every worker, which stops the way the command
// stops on its own port.

#include "cli/request.h"

#include <QString>

class InterruptWatch;

int runInParallel(const CliRequest &r, const Language &lang, InterruptWatch &interrupt);
