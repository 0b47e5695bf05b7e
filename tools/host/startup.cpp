#include "tools/host/startup.hpp"

#include <glib.h>

#include "orvel/foundation/logging_service.hpp"
#include "tessin/core/glib_ptr.hpp"
#include "tessin/core/main_context.hpp"

namespace Tolvane::Host {

Startup::Startup(Options options) : m_options(std::move(options)) {
  if (m_options.log_folder.empty()) {
    m_options.log_folder = Core::take_std(g_build_filename(g_get_user_cache_dir(), "tolvane", "log", nullptr));
  }
  // The log manager makes only the last level of the folder.
  g_mkdir_with_parents(m_options.log_folder.c_str(), 0700);
  register_services();
  register_resources();
  Orvel::Foundation::LoggingService::initialize(m_options.default_uuid, m_options.threshold, m_options.log_folder,
                                                m_options.slice_size, m_options.max_slices);
}

Startup::~Startup() { Orvel::Foundation::LoggingService::shutdown(); }

bool run_until(const std::function<bool()>& condition, unsigned timeout_ms) {
  return Core::iterate_until(condition, timeout_ms, g_main_context_default());
}

}  // namespace Tolvane::Host
