#include "orvel/supports/data/extractors/output_sink.hpp"

#include <cerrno>

namespace Tolvane::Orvel::Supports::Data::Extractors {

namespace {
constexpr std::size_t kStreamBuffer = 1 << 16;
}

OutputSink::~OutputSink() = default;

Core::Status TextSink::write(std::string_view text) {
  m_text.append(text);
  return {};
}

Core::Result<std::unique_ptr<FileSink>> FileSink::open(const std::string& filename) {
  auto file = Core::AtomicFile::open(filename);
  if (!file) {
    return Core::fail(file.error());
  }
  return std::unique_ptr<FileSink>(new FileSink(std::move(*file)));
}

Core::Status FileSink::write(std::string_view text) { return m_file->write(text); }

Core::Status FileSink::finish() { return m_file->commit(); }

namespace {

Core::Status stdio_failure(std::FILE* stream) {
  const int error_number = errno;
  std::clearerr(stream);
  return Core::fail(Core::Error::gio_domain(), g_io_error_from_errno(error_number), g_strerror(error_number));
}

}  // namespace

Core::Status StdioSink::write(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), m_stream) != text.size()) {
    return stdio_failure(m_stream);
  }
  return {};
}

Core::Status StdioSink::finish() {
  if (std::fflush(m_stream) != 0) {
    return stdio_failure(m_stream);
  }
  return {};
}

StreamSink::StreamSink(GOutputStream* stream) : m_stream(Core::GRef<GOutputStream>::share(stream)) {
  m_buffer.reserve(kStreamBuffer);
}

StreamSink::~StreamSink() = default;

Core::Status StreamSink::write(std::string_view text) {
  if (m_buffer.size() + text.size() > kStreamBuffer) {
    if (auto flushed = flush(); !flushed) {
      return flushed;
    }
  }
  m_buffer.append(text);
  return {};
}

Core::Status StreamSink::flush() {
  GError* raw = nullptr;
  gsize written = 0;
  if (!m_buffer.empty() &&
      !g_output_stream_write_all(m_stream.get(), m_buffer.data(), m_buffer.size(), &written, nullptr, &raw)) {
    return Core::fail(Core::Error::take_gerror(raw));
  }
  m_buffer.clear();
  return {};
}

Core::Status StreamSink::finish() {
  if (auto flushed = flush(); !flushed) {
    return flushed;
  }
  GError* raw = nullptr;
  if (!g_output_stream_flush(m_stream.get(), nullptr, &raw)) {
    return Core::fail(Core::Error::take_gerror(raw));
  }
  return {};
}

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
