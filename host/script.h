// The scripted steps of the command line, run in order against the running widget.
#pragma once

#include <vector>

#include "host_app.h"
#include "options.h"

namespace host {

// Runs the steps; false when one failed (a key name not known, a snapshot not written). Stops
// early when the host finishes (the widget was removed, or Exit was chosen meanwhile).
bool runScript(HostApp& app, const std::vector<ScriptStep>& script);

}  // namespace host
