#pragma once

#include <string>

#include <gtest/gtest.h>

#include "tessin/contracts/server.hpp"
#include "tessin/supports/sqlite/provider.hpp"
#include "tests/support/glib_log_capture.hpp"
#include "tests/support/temp_dir.hpp"

namespace Tolvane::Providers::Supports::Testing {

// A temporary folder, a profile for a file in it, and the log captured so the
// provider's "Prepare" warnings stay out of the test output.
class SQLiteTest : public ::testing::Test {
 protected:
  static Contracts::ServerPtr profile(const std::string& filename, const std::string& options = "",
                                      const std::string& username = "", const std::string& password = "") {
    auto server = Contracts::Server::with_provider("SQLite");
    server->set_filename(filename);
    server->set_options(options);
    server->set_username(username);
    server->set_password(password);
    return server;
  }

  // A provider opened on `name` in the temporary folder; fails the test when
  // opening fails.
  SQLiteProviderPtr open(const std::string& name, const std::string& options = "") {
    auto provider = SQLiteProvider::create();
    auto opened = provider->open(profile(m_dir.file(name), options), "");
    EXPECT_TRUE(opened.has_value()) << opened.error().message;
    return provider;
  }

  Tolvane::Testing::TempDir m_dir;
  Tolvane::Testing::GLibLogCapture m_log;
};

}  // namespace Tolvane::Providers::Supports::Testing
