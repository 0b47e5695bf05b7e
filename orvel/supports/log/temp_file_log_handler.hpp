#pragma once

#include <memory>
#include <string>

#include "orvel/orvel_api.hpp"
#include "orvel/supports/log/log_file.hpp"
#include "orvel/supports/log/log_flusher.hpp"
#include "orvel/supports/log/log_handler.hpp"

namespace Tolvane::Orvel::Supports::Log {

class TempFileLogHandler;
using TempFileLogHandlerPtr = std::shared_ptr<TempFileLogHandler>;

// A connection's own log: a new file "<name>-XXXXXX.log" in the system's
// temporary folder, private to the user, whose whole content `recent` returns.
// The library never deletes it. Lines are buffered as the main log's are
// (`LogFile`); `recent` writes the waiting ones first, so it always sees every
// line published before it.
//
// Thread rules: every operation may be called from any thread; `m_mutex`
// guards the file.
class ORVEL_API TempFileLogHandler : public LogHandler, public BufferedSink {
  TOLVANE_OBJECT(TempFileLogHandler)

  TempFileLogHandler() = default;
  ~TempFileLogHandler() override;
  static TempFileLogHandlerPtr create() { return std::make_shared<TempFileLogHandler>(); }

  // Creates the file; a failure is reported to GLib's log and leaves the handler
  // writing nowhere.
  virtual void initialize(const char* name);
  void publish(LogLevel level, std::string_view server, std::string_view name, const char* format,
               va_list args) override;
  std::string recent(int lines) override;
  // Writes the waiting lines and closes the file; later lines go nowhere.
  void close() override;
  void flush_pending() override;

  // The path of the temporary file ("" when none was made).
  std::string get_file_name() const;

 private:
  // Guarded by m_mutex.
  LogFile m_file;
};

}  // namespace Tolvane::Orvel::Supports::Log
