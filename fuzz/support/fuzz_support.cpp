#include "fuzz/support/fuzz_support.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <glib.h>
#include <glib/gstdio.h>

namespace Tolvane::Fuzz {

namespace {

void log_handler(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
  if ((level & (G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_ERROR)) != 0) {
    std::fprintf(stderr, "GLib critical in %s: %s\n", domain != nullptr ? domain : "(no domain)", message);
    std::abort();
  }
}

std::string* g_scratch = nullptr;

void remove_scratch() {
  if (g_scratch == nullptr) {
    return;
  }
  if (GDir* dir = g_dir_open(g_scratch->c_str(), 0, nullptr)) {
    while (const char* name = g_dir_read_name(dir)) {
      gchar* path = g_build_filename(g_scratch->c_str(), name, nullptr);
      g_remove(path);
      g_free(path);
    }
    g_dir_close(dir);
  }
  g_rmdir(g_scratch->c_str());
}

}  // namespace

void fail(std::string_view property, std::string_view detail) {
  std::fprintf(stderr, "\nproperty failed: %.*s\n", static_cast<int>(property.size()), property.data());
  if (!detail.empty()) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(detail.size()), detail.data());
  }
  std::fflush(stderr);
  std::abort();
}

std::string excerpt(std::string_view text, std::size_t limit) {
  std::string out;
  for (std::size_t i = 0; i < text.size() && i < limit; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n' || (c >= 0x20 && c < 0x7F)) {
      out.push_back(static_cast<char>(c));
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  if (text.size() > limit) {
    out += "...";
  }
  return out;
}

void initialize() {
  g_log_set_default_handler(log_handler, nullptr);
  // Lines of the library's own domain go through its handler too.
  g_log_set_handler("tolvane", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION),
                    log_handler, nullptr);
}

const std::string& scratch_folder() {
  if (g_scratch == nullptr) {
    // In memory where there is such a file system: saving syncs the file, and
    // on a disk that makes a target thirty times slower.
    const bool in_memory = g_access("/dev/shm", W_OK | X_OK) == 0;
    std::string path = std::string(in_memory ? "/dev/shm" : g_get_tmp_dir()) + "/tolvane-fuzz-XXXXXX";
    if (g_mkdtemp(path.data()) == nullptr) {
      fail("a scratch folder can be made", path);
    }
    g_scratch = new std::string(std::move(path));
    std::atexit(remove_scratch);
  }
  return *g_scratch;
}

std::string write_scratch_file(std::string_view name, std::string_view text) {
  const std::string path = scratch_folder() + "/" + std::string(name);
  GError* error = nullptr;
  if (g_file_set_contents(path.c_str(), text.data(), static_cast<gssize>(text.size()), &error) == FALSE) {
    fail("the input can be written to the scratch folder", error != nullptr ? error->message : "");
  }
  return path;
}

std::size_t json_depth(std::string_view json) {
  std::size_t depth = 0;
  std::size_t deepest = 0;
  bool in_string = false;
  for (std::size_t i = 0; i < json.size(); ++i) {
    const char c = json[i];
    if (in_string) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      deepest = std::max(deepest, ++depth);
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return deepest;
}

}  // namespace Tolvane::Fuzz

// Every target's start-up, unless the target has one of its own that calls
// `initialize` (weak, so such a definition takes its place).
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int*, char***) {
  Tolvane::Fuzz::initialize();
  return 0;
}
