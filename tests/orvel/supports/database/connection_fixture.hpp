#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "orvel/foundation/logging_service.hpp"
#include "orvel/supports/database/sqlite/sqlite_connection.hpp"
#include "tessin/contracts/server.hpp"
#include "tests/support/glib_log_capture.hpp"
#include "tests/support/temp_dir.hpp"
#include "tools/host/startup.hpp"

namespace Tolvane::Orvel::Supports::Database::Testing {

// A host started with its main log in a temporary folder, profiles for files in
// that folder, and GLib's log captured so the provider's warnings stay out of
// the output. The connections' own temporary logs are removed afterwards.
class ConnectionTest : public ::testing::Test {
 protected:
  ~ConnectionTest() override {
    m_host.reset();
    remove_connection_logs();
  }

  // A profile for `name` in the temporary folder, under a uuid of its own.
  Providers::Contracts::ServerPtr profile(const std::string& name) {
    auto server = Providers::Contracts::Server::with_provider("SQLite");
    server->set_driver("SQLite3");
    server->set_filename(m_dir.file(name));
    server->set_initial("main");
    m_uuids.push_back(server->get_uuid());
    return server;
  }

  // A connection opened on `name`; fails the test when the open fails.
  std::shared_ptr<SQLiteConnection> open(const std::string& name) {
    auto connection = SQLiteConnection::create();
    auto opened = connection->open(profile(name), nullptr);
    EXPECT_TRUE(opened.has_value()) << opened.error().message;
    return connection;
  }

  // The main log as written so far.
  std::string main_log() const {
    // Log lines wait in memory for a moment; write them before reading.
    Foundation::LoggingService::flush();
    return Tolvane::Testing::read_text(m_dir.file("log/main-000.log"));
  }

  static Host::Options options_for(const Tolvane::Testing::TempDir& dir) {
    Host::Options options;
    options.default_uuid = "main";
    options.log_folder = dir.file("log");
    options.slice_size = 0;
    return options;
  }

  Tolvane::Testing::TempDir m_dir;
  Tolvane::Testing::GLibLogCapture m_log;
  std::unique_ptr<Host::Startup> m_host = std::make_unique<Host::Startup>(options_for(m_dir));

 private:
  // Each connection logs into "<uuid>-XXXXXX.log" in the temporary folder.
  void remove_connection_logs() const {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(g_get_tmp_dir(), ignored)) {
      const std::string name = entry.path().filename().string();
      for (const std::string& uuid : m_uuids) {
        if (name.starts_with(uuid + "-") && name.ends_with(".log")) {
          std::filesystem::remove(entry.path(), ignored);
        }
      }
    }
  }

  std::vector<std::string> m_uuids;
};

}  // namespace Tolvane::Orvel::Supports::Database::Testing
