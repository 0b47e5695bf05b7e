#pragma once

#include <string>

namespace Tolvane::Testing {

// A fresh folder under the system temporary folder, removed with its content.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return m_path; }
  std::string file(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

// The content of a file; "" when it cannot be read.
std::string read_text(const std::string& path);
void write_text(const std::string& path, const std::string& content);

}  // namespace Tolvane::Testing
