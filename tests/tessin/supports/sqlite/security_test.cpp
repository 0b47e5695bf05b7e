#include "tessin/contracts/values.hpp"
#include "tests/tessin/supports/sqlite/sqlite_fixture.hpp"

namespace Tolvane::Providers::Supports::Testing {
namespace {

using namespace Contracts;

TEST(SQLiteKey, TheKeyIsTheFirstPasswordPieceUpToItsSeparator) {
  EXPECT_EQ(SQLiteProvider::key_of("PASSWORD=secret;cipher=chacha20"), "secret");
  EXPECT_EQ(SQLiteProvider::key_of("mode=rw, PASSWORD=a1 PASSWORD=b2"), "a1");
  EXPECT_EQ(SQLiteProvider::key_of("mode=rw;PASSWORD="), "");
  EXPECT_EQ(SQLiteProvider::key_of("password=secret"), "") << "the marker is case-sensitive";
  EXPECT_EQ(SQLiteProvider::key_of("PASSWORD=k=v"), "k=v") << "split at the first '=' only";
  EXPECT_EQ(SQLiteProvider::key_of(""), "");
}

using SQLiteEncryption = SQLiteTest;

TEST_F(SQLiteEncryption, AKeyedDatabaseReadsBackOnlyWithItsKey) {
  const std::string file = m_dir.file("secret.db");
  {
    auto provider = SQLiteProvider::create();
    ASSERT_TRUE(provider->open(profile(file, "PASSWORD=secret;kdf_iter=4000"), "").has_value());
    ASSERT_TRUE(provider->execute_statements("CREATE TABLE notes(body); INSERT INTO notes VALUES ('plain words');",
                                             false));
  }
  const std::string bytes = Tolvane::Testing::read_text(file);
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes.find("SQLite format 3"), std::string::npos);
  EXPECT_EQ(bytes.find("plain words"), std::string::npos);

  auto provider = SQLiteProvider::create();
  for (const char* options : {"", "password=secret", "PASSWORD=", "PASSWORD=wrong"}) {
    auto opened = provider->open(profile(file, options), "");
    ASSERT_FALSE(opened.has_value()) << options;
    EXPECT_EQ(opened.error(), (Core::Error{"SQLite", 26, "file is not a database"})) << options;
    EXPECT_FALSE(provider->get_is_opened());
  }

  ASSERT_TRUE(provider->open(profile(file, "PASSWORD=secret"), "").has_value());
  auto body = provider->execute_scalar("SELECT body FROM notes", false);
  ASSERT_TRUE(body.has_value()) << body.error().message;
  EXPECT_EQ((*body)->to_string(), "plain words");
}

class SQLiteUserAuthentication : public SQLiteTest {
 protected:
  // A database made with the former user-authentication extension: its users
  // table, one administrator "alice" with the password "s3cret", and data.
  std::string make_user_database();
};

std::string SQLiteUserAuthentication::make_user_database() {
  const std::string file = m_dir.file("users.db");
  auto provider = SQLiteProvider::create();
  EXPECT_TRUE(provider->open(profile(file), "").has_value());
  auto made = provider->execute_statements(
      "PRAGMA writable_schema = ON;"
      "CREATE TABLE sqlite_user(uname TEXT PRIMARY KEY, isAdmin BOOLEAN, pw BLOB) WITHOUT ROWID;"
      "PRAGMA writable_schema = OFF;"
      "INSERT INTO sqlite_user VALUES ('alice', 1, sqlite_crypt('s3cret', NULL));"
      "CREATE TABLE data(x); INSERT INTO data VALUES (7);",
      false);
  EXPECT_TRUE(made.has_value());
  for (const auto& element : *made) {
    auto error = std::dynamic_pointer_cast<ValueError>(element);
    EXPECT_FALSE(error) << error->get_message();
  }
  return file;
}

TEST_F(SQLiteUserAuthentication, CryptKeepsTheSaltOfAMatchingBlob) {
  auto provider = open("crypt.db");
  auto same = provider->execute_scalar(
      "WITH c(pw) AS (SELECT sqlite_crypt('ab', NULL)) "
      "SELECT length(pw) = 10 AND sqlite_crypt('ab', pw) = pw AND sqlite_crypt('ac', pw) <> pw FROM c",
      false);
  ASSERT_TRUE(same.has_value()) << same.error().message;
  EXPECT_EQ((*same)->to_string(), "1");
  auto salted = provider->execute_scalar(
      "SELECT hex(sqlite_crypt(x'0102', x'10203040506070800000'))", false);
  EXPECT_EQ((*salted)->to_string(), "10203040506070801122");
}

TEST_F(SQLiteUserAuthentication, ADatabaseWithoutUsersNeedsNoLogin) {
  auto provider = SQLiteProvider::create();
  ASSERT_TRUE(provider->open(profile(m_dir.file("plain.db"), "", "bob", "anything"), "").has_value());
  EXPECT_EQ((*provider->execute_scalar("SELECT 1", false))->to_string(), "1");
}

TEST_F(SQLiteUserAuthentication, TheRightCredentialsOpenTheDatabase) {
  const std::string file = make_user_database();
  auto provider = SQLiteProvider::create();
  ASSERT_TRUE(provider->open(profile(file, "", "alice", "s3cret"), "").has_value());
  EXPECT_TRUE(provider->get_is_opened());
  EXPECT_EQ((*provider->execute_scalar("SELECT x FROM data", false))->to_string(), "7");
}

TEST_F(SQLiteUserAuthentication, AWrongPasswordOrUserIsDenied) {
  const std::string file = make_user_database();
  auto provider = SQLiteProvider::create();
  for (auto [user, password] : {std::pair{"alice", "S3CRET"}, std::pair{"mallory", "s3cret"}}) {
    auto opened = provider->open(profile(file, "", user, password), "");
    ASSERT_FALSE(opened.has_value()) << user;
    EXPECT_EQ(opened.error(), (Core::Error{"SQLite", 23, "authorization denied"}));
    EXPECT_FALSE(provider->get_is_opened());
    // The handle kept after the failure reads nothing either.
    auto data = provider->execute_scalar("SELECT x FROM data", false);
    ASSERT_FALSE(data.has_value());
    EXPECT_EQ(data.error().code, 23);
  }
}

TEST_F(SQLiteUserAuthentication, WithoutCredentialsNothingCanBeRead) {
  const std::string file = make_user_database();
  auto provider = SQLiteProvider::create();
  // A user name with an empty password is no credential at all.
  ASSERT_TRUE(provider->open(profile(file, "", "alice", ""), "").has_value());
  for (const char* statement : {"SELECT x FROM data", "SELECT 1", "DELETE FROM sqlite_user"}) {
    auto denied = provider->execute_model(statement, false);
    ASSERT_FALSE(denied.has_value()) << statement;
    EXPECT_EQ(denied.error().domain, "SQLite");
    EXPECT_EQ(denied.error().code, 23) << statement;
  }
}

}  // namespace
}  // namespace Tolvane::Providers::Supports::Testing
