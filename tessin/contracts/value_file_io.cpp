#include "tessin/contracts/value_file_io.hpp"

#include <gio/gio.h>

#include "tessin/core/glib_ptr.hpp"

namespace Tolvane::Providers::Contracts::detail {

namespace {
constexpr gsize kPiece = 1024;
}

Core::Result<std::optional<std::string>> read_file(const std::string& filename) {
  auto file = Core::GRef<GFile>::adopt(g_file_new_for_path(filename.c_str()));
  if (g_file_query_exists(file.get(), nullptr) == FALSE) {
    return std::optional<std::string>();
  }
  GError* error = nullptr;
  auto stream = Core::GRef<GFileInputStream>::adopt(g_file_read(file.get(), nullptr, &error));
  if (!stream) {
    return Core::fail(Core::Error::take_gerror(error));
  }
  std::string content;
  char piece[kPiece];
  for (;;) {
    gssize n = g_input_stream_read(G_INPUT_STREAM(stream.get()), piece, kPiece, nullptr, &error);
    if (n < 0) {
      return Core::fail(Core::Error::take_gerror(error));
    }
    if (n == 0) {
      break;
    }
    content.append(piece, static_cast<std::size_t>(n));
  }
  if (g_input_stream_close(G_INPUT_STREAM(stream.get()), nullptr, &error) == FALSE) {
    return Core::fail(Core::Error::take_gerror(error));
  }
  return std::optional<std::string>(std::move(content));
}

Core::Status write_file(const std::string& filename, std::string_view content) {
  auto file = Core::GRef<GFile>::adopt(g_file_new_for_path(filename.c_str()));
  GError* error = nullptr;
  // g_file_replace writes beside the target and renames on close, so a failed
  // write leaves the old file as it was.
  auto stream = Core::GRef<GFileOutputStream>::adopt(
      g_file_replace(file.get(), nullptr, FALSE, G_FILE_CREATE_NONE, nullptr, &error));
  if (!stream) {
    return Core::fail(Core::Error::take_gerror(error));
  }
  auto* out = G_OUTPUT_STREAM(stream.get());
  std::size_t offset = 0;
  while (offset < content.size()) {
    gsize piece = std::min<gsize>(kPiece, content.size() - offset);
    gssize written = g_output_stream_write(out, content.data() + offset, piece, nullptr, &error);
    if (written < 0) {
      Core::Error failure = Core::Error::take_gerror(error);
      // Closing after a failed write must not replace the old file.
      GCancellable* cancel = g_cancellable_new();
      g_cancellable_cancel(cancel);
      g_output_stream_close(out, cancel, nullptr);
      g_object_unref(cancel);
      return Core::fail(std::move(failure));
    }
    offset += static_cast<std::size_t>(written);
  }
  if (g_output_stream_close(out, nullptr, &error) == FALSE) {
    return Core::fail(Core::Error::take_gerror(error));
  }
  return {};
}

}  // namespace Tolvane::Providers::Contracts::detail
