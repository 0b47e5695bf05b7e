#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "orvel/contracts/log/log_level.hpp"
#include "orvel/contracts/log/logger.hpp"

namespace Tolvane::Host {

// What a host chooses at start-up.
struct Options {
  // The main log's uuid; its slice files are "<uuid>-NNN.log".
  std::string default_uuid = "tolvane";
  Orvel::Contracts::Log::LogLevel threshold = Orvel::Contracts::Log::LogLevel::PLAIN;
  // The main log's folder, made (with its parents, private to the user) when
  // missing; empty means "<user cache folder>/tolvane/log".
  std::string log_folder;
  // Slice size in bytes; 0 never starts a new slice.
  std::int64_t slice_size = 1048576;
  // How many of the newest slices the log folder keeps; older ones are removed
  // at start-up and whenever a new slice starts. 0 keeps all.
  std::int64_t max_slices = Orvel::Contracts::Log::kDefaultMaxSlices;
};

// Registers in the process-wide container every service the libraries resolve.
// Each service that lands adds its registration here, so every host stays
// complete by calling this one function.
void register_services();
// Registers the libraries' resource bundle ("extensions.json", the file-type
// signature table); once per process.
void register_resources();

// The start-up and shut-down of a host, for as long as this object lives:
// creates the process-wide container, registers the services, initialises the
// logging service and, when it goes, shuts logging down (which writes every
// waiting line). Starting is light: the log folder is listed once (for the
// slices to keep), but no log file is opened and no thread started before the
// first line is written.
class Startup {
 public:
  explicit Startup(Options options = {});
  ~Startup();
  Startup(const Startup&) = delete;
  Startup& operator=(const Startup&) = delete;

  const Options& options() const { return m_options; }

 private:
  Options m_options;
};

// Runs the process's default main context, which carries the completions of
// asynchronous operations, until `condition` holds or `timeout_ms` has passed;
// returns whether the condition held.
bool run_until(const std::function<bool()>& condition, unsigned timeout_ms);

}  // namespace Tolvane::Host
