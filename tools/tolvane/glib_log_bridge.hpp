#pragma once

namespace Tolvane::Cli {

// Sends what the libraries write to GLib's log (domain "tolvane": the
// provider's "Prepare: ..." lines, for instance) into the main log file instead
// of the terminal. Problems of the logging itself, and programming errors
// (criticals), still go to standard error; with `verbose` everything does.
void bridge_glib_log(bool verbose);

}  // namespace Tolvane::Cli
