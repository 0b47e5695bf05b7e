#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "orvel/contracts/log/logger.hpp"
#include "orvel/orvel_api.hpp"
#include "orvel/supports/log/log_file.hpp"
#include "orvel/supports/log/log_flusher.hpp"
#include "orvel/supports/log/log_handler.hpp"
#include "tessin/core/error.hpp"

namespace Tolvane::Orvel::Supports::Log {

class SliceFileLogHandler;
using SliceFileLogHandlerPtr = std::shared_ptr<SliceFileLogHandler>;

// The main log: size-limited slices "<name>-000.log", "<name>-001.log", ... in
// one folder, private to the user. Writing goes on in the last slice until the
// next line would take it over the maximum size; then a new slice starts. A
// maximum of 0 never starts a new slice.
//
// The folder stays bounded: only the most recent `max_slices` slices of the
// name are kept (0 keeps all). The oldest go when a new slice starts and at
// `initialize`. Nothing but names of the form "<name>-<digits>.log" is ever
// removed.
//
// No file is opened before the first line. Lines are buffered (`LogFile`): on
// disk within the flusher's interval, at once for RISKY lines, and on `close`.
// Write and rotation errors are reported to GLib's log and the line is
// dropped; the caller never sees them.
//
// Thread rules: every operation may be called from any thread; `m_mutex`
// guards the state below.
class ORVEL_API SliceFileLogHandler : public LogHandler, public BufferedSink {
  TOLVANE_OBJECT(SliceFileLogHandler)

  static constexpr std::int64_t kDefaultMaxSize = 1048576;
  static constexpr std::int64_t kDefaultMaxSlices = Contracts::Log::kDefaultMaxSlices;

  SliceFileLogHandler() = default;
  ~SliceFileLogHandler() override;
  static SliceFileLogHandlerPtr create() { return std::make_shared<SliceFileLogHandler>(); }

  // Switches to the default line format, finds the slices of `name` in
  // `folder` (one listing of the folder), removes the oldest beyond
  // `max_slices` and chooses the slice the first line goes to: the last one,
  // or the next when the last is over `max_size`. Opens nothing.
  Core::Status initialize(const char* name, const char* folder, std::int64_t max_size,
                          std::int64_t max_slices = kDefaultMaxSlices);

  void publish(LogLevel level, std::string_view server, std::string_view name, const char* format,
               va_list args) override;
  std::string recent(int lines) override;
  // Writes the waiting lines and closes the slice; later lines go nowhere.
  void close() override;
  void flush_pending() override;

  // The slice being written, or the one the first line will go to ("" before
  // `initialize`).
  std::string get_file_name() const;
  std::int64_t get_max_size() const;
  std::int64_t get_max_slices() const;

 private:
  // What went wrong under the lock, reported after it is released.
  struct Trouble {
    std::string failure;     // a lost line or a failed rotation
    std::string size_query;  // a slice whose size could not be read
    std::string removal;     // an old slice that could not be removed
  };

  std::string slice_path(std::int64_t index) const;
  // Picks the slice the next `incoming` bytes go to: the last existing one,
  // or the next when they would take it over the maximum. Sets m_index and
  // m_path; `exists` tells whether that slice is already there.
  void choose_slice_locked(std::int64_t incoming, Trouble& trouble, bool& exists);
  // Closes the open slice and opens the one the next `incoming` bytes go to.
  Core::Status rotate_locked(std::int64_t incoming, Trouble& trouble);
  // Removes the oldest known slices beyond m_max_slices.
  void prune_locked(Trouble& trouble);
  static void report(const Trouble& trouble);

  // Guarded by m_mutex:
  std::string m_folder;
  std::string m_name;
  std::int64_t m_max_size = kDefaultMaxSize;
  std::int64_t m_max_slices = kDefaultMaxSlices;
  std::int64_t m_index = 0;
  // Bytes in the current slice, written or waiting.
  std::int64_t m_size = 0;
  std::string m_path;
  // Indices of this name's slices known to exist, ascending.
  std::vector<std::int64_t> m_slices;
  // The line being rendered, kept to reuse its memory.
  std::string m_line;
  LogFile m_file;
};

}  // namespace Tolvane::Orvel::Supports::Log
