#include "tests/support/glib_log_capture.hpp"

namespace Tolvane::Testing {

GLibLogCapture::GLibLogCapture()
    : m_handler_id(g_log_set_handler("tolvane", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL),
                                     &GLibLogCapture::handler, this)) {}

GLibLogCapture::~GLibLogCapture() { g_log_remove_handler("tolvane", m_handler_id); }

void GLibLogCapture::handler(const gchar*, GLogLevelFlags level, const gchar* message, gpointer self) {
  auto* capture = static_cast<GLibLogCapture*>(self);
  std::lock_guard lock(capture->m_mutex);
  capture->m_lines.push_back(
      Line{static_cast<GLogLevelFlags>(level & G_LOG_LEVEL_MASK), message != nullptr ? message : ""});
}

bool GLibLogCapture::contains(GLogLevelFlags level, const std::string& text) const {
  std::lock_guard lock(m_mutex);
  for (const Line& line : m_lines) {
    if ((line.level & level) != 0 && line.message.find(text) != std::string::npos) {
      return true;
    }
  }
  return false;
}

}  // namespace Tolvane::Testing
