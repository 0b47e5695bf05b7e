#pragma once

#include <string>

namespace Tolvane::Testing {

// Where headless Chromium is on the path (Debian package chromium); "" when
// it is not installed, so that browser checks can skip.
std::string find_chromium();

// The DOM of the page in `file` after `chromium` has loaded it and run its
// scripts, printed by the browser; a fresh profile folder under the page's
// folder keeps runs apart. "" (and a failed test) when the browser cannot run.
std::string dump_dom(const std::string& chromium, const std::string& file);

}  // namespace Tolvane::Testing
