#pragma once

#include <glib.h>

namespace Tolvane::Core {

// The message catalogue of the system. Without an installed catalogue the text
// comes back unchanged.
inline constexpr const char* kGettextDomain = "tolvane";

inline const char* _(const char* message) { return g_dgettext(kGettextDomain, message); }

}  // namespace Tolvane::Core
