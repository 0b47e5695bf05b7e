// tolvane format, run as its users run it: SQL in on standard input or from a
// file, formatted SQL (or only an exit code) out.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gio/gio.h>

#include "tests/support/temp_dir.hpp"

namespace {

struct Formatted {
  int exit_code = -1;
  std::string out;
  std::string err;
};

std::string text_of(GBytes* bytes) {
  gsize size = 0;
  const auto* data = static_cast<const char*>(g_bytes_get_data(bytes, &size));
  std::string text(data != nullptr ? data : "", size);
  g_bytes_unref(bytes);
  return text;
}

class FormatCommand : public ::testing::Test {
 protected:
  // Runs `tolvane format <arguments>` with `input` on its standard input.
  Formatted format(std::vector<std::string> arguments, const std::string& input = "") {
    GSubprocessLauncher* launcher = g_subprocess_launcher_new(static_cast<GSubprocessFlags>(
        G_SUBPROCESS_FLAGS_STDIN_PIPE | G_SUBPROCESS_FLAGS_STDOUT_PIPE | G_SUBPROCESS_FLAGS_STDERR_PIPE));
    for (const char* folder : {"XDG_STATE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
      g_subprocess_launcher_setenv(launcher, folder, m_home.path().c_str(), TRUE);
    }
    std::vector<const char*> argv{TOLVANE_BINARY, "format"};
    for (const std::string& argument : arguments) {
      argv.push_back(argument.c_str());
    }
    argv.push_back(nullptr);
    GError* error = nullptr;
    GSubprocess* process = g_subprocess_launcher_spawnv(launcher, argv.data(), &error);
    g_object_unref(launcher);
    Formatted run;
    if (process == nullptr) {
      ADD_FAILURE() << error->message;
      g_error_free(error);
      return run;
    }
    GBytes* in = g_bytes_new(input.data(), input.size());
    GBytes* out = nullptr;
    GBytes* err = nullptr;
    EXPECT_TRUE(g_subprocess_communicate(process, in, nullptr, &out, &err, &error)) << error->message;
    g_bytes_unref(in);
    run.out = text_of(out);
    run.err = text_of(err);
    if (g_subprocess_get_if_exited(process)) {
      run.exit_code = g_subprocess_get_exit_status(process);
    }
    g_object_unref(process);
    return run;
  }

  // A file of the test corpus. The test program runs from the build folder,
  // which is where the source path of this file is relative to.
  static std::string corpus_file(const std::string& name) {
    std::filesystem::path source(__FILE__);
    if (source.is_relative()) {
      source = std::filesystem::path(TOLVANE_BINARY).parent_path().parent_path().parent_path() / source;
    }
    return (source.parent_path().parent_path() / "data" / "sql" / name).lexically_normal().string();
  }

  std::string write(const std::string& name, const std::string& content) {
    const std::string path = m_home.file(name);
    Tolvane::Testing::write_text(path, content);
    return path;
  }

  Tolvane::Testing::TempDir m_home;
};

TEST_F(FormatCommand, FormatsStandardInputAndFiles) {
  const std::string sql = "select a, b from t where x = 1 and y = 2\n";
  const std::string expected = "SELECT a,\n         b\nFROM t\nWHERE x = 1\n        AND y = 2\n";
  Formatted piped = format({}, sql);
  EXPECT_EQ(piped.exit_code, 0) << piped.err;
  EXPECT_EQ(piped.out, expected);
  EXPECT_EQ(piped.err, "");
  EXPECT_EQ(format({write("q.sql", sql)}).out, expected);
  EXPECT_EQ(format({"-"}, sql).out, expected);

  Formatted small = format({"--minify"}, "SELECT  a ,\n b FROM t ( x )");
  EXPECT_EQ(small.exit_code, 0) << small.err;
  EXPECT_EQ(small.out, "SELECT a , b FROM t( x)\n");

  Formatted missing = format({m_home.file("missing.sql")});
  EXPECT_EQ(missing.exit_code, 5);
  EXPECT_NE(missing.err.find("missing.sql"), std::string::npos) << missing.err;
}

TEST_F(FormatCommand, FormatsEveryStatementOfAFile) {
  Formatted run = format({write("script.sql",
                                "-- totals\nselect a from t; select b from u\n\n;\n"
                                "insert into t select 1 union all select 2; -- done\n")});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out,
            "-- totals\n"
            "SELECT a\nFROM t;\n"
            "SELECT b\nFROM u ;\n"
            "insert into t SELECT 1\nUNION ALL\nSELECT 2; -- done\n");
}

TEST_F(FormatCommand, NeverChangesWhatTheSqlMeans) {
  // The cases that used to come out broken: a glued UNION ALL, a comma moved
  // into a line comment, blanks squeezed out of a literal.
  EXPECT_EQ(format({}, "select 1 union all select 2").out, "SELECT 1\nUNION ALL\nSELECT 2\n");
  EXPECT_EQ(format({}, "SELECT id -- the key\n , title FROM books").out,
            "SELECT id -- the key\n,\n         title\nFROM books\n");
  EXPECT_EQ(format({"--minify"}, "select 'a   b' -- note\nfrom t").out, "select 'a   b' -- note\nfrom t\n");
}

TEST_F(FormatCommand, CheckTellsFormattedFromUnformattedAndPrintsNothing) {
  for (const char* name : {"select.sql", "literals.sql"}) {
    for (const std::vector<std::string>& mode : {std::vector<std::string>{}, std::vector<std::string>{"--minify"}}) {
      SCOPED_TRACE(std::string(name) + (mode.empty() ? "" : " --minify"));
      std::vector<std::string> arguments = mode;
      arguments.push_back(corpus_file(name));
      Formatted once = format(arguments);
      ASSERT_EQ(once.exit_code, 0) << once.err;
      ASSERT_FALSE(once.out.empty());

      std::vector<std::string> check = mode;
      check.push_back("--check");
      Formatted formatted = format(check, once.out);
      EXPECT_EQ(formatted.exit_code, 0) << formatted.err;
      EXPECT_EQ(formatted.out, "");
      EXPECT_EQ(formatted.err, "");

      check.push_back(corpus_file(name));
      Formatted unformatted = format(check);
      EXPECT_EQ(unformatted.exit_code, 1);
      EXPECT_EQ(unformatted.out, "");
      EXPECT_NE(unformatted.err.find("not formatted"), std::string::npos) << unformatted.err;
    }
  }
  Formatted later = format({"--check"}, "SELECT a\nFROM t;\nselect b from u\n");
  EXPECT_EQ(later.exit_code, 1);
  EXPECT_NE(later.err.find("standard input: not formatted (from line 3 on)"), std::string::npos) << later.err;
  // A missing final line break, or one too many, is no reason to fail.
  EXPECT_EQ(format({"--check"}, "SELECT a\nFROM t").exit_code, 0);
  EXPECT_EQ(format({"--check"}, "SELECT a\nFROM t\n\n").exit_code, 0);
}

TEST_F(FormatCommand, RefusesInputThatIsNotText) {
  Formatted binary = format({}, "select 1 \x89PNG\r\n\x1a\n");
  EXPECT_EQ(binary.exit_code, 1);
  EXPECT_EQ(binary.out, "");
  EXPECT_EQ(binary.err, "tolvane: standard input: not UTF-8 text (invalid byte at offset 9); nothing formatted\n");

  Formatted nul = format({"--check", write("nul.sql", std::string("select 1;\0select 2;", 19))});
  EXPECT_EQ(nul.exit_code, 1);
  EXPECT_EQ(nul.out, "");
  EXPECT_NE(nul.err.find("nul.sql: not text (a NUL byte at offset 9)"), std::string::npos) << nul.err;
}

}  // namespace
