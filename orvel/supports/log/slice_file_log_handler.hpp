#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "orvel/orvel_api.hpp"
#include "orvel/supports/log/log_handler.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Supports::Log {

class SliceFileLogHandler;
using SliceFileLogHandlerPtr = std::shared_ptr<SliceFileLogHandler>;

// The main log: size-limited slices "<name>-000.log", "<name>-001.log", ... in
// one folder, private to the user. Writing goes on in the last slice until the
// next line would take it over the maximum size; then a new slice starts. A
// maximum of 0 never starts a new slice. Slices are never deleted.
//
// Each line is one unbuffered write, so lines are complete on disk as soon as
// the call returns and a crash loses none. Write and rotation errors are
// reported to GLib's log and the line is dropped; the caller never sees them.
class ORVEL_API SliceFileLogHandler : public LogHandler {
  TOLVANE_OBJECT(SliceFileLogHandler)

  static constexpr std::int64_t kDefaultMaxSize = 1048576;

  SliceFileLogHandler() = default;
  ~SliceFileLogHandler() override;
  static SliceFileLogHandlerPtr create() { return std::make_shared<SliceFileLogHandler>(); }

  // Switches to the default line format, finds the highest slice number of
  // `name` in `folder` and opens the last slice (or the next one when the last
  // is over `max_size`).
  Core::Status initialize(const char* name, const char* folder, std::int64_t max_size);

  void publish(LogLevel level, std::string_view server, std::string_view name, const char* format,
               va_list args) override;
  std::string recent(int lines) override;
  void close() override;

  // The slice being written ("" before `initialize`).
  std::string get_file_name() const;
  std::int64_t get_max_size() const;

 private:
  std::string slice_path(std::int64_t index) const;
  // Closes the open slice and opens the one the next `incoming` bytes go to.
  Core::Status rotate_locked(std::int64_t incoming, std::string& warning);
  Core::Status close_locked();

  std::string m_folder;
  std::string m_name;
  std::int64_t m_max_size = kDefaultMaxSize;
  std::int64_t m_index = 0;
  std::int64_t m_size = 0;
  std::string m_path;
  int m_fd = -1;
};

}  // namespace Tolvane::Orvel::Supports::Log
