#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include <gio/gio.h>

#include "orvel/orvel_api.hpp"
#include "tessin/core/atomic_file.hpp"
#include "tessin/core/error.hpp"
#include "tessin/core/glib_ptr.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

// Where an export writes its document, piece by piece. `finish` ends a
// successful document; a sink dropped without it keeps nothing that a reader
// could take for a complete document (a file is not replaced).
class ORVEL_API OutputSink {
 public:
  virtual ~OutputSink();
  virtual Core::Status write(std::string_view text) = 0;
  virtual Core::Status finish() = 0;
};

// Appends to a text.
class ORVEL_API TextSink final : public OutputSink {
 public:
  explicit TextSink(std::string& text) : m_text(text) {}
  Core::Status write(std::string_view text) override;
  Core::Status finish() override { return {}; }

 private:
  std::string& m_text;
};

// Replaces a file atomically: the target changes only on `finish`.
class ORVEL_API FileSink final : public OutputSink {
 public:
  static Core::Result<std::unique_ptr<FileSink>> open(const std::string& filename);
  Core::Status write(std::string_view text) override;
  Core::Status finish() override;

 private:
  explicit FileSink(std::unique_ptr<Core::AtomicFile> file) : m_file(std::move(file)) {}
  std::unique_ptr<Core::AtomicFile> m_file;
};

// Writes to a C stream (standard output); `finish` flushes it and reports a
// failed write.
class ORVEL_API StdioSink final : public OutputSink {
 public:
  explicit StdioSink(std::FILE* stream) : m_stream(stream) {}
  Core::Status write(std::string_view text) override;
  Core::Status finish() override;

 private:
  std::FILE* m_stream;
};

// Writes to an output stream (a GIO stream, a socket) through a buffer;
// `finish` flushes it.
class ORVEL_API StreamSink final : public OutputSink {
 public:
  explicit StreamSink(GOutputStream* stream);
  ~StreamSink() override;
  Core::Status write(std::string_view text) override;
  Core::Status finish() override;

 private:
  Core::Status flush();

  Core::GRef<GOutputStream> m_stream;
  std::string m_buffer;
};

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
