#pragma once

// A database file made by one SQL statement in a fresh temporary folder, for
// the benchmark programs; the folder goes with the object.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <glib.h>

#include "tessin/supports/sqlite/provider.hpp"

namespace Tolvane::Bench {

class TempDatabase {
 public:
  // Aborts the program when the file cannot be made: no figure would mean anything.
  TempDatabase(const char* name, const std::string& create) {
    gchar* folder = g_dir_make_tmp("tolvane-bench-XXXXXX", nullptr);
    m_folder = folder != nullptr ? folder : "";
    g_free(folder);
    m_file = sibling(name);
    auto provider = Providers::Supports::SQLiteProvider::create();
    auto server = Providers::Contracts::Server::create();
    server->set_filename(m_file);
    if (m_folder.empty() || !provider->open(server, "")) {
      std::fprintf(stderr, "cannot open %s\n", m_file.c_str());
      std::abort();
    }
    auto made = provider->execute_affect(create, false);
    if (!made) {
      std::fprintf(stderr, "cannot fill %s: %s\n", m_file.c_str(), made.error().message.c_str());
      std::abort();
    }
  }
  ~TempDatabase() {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }
  TempDatabase(const TempDatabase&) = delete;
  TempDatabase& operator=(const TempDatabase&) = delete;

  const std::string& file() const { return m_file; }
  // Another file in the same folder.
  std::string sibling(const char* name) const { return m_folder + "/" + name; }

 private:
  std::string m_folder;
  std::string m_file;
};

}  // namespace Tolvane::Bench
