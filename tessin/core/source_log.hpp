#pragma once

// Debug and warning lines that go to the process's own GLib log carry the
// position of the code that wrote them: the source file name without folder or
// extension, the line, a colon and a blank ("provider:120: Prepare: ...").

#include <string_view>

#include <glib.h>

namespace Tolvane::Core {

constexpr std::string_view source_stem(std::string_view path) {
  std::size_t slash = path.find_last_of('/');
  if (slash != std::string_view::npos) {
    path.remove_prefix(slash + 1);
  }
  std::size_t dot = path.find_last_of('.');
  if (dot != std::string_view::npos) {
    path = path.substr(0, dot);
  }
  return path;
}

}  // namespace Tolvane::Core

#define TOLVANE_SOURCE_LOG(level, format, ...)                                                              \
  do {                                                                                                      \
    constexpr std::string_view tolvane_stem_ = ::Tolvane::Core::source_stem(__FILE__);                      \
    g_log(G_LOG_DOMAIN, level, "%.*s:%d: " format, static_cast<int>(tolvane_stem_.size()), tolvane_stem_.data(), \
          __LINE__ __VA_OPT__(, ) __VA_ARGS__);                                                            \
  } while (0)

#define TOLVANE_DEBUG(format, ...) TOLVANE_SOURCE_LOG(G_LOG_LEVEL_DEBUG, format __VA_OPT__(, ) __VA_ARGS__)
#define TOLVANE_WARNING(format, ...) TOLVANE_SOURCE_LOG(G_LOG_LEVEL_WARNING, format __VA_OPT__(, ) __VA_ARGS__)
