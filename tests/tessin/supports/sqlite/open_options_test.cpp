#include <chrono>
#include <thread>

#include <glib.h>

#include "tessin/contracts/values.hpp"
#include "tessin/supports/sqlite/open_options.hpp"
#include "tests/tessin/supports/sqlite/sqlite_fixture.hpp"

namespace Tolvane::Providers::Supports::Testing {
namespace {

using namespace Contracts;
using Pieces = std::vector<std::pair<std::string, std::string>>;

TEST(SQLiteOpenOptions, PiecesSplitAtSeparatorsAndAtTheFirstEqualsSignOnly) {
  EXPECT_EQ(SQLiteOpenOptions::pieces("PASSWORD=a=b;cipher=chacha20, x"),
            (Pieces{{"PASSWORD", "a=b"}, {"cipher", "chacha20"}, {"x", ""}}));
  EXPECT_EQ(SQLiteOpenOptions::pieces(" ;, "), Pieces{});
  EXPECT_EQ(SQLiteOpenOptions::pieces("PASSWORD="), (Pieces{{"PASSWORD", ""}}));
}

TEST(SQLiteOpenOptions, QuotedValuesHoldSeparatorsAndQuotes) {
  EXPECT_EQ(SQLiteOpenOptions::pieces("PASSWORD=\"a b;c,d\";READONLY=true"),
            (Pieces{{"PASSWORD", "a b;c,d"}, {"READONLY", "true"}}));
  EXPECT_EQ(SQLiteOpenOptions::pieces("PASSWORD=\"say \"\"hi\"\"\""), (Pieces{{"PASSWORD", "say \"hi\""}}));
  // A quote that is not closed right before a separator is plain text, as it
  // always was.
  EXPECT_EQ(SQLiteOpenOptions::pieces("PASSWORD=\"abc;x=1"), (Pieces{{"PASSWORD", "\"abc"}, {"x", "1"}}));
  EXPECT_EQ(SQLiteOpenOptions::pieces("PASSWORD=\"a\"b"), (Pieces{{"PASSWORD", "\"a\"b"}}));
  EXPECT_EQ(SQLiteOpenOptions::pieces("PASSWORD=a\"b"), (Pieces{{"PASSWORD", "a\"b"}}));
}

TEST(SQLiteOpenOptions, EveryKeyRoundTripsThroughItsPiece) {
  for (std::string key : {"plain", "a=b", "with blank", "semi;colon", "com,ma", "\"quoted\"", "\"", "\"\"",
                          "end\"", "", "tab\tand\nline", "ünï©ode", "'single'"}) {
    const std::string piece = SQLiteOpenOptions::key_piece(key);
    EXPECT_EQ(SQLiteProvider::key_of(piece + ";READONLY=false"), key) << piece;
    EXPECT_EQ(SQLiteProvider::key_of("x=1 " + piece), key) << piece;
  }
  // Plain keys are written as they are, so existing profiles keep their text.
  EXPECT_EQ(SQLiteOpenOptions::key_piece("s3cret!"), "PASSWORD=s3cret!");
  EXPECT_EQ(SQLiteOpenOptions::key_piece("a b"), "PASSWORD=\"a b\"");
}

TEST(SQLiteOpenOptions, ParseReadsTheProvidersOwnNames) {
  auto plain = SQLiteOpenOptions::parse("mode=rw;PASSWORD=k1;PASSWORD=k2");
  ASSERT_TRUE(plain.has_value());
  EXPECT_EQ(plain->key, "k1") << "the first key counts";
  EXPECT_EQ(plain->busy_timeout, 5000);
  EXPECT_FALSE(plain->read_only);
  EXPECT_TRUE(plain->cipher_parameters.empty()) << "without a cipher other pieces are not cipher parameters";

  auto full = SQLiteOpenOptions::parse("LEGACY=3 CIPHER=SQLCipher BUSY_TIMEOUT=250 READONLY=yes KDF_ITER=64000");
  ASSERT_TRUE(full.has_value()) << full.error().message;
  EXPECT_EQ(full->cipher, "sqlcipher");
  EXPECT_EQ(full->busy_timeout, 250);
  EXPECT_TRUE(full->read_only);
  EXPECT_EQ(full->cipher_parameters, (std::vector<std::pair<std::string, int>>{{"legacy", 3}, {"kdf_iter", 64000}}));

  for (const char* bad : {"BUSY_TIMEOUT=soon", "BUSY_TIMEOUT=-1", "READONLY=maybe", "CIPHER=sqlcipher;LEGACY=three"}) {
    auto parsed = SQLiteOpenOptions::parse(bad);
    ASSERT_FALSE(parsed.has_value()) << bad;
    EXPECT_EQ(parsed.error().code, -1);
  }
  EXPECT_EQ(SQLiteOpenOptions::parse("READONLY=maybe").error().message, "READONLY needs true or false, not \"maybe\"");
}

using SQLiteOpening = SQLiteTest;

TEST_F(SQLiteOpening, AKeyWithEveryKindOfCharacterOpensItsDatabase) {
  const std::string key = "a=b; c,\"d\" e";
  const std::string file = m_dir.file("odd-key.db");
  {
    auto provider = SQLiteProvider::create();
    ASSERT_TRUE(provider->open(profile(file, SQLiteOpenOptions::key_piece(key)), "").has_value());
    ASSERT_TRUE(provider->execute_affect("CREATE TABLE t(x)", false).has_value());
  }
  auto provider = SQLiteProvider::create();
  auto cut = provider->open(profile(file, "PASSWORD=a"), "");
  ASSERT_FALSE(cut.has_value()) << "the key must not be cut at its first '='";
  EXPECT_EQ(cut.error().code, 26);
  ASSERT_TRUE(provider->open(profile(file, SQLiteOpenOptions::key_piece(key)), "").has_value());
}

TEST_F(SQLiteOpening, ReadOnlyOpeningsRefuseWritesAndDoNotCreateFiles) {
  const std::string file = m_dir.file("ro.db");
  open("ro.db")->execute_affect("CREATE TABLE t(x)", false);
  for (const std::string& name : {file, "file:" + file + "?mode=ro"}) {
    auto provider = SQLiteProvider::create();
    ASSERT_TRUE(provider->open(profile(name, name == file ? "READONLY=true" : ""), "").has_value()) << name;
    EXPECT_TRUE(provider->execute_scalar("SELECT count(*) FROM t", false).has_value());
    auto write = provider->execute_affect("INSERT INTO t VALUES (1)", false);
    ASSERT_FALSE(write.has_value()) << name;
    EXPECT_EQ(write.error().code, 8) << "SQLITE_READONLY";
  }
  auto missing = SQLiteProvider::create()->open(profile(m_dir.file("missing.db"), "READONLY=1"), "");
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error().code, 14) << "SQLITE_CANTOPEN";
  EXPECT_FALSE(g_file_test(m_dir.file("missing.db").c_str(), G_FILE_TEST_EXISTS));
}

TEST_F(SQLiteOpening, ALockedDatabaseIsWaitedForUpToTheBusyTimeout) {
  auto holder = open("busy.db");
  ASSERT_TRUE(holder->execute_statements("CREATE TABLE t(x); BEGIN IMMEDIATE; INSERT INTO t VALUES (1);", false));

  auto impatient = SQLiteProvider::create();
  ASSERT_TRUE(impatient->open(profile(m_dir.file("busy.db"), "BUSY_TIMEOUT=0"), "").has_value());
  auto at_once = impatient->execute_affect("INSERT INTO t VALUES (2)", false);
  ASSERT_FALSE(at_once.has_value());
  EXPECT_EQ(at_once.error().code, 5) << "SQLITE_BUSY";

  // The default waits: the holder commits while the writer waits.
  auto patient = open("busy.db");
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(holder->commit().has_value());
  });
  auto waited = patient->execute_affect("INSERT INTO t VALUES (3)", false);
  release.join();
  ASSERT_TRUE(waited.has_value()) << waited.error().message;
  EXPECT_EQ((*patient->execute_scalar("SELECT count(*) FROM t", false))->to_string(), "2");
}

TEST_F(SQLiteOpening, AnInterruptEndsTheWaitForALock) {
  auto holder = open("busy2.db");
  ASSERT_TRUE(holder->execute_statements("CREATE TABLE t(x); BEGIN IMMEDIATE; INSERT INTO t VALUES (1);", false));
  auto waiter = SQLiteProvider::create();
  ASSERT_TRUE(waiter->open(profile(m_dir.file("busy2.db"), "BUSY_TIMEOUT=60000"), "").has_value());
  const auto start = std::chrono::steady_clock::now();
  std::thread stop([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    waiter->interrupt();
  });
  auto write = waiter->execute_affect("INSERT INTO t VALUES (2)", false);
  stop.join();
  EXPECT_FALSE(write.has_value());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

TEST_F(SQLiteOpening, UnknownCiphersAndParametersAreRefusedByName) {
  auto provider = SQLiteProvider::create();
  auto cipher = provider->open(profile(m_dir.file("c.db"), "CIPHER=rot13;PASSWORD=k"), "");
  ASSERT_FALSE(cipher.has_value());
  EXPECT_NE(cipher.error().message.find("unknown cipher \"rot13\" (known: "), std::string::npos)
      << cipher.error().message;
  EXPECT_NE(cipher.error().message.find("sqlcipher"), std::string::npos);
  auto parameter = provider->open(profile(m_dir.file("c.db"), "CIPHER=sqlcipher;LEGACY=99;PASSWORD=k"), "");
  ASSERT_FALSE(parameter.has_value());
  EXPECT_EQ(parameter.error().message, "the cipher sqlcipher does not take legacy=99");
  EXPECT_FALSE(provider->open(profile(m_dir.file("c.db"), "CIPHER=sqlcipher;bogus=1"), "").has_value());
}

// Files made and read by the `sqlcipher` program itself (Debian's package,
// SQLCipher 3).
class SQLCipherFiles : public SQLiteTest {
 protected:
  void SetUp() override {
    m_program = Core::take_std(g_find_program_in_path("sqlcipher"));
    if (m_program.empty()) {
      GTEST_SKIP() << "the sqlcipher program is not installed (Debian package sqlcipher); scripts/bootstrap adds it";
    }
  }

  // Runs `sql` on `file` with the sqlcipher shell; its standard output.
  std::string sqlcipher(const std::string& file, const std::string& sql) {
    const char* argv[] = {m_program.c_str(), "-batch", file.c_str(), sql.c_str(), nullptr};
    gchar* out = nullptr;
    gchar* err = nullptr;
    gint status = 0;
    GError* error = nullptr;
    const bool ran = g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr,
                                  &out, &err, &status, &error);
    EXPECT_TRUE(ran) << (error ? error->message : "");
    if (error) {
      g_error_free(error);
    }
    std::string result = out ? out : "";
    EXPECT_TRUE(g_spawn_check_wait_status(status, nullptr)) << (err ? err : "");
    g_free(out);
    g_free(err);
    return result;
  }

  std::string m_program;
};

TEST_F(SQLCipherFiles, AFileMadeBySQLCipherOpensWithItsKeyAndScheme) {
  const std::string file = m_dir.file("made-by-sqlcipher.db");
  sqlcipher(file, "PRAGMA key='s3cret'; CREATE TABLE t(x); INSERT INTO t VALUES ('from sqlcipher');");

  auto provider = SQLiteProvider::create();
  auto plain_key = provider->open(profile(file, "PASSWORD=s3cret"), "");
  ASSERT_FALSE(plain_key.has_value()) << "the default scheme is not SQLCipher's";
  EXPECT_EQ(plain_key.error().code, 26);

  for (const std::string& options : {std::string("CIPHER=sqlcipher;LEGACY=3;PASSWORD=s3cret"),
                                     std::string("PASSWORD=s3cret cipher=sqlcipher legacy=3")}) {
    auto opened = provider->open(profile(file, options), "");
    if (options.find("cipher=") != std::string::npos) {
      // Option names are case-sensitive: lower-case "cipher" is no cipher.
      EXPECT_FALSE(opened.has_value());
      continue;
    }
    ASSERT_TRUE(opened.has_value()) << opened.error().message;
    auto value = provider->execute_scalar("SELECT x FROM t", false);
    ASSERT_TRUE(value.has_value()) << value.error().message;
    EXPECT_EQ((*value)->to_string(), "from sqlcipher");
  }

  // The URI form that the cipher extension reads itself.
  ASSERT_TRUE(provider->open(profile("file:" + file + "?cipher=sqlcipher&legacy=3", "PASSWORD=s3cret"), "")
                  .has_value());
  EXPECT_EQ((*provider->execute_scalar("SELECT count(*) FROM t", false))->to_string(), "1");
}

TEST_F(SQLCipherFiles, AFileMadeHereInSQLCiphersSchemeOpensInSQLCipher) {
  const std::string file = m_dir.file("made-here.db");
  {
    auto provider = SQLiteProvider::create();
    ASSERT_TRUE(provider->open(profile(file, "CIPHER=sqlcipher;LEGACY=3;" + SQLiteOpenOptions::key_piece("k e y")), "")
                    .has_value());
    ASSERT_TRUE(provider->execute_statements("CREATE TABLE t(x); INSERT INTO t VALUES (42);", false));
  }
  EXPECT_EQ(sqlcipher(file, "PRAGMA key='k e y'; SELECT x FROM t;"), "42\n");
}

}  // namespace
}  // namespace Tolvane::Providers::Supports::Testing

namespace Tolvane::Providers::Supports {
namespace {

TEST(SQLiteOpenOptionsSpans, GiveEachPieceWhereItStandsSoItCanBeReplaced) {
  const std::string options = "CIPHER=sqlcipher; PASSWORD=\"a b;c\" LEGACY=3";
  const auto spans = SQLiteOpenOptions::piece_spans(options);
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_EQ(spans[1].name, "PASSWORD");
  EXPECT_EQ(spans[1].value, "a b;c");
  EXPECT_EQ(options.substr(spans[1].begin, spans[1].end - spans[1].begin), "PASSWORD=\"a b;c\"");
  const std::string replaced =
      options.substr(0, spans[1].begin) + SQLiteOpenOptions::key_piece("x=\"y\"") + options.substr(spans[1].end);
  auto parsed = SQLiteOpenOptions::parse(replaced);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->key, "x=\"y\"");
  EXPECT_EQ(parsed->cipher, "sqlcipher");
}

}  // namespace
}  // namespace Tolvane::Providers::Supports
