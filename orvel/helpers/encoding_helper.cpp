#include "orvel/helpers/encoding_helper.hpp"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "tessin/core/glib_ptr.hpp"

namespace Tolvane::Orvel::Helpers {

EncodingHelper& EncodingHelper::get_singleton() {
  // Created once, even when several threads ask first; kept for the process.
  static EncodingHelper* helper = new EncodingHelper();
  return *helper;
}

EncodingHelper::EncodingHelper() : m_detector(uchardet_new()) {}

EncodingHelper::~EncodingHelper() { uchardet_delete(m_detector); }

std::string EncodingHelper::detect_buffer(const void* data, std::size_t length) {
  std::lock_guard lock(m_mutex);
  uchardet_reset(m_detector);
  if (data != nullptr && length > 0) {
    uchardet_handle_data(m_detector, static_cast<const char*>(data), length);
  }
  uchardet_data_end(m_detector);
  const char* charset = uchardet_get_charset(m_detector);
  return charset != nullptr ? std::string(charset) : std::string();
}

std::string EncodingHelper::detect_file(const std::string&) { return {}; }

std::string EncodingHelper::detect_stream(GInputStream*) { return {}; }

std::string EncodingHelper::detect_file_start(const std::string& filename, std::size_t sample, std::string* error) {
  auto file = Core::GRef<GFile>::adopt(g_file_new_for_path(filename.c_str()));
  GError* raw = nullptr;
  auto stream = Core::GRef<GFileInputStream>::adopt(g_file_read(file.get(), nullptr, &raw));
  if (!stream) {
    Core::GErrorPtr owned(raw);
    if (error != nullptr) {
      *error = owned->message;
    }
    return {};
  }
  std::vector<std::uint8_t> bytes(sample);
  gsize read = 0;
  if (!g_input_stream_read_all(G_INPUT_STREAM(stream.get()), bytes.data(), bytes.size(), &read, nullptr, &raw)) {
    Core::GErrorPtr owned(raw);
    if (error != nullptr) {
      *error = owned->message;
    }
    return {};
  }
  bytes.resize(read);
  const auto starts_with = [&](std::initializer_list<std::uint8_t> mark) {
    return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
  };
  if (starts_with({0xEF, 0xBB, 0xBF})) {
    return "UTF-8";
  }
  if (starts_with({0xFF, 0xFE, 0x00, 0x00})) {
    return "UTF-32LE";
  }
  if (starts_with({0xFF, 0xFE})) {
    return "UTF-16LE";
  }
  if (starts_with({0xFE, 0xFF})) {
    return "UTF-16BE";
  }
  // A sample that is valid UTF-8 is taken as such (a character cut at the end
  // of the sample does not count against it); uchardet is for the rest.
  const char* end = nullptr;
  g_utf8_validate(reinterpret_cast<const char*>(bytes.data()), static_cast<gssize>(bytes.size()), &end);
  const std::size_t valid = static_cast<std::size_t>(end - reinterpret_cast<const char*>(bytes.data()));
  if (valid == bytes.size() || (read == sample && bytes.size() - valid < 4)) {
    return "UTF-8";
  }
  std::string guess = detect_buffer(bytes.data(), bytes.size());
  if (guess.empty() || guess == "ASCII") {
    return "UTF-8";
  }
  return guess;
}

}  // namespace Tolvane::Orvel::Helpers
