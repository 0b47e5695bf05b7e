#include "tessin/supports/sqlite/user_authentication.hpp"

#include <cstring>
#include <memory>

#include <sqlite3.h>

#include "tessin/supports/sqlite/statement_handle.hpp"

namespace Tolvane::Providers::Supports::UserAuthentication {

namespace {

constexpr int kSaltSize = 8;

Core::Error engine_error(sqlite3* database) {
  return Core::Error{"SQLite", sqlite3_errcode(database), sqlite3_errmsg(database)};
}

void crypt_function(sqlite3_context* context, int, sqlite3_value** argv) {
  const auto* input = static_cast<const unsigned char*>(sqlite3_value_blob(argv[0]));
  const int input_size = sqlite3_value_bytes(argv[0]);
  unsigned char salt[kSaltSize];
  if (sqlite3_value_type(argv[1]) == SQLITE_BLOB && sqlite3_value_bytes(argv[1]) == input_size + kSaltSize) {
    std::memcpy(salt, sqlite3_value_blob(argv[1]), kSaltSize);
  } else {
    sqlite3_randomness(kSaltSize, salt);
  }
  auto* output = static_cast<unsigned char*>(sqlite3_malloc(input_size + kSaltSize));
  if (output == nullptr) {
    sqlite3_result_error_nomem(context);
    return;
  }
  std::memcpy(output, salt, kSaltSize);
  for (int i = 0; i < input_size; ++i) {
    output[kSaltSize + i] = static_cast<unsigned char>(input[i] ^ salt[i % kSaltSize]);
  }
  sqlite3_result_blob(context, output, input_size + kSaltSize, sqlite3_free);
}

int deny_everything(void*, int, const char*, const char*, const char*, const char*) { return SQLITE_DENY; }

Core::Result<bool> has_user_table(sqlite3* database) {
  // Preparing this reads the schema: a wrong key or a file that is not a
  // database shows here.
  sqlite3_stmt* raw = nullptr;
  int code = sqlite3_prepare_v2(
      database, "SELECT 1 FROM \"main\".sqlite_schema WHERE type = 'table' AND name = 'sqlite_user' COLLATE NOCASE",
      -1, &raw, nullptr);
  StatementPtr statement(raw);
  if (code != SQLITE_OK) {
    return Core::fail(engine_error(database));
  }
  code = sqlite3_step(statement.get());
  if (code == SQLITE_ROW) {
    return true;
  }
  if (code == SQLITE_DONE) {
    return false;
  }
  return Core::fail(engine_error(database));
}

Core::Status check_login(sqlite3* database, const std::string& username, const std::string& password) {
  sqlite3_stmt* raw = nullptr;
  int code = sqlite3_prepare_v2(database, "SELECT pw=sqlite_crypt(?1,pw), isAdmin FROM \"main\".sqlite_user WHERE uname=?2",
                                -1, &raw, nullptr);
  StatementPtr statement(raw);
  if (code != SQLITE_OK) {
    return Core::fail(engine_error(database));
  }
  sqlite3_bind_blob(statement.get(), 1, password.data(), static_cast<int>(password.size()), SQLITE_STATIC);
  sqlite3_bind_text(statement.get(), 2, username.data(), static_cast<int>(username.size()), SQLITE_STATIC);
  code = sqlite3_step(statement.get());
  if (code == SQLITE_ROW && sqlite3_column_int(statement.get(), 0) != 0) {
    return {};
  }
  if (code != SQLITE_ROW && code != SQLITE_DONE) {
    return Core::fail(engine_error(database));
  }
  return Core::fail("SQLite", SQLITE_AUTH, sqlite3_errstr(SQLITE_AUTH));
}

}  // namespace

Core::Status register_crypt(sqlite3* database) {
  const int code =
      sqlite3_create_function_v2(database, "sqlite_crypt", 2, SQLITE_UTF8, nullptr, crypt_function, nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) {
    return Core::fail(engine_error(database));
  }
  return {};
}

Core::Status authenticate(sqlite3* database, const std::string& username, const std::string& password) {
  auto required = has_user_table(database);
  if (!required) {
    return Core::fail(std::move(required.error()));
  }
  if (!*required) {
    return {};
  }
  if (!username.empty() && !password.empty()) {
    auto login = check_login(database, username, password);
    if (login) {
      return {};
    }
    sqlite3_set_authorizer(database, deny_everything, nullptr);
    return login;
  }
  sqlite3_set_authorizer(database, deny_everything, nullptr);
  return {};
}

}  // namespace Tolvane::Providers::Supports::UserAuthentication
