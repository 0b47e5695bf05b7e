#pragma once

#include <cstddef>
#include <mutex>
#include <string>

#include <gio/gio.h>

#include "orvel/orvel_api.hpp"

#include <uchardet/uchardet.h>

namespace Tolvane::Orvel::Helpers {

// Guesses the character set of bytes with uchardet. One process-wide instance
// holds one detector.
//
// Thread rules: `get_singleton` may be called from any thread; calls of
// `detect_buffer` from several threads are serialised on the detector's mutex.
class ORVEL_API EncodingHelper {
 public:
  static EncodingHelper& get_singleton();

  EncodingHelper(const EncodingHelper&) = delete;
  EncodingHelper& operator=(const EncodingHelper&) = delete;

  // The charset name as uchardet reports it ("UTF-8", "SHIFT_JIS", "UTF-16LE"
  // ...); "" when nothing was detected. The whole buffer is fed: callers
  // decide how much to pass.
  std::string detect_buffer(const void* data, std::size_t length);
  // Always "": detection of whole files or streams is the caller's sampling.
  std::string detect_file(const std::string& filename);
  std::string detect_stream(GInputStream* stream);

  // The encoding of a file's start: the one a byte-order mark names, else
  // uchardet's guess over the first `sample` bytes, else "UTF-8". The name is
  // one GLib's converters accept. An unreadable file gives its error text in
  // `error` and "".
  std::string detect_file_start(const std::string& filename, std::size_t sample, std::string* error);

 private:
  EncodingHelper();
  ~EncodingHelper();

  std::mutex m_mutex;
  uchardet_t m_detector;  // guarded by m_mutex
};

}  // namespace Tolvane::Orvel::Helpers
