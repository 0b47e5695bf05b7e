#pragma once

#include <mutex>
#include <string>
#include <vector>

#include <glib.h>

namespace Tolvane::Testing {

// Collects what the libraries write to the GLib log (domain "tolvane") while it
// lives, instead of printing it, so tests can assert on criticals and warnings.
// Worker threads may log while it collects; read `lines()` once they are done.
class GLibLogCapture {
 public:
  struct Line {
    GLogLevelFlags level;
    std::string message;
  };

  GLibLogCapture();
  ~GLibLogCapture();
  GLibLogCapture(const GLibLogCapture&) = delete;
  GLibLogCapture& operator=(const GLibLogCapture&) = delete;

  const std::vector<Line>& lines() const { return m_lines; }
  // Whether some line at `level` contains `text`.
  bool contains(GLogLevelFlags level, const std::string& text) const;
  bool has_critical(const std::string& text) const { return contains(G_LOG_LEVEL_CRITICAL, text); }
  void clear() {
    std::lock_guard lock(m_mutex);
    m_lines.clear();
  }

 private:
  static void handler(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer self);

  mutable std::mutex m_mutex;
  std::vector<Line> m_lines;
  guint m_handler_id;
};

}  // namespace Tolvane::Testing
