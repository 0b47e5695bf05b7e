#include "tests/support/temp_dir.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <glib.h>

namespace Tolvane::Testing {

TempDir::TempDir() {
  gchar* made = g_dir_make_tmp("tolvane-test-XXXXXX", nullptr);
  m_path = made != nullptr ? made : "";
  g_free(made);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void write_text(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

}  // namespace Tolvane::Testing
