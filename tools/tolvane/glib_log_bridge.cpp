#include "tools/tolvane/glib_log_bridge.hpp"

#include <cstdio>
#include <cstring>

#include <glib.h>

#include "orvel/foundation/logging_service.hpp"

namespace Tolvane::Cli {

namespace {

using Orvel::Foundation::LoggingService;

bool g_verbose = false;
// A line the log service writes about its own trouble must not come back to it.
thread_local bool t_forwarding = false;

bool about_logging(const char* message) {
  return std::strncmp(message, "handler_", 8) == 0 || std::strncmp(message, "manager:", 8) == 0;
}

void forward(const gchar*, GLogLevelFlags level, const gchar* message, gpointer) {
  const char* text = message != nullptr ? message : "";
  const bool serious = (level & (G_LOG_LEVEL_ERROR | G_LOG_LEVEL_CRITICAL)) != 0;
  if (g_verbose || serious || t_forwarding || about_logging(text)) {
    std::fprintf(stderr, "tolvane: %s\n", text);
  }
  if (t_forwarding || about_logging(text)) {
    return;
  }
  t_forwarding = true;
  if (serious || (level & G_LOG_LEVEL_WARNING) != 0) {
    LoggingService::warning(nullptr, "%s", text);
  } else if ((level & G_LOG_LEVEL_DEBUG) != 0) {
    LoggingService::debug(nullptr, "%s", text);
  } else {
    LoggingService::info(nullptr, "%s", text);
  }
  t_forwarding = false;
}

}  // namespace

void bridge_glib_log(bool verbose) {
  g_verbose = verbose;
  g_log_set_handler("tolvane", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK & ~G_LOG_LEVEL_ERROR), forward, nullptr);
}

}  // namespace Tolvane::Cli
