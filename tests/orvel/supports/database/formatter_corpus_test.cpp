// The formatter's promise, tested over SQL of every kind: the hand-written
// files of tests/data/sql (every statement kind of the engine's grammar, the
// demo's statements, scripts with comments and literals of every kind), the
// same statements reshaped at random, and random token soup. For beautify and
// minify alike, the output holds the input's tokens, formats to itself again,
// and each of its statements prepares in the engine exactly when the input's
// does, with the same message.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <glib.h>

#include "orvel/supports/database/formatter.hpp"
#include "orvel/supports/database/formatter_check.hpp"
#include "tessin/contracts/server.hpp"
#include "tessin/supports/sqlite/provider.hpp"
#include "tessin/supports/sqlite/statement_splitter.hpp"
#include "tests/support/glib_log_capture.hpp"
#include "tests/support/temp_dir.hpp"
#include "tools/tolvane/demo_database.hpp"

namespace Tolvane::Orvel::Supports::Database {
namespace {

using Providers::Supports::SqlLexer;
using Providers::Supports::SqlToken;
using Providers::Supports::SqlTokenKind;

std::filesystem::path corpus_folder() {
  std::filesystem::path source(__FILE__);
  if (source.is_relative()) {
    // Ninja compiles from the build folder, the one above this test program's.
    source = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / source;
  }
  // tests/orvel/supports/database/<this file> -> tests/data/sql
  return (source.parent_path().parent_path().parent_path().parent_path() / "data" / "sql").lexically_normal();
}

std::string corpus_file(const std::string& name) {
  return Tolvane::Testing::read_text((corpus_folder() / name).string());
}

// Every file of the corpus by name, and the demo's own script.
std::vector<std::pair<std::string, std::string>> corpus() {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& entry : std::filesystem::directory_iterator(corpus_folder())) {
    if (entry.path().extension() == ".sql") {
      files.emplace_back(entry.path().filename().string(), Tolvane::Testing::read_text(entry.path().string()));
    }
  }
  std::sort(files.begin(), files.end());
  files.emplace_back("the demo's script", Cli::kDemoScript);
  return files;
}

std::vector<std::string> statements_of(std::string_view sql) {
  std::vector<std::string> texts;
  for (const auto& span : Providers::Supports::split_statements(sql)) {
    texts.emplace_back(span.text(sql));
  }
  return texts;
}

// An in-memory database with the demo's tables and the corpus's own, so that
// whether a statement prepares says something about the statement.
class Engine {
 public:
  Engine() : m_provider(Providers::Supports::SQLiteProvider::create()) {
    auto server = Providers::Contracts::Server::with_provider("SQLite");
    server->set_filename(":memory:");
    auto opened = m_provider->open(server, "");
    EXPECT_TRUE(opened.has_value()) << opened.error().message;
    auto demo = m_provider->execute_statements(Cli::kDemoScript, false);
    EXPECT_TRUE(demo.has_value()) << demo.error().message;
    for (const std::string& statement : statements_of(corpus_file("schema.sql"))) {
      auto made = m_provider->execute_affect(statement, false);
      EXPECT_TRUE(made.has_value()) << statement << ": " << made.error().message;
    }
  }

  // Empty when the statement prepares, else the engine's message in lower
  // case (messages quote tokens, and the beautifier may write keywords in
  // capitals). EXPLAIN prepares the statement without running it; a statement
  // that is an EXPLAIN already runs as it is.
  std::string prepare(const std::string& statement) {
    const auto first = Providers::Supports::tokenize_sql(statement);
    const bool explains = !first.empty() && g_ascii_strncasecmp(statement.data() + first.front().offset, "explain", 7) == 0;
    auto explained = m_provider->execute_reader(explains ? statement : "EXPLAIN " + statement);
    if (explained) {
      return {};
    }
    std::string message = explained.error().message;
    std::transform(message.begin(), message.end(), message.begin(), g_ascii_tolower);
    return message.empty() ? "failed" : message;
  }

 private:
  Providers::Supports::SQLiteProviderPtr m_provider;
};

bool is_ascii_word(SqlTokenKind kind, std::string_view text) {
  return kind == SqlTokenKind::Word &&
         std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Whether `right` may follow `left` directly and both stay the tokens they are.
bool stay_apart(const std::string& left, const std::string& right) {
  const std::string joined = left + right;
  SqlLexer lexer(joined);
  SqlToken first;
  return lexer.next(first) && first.length == left.size();
}

// `statement` again with other white space and comments between its tokens and
// other letter case in its bare words: to the engine, the same statement.
std::string reshape(std::string_view statement, std::mt19937& random) {
  static const char* const gaps[] = {" ",  " ",     "  ",           "",  "\n",  "\t",
                                     "\n    ", "\r\n", " -- it's (a, comment) select\n",
                                     "/* and 'x' from */", " /*\n  union all\n*/ ", "\n-- own line\n"};
  std::string out;
  std::string previous;
  SqlLexer lexer(statement);
  SqlToken token;
  while (lexer.next(token)) {
    if (Providers::Supports::is_trivia(token.kind)) {
      continue;
    }
    std::string text(token.text(statement));
    if (is_ascii_word(token.kind, text) && random() % 2 == 0) {
      const bool upper = random() % 2 == 0;
      std::transform(text.begin(), text.end(), text.begin(), upper ? g_ascii_toupper : g_ascii_tolower);
    }
    if (!previous.empty()) {
      std::string gap = gaps[random() % std::size(gaps)];
      if (gap.empty() && !stay_apart(previous, text)) {
        gap = " ";
      }
      out += gap;
    }
    out += text;
    previous = std::move(text);
  }
  return out;
}

// Random text of SQL tokens, literals, comments and odd bytes, joined with
// and without white space: the layout rules' words next to what they must not
// touch.
std::string token_soup(std::mt19937& random) {
  static const std::vector<std::string> pieces{
      "select", "SELECT", "from", "where", "and", "or", "union", "all", "group", "by", "order", "having",
      "join", "left", "inner", "cross", "right", "on", "using", "with", "case", "when", "then", "else",
      "end", "in", "between", "as", "asc", "desc", "distinct", "exists", "not", "null", "like", "over",
      "t", "a", "b_1", "x", "X", "1", "2.5", "1e3", "0x1F", "(", "(", ")", ")", ",", ",", ";", "*", "=",
      "-", "~", ".", ":", "::", "~::~", "#", "@", "$a", "$a(b)", "?", "?1", ":n", "@v", "'s'",
      "'a  and  b'", "'it''s'", "''", "'~::~'", "'(select'", "\"q  name\"", "\"order by\"", "[a'b]",
      "`union all`", "x'00'", "X''", "-- c'\n", "-- union all", "/* c */", "/* select\n from */", "värde",
      "a\xC2\xA0" "b", "\xC2\xA0", "\xE3\x80\x80", "12abc", "!", "\\", "{", "|", "/", "'open",
      "/* open", std::string(1, '\0')};
  static const char* const white[] = {"", " ", " ", "  ", "\n", "\t", "\r\n", "\v", "\f", " \n "};
  std::string out;
  const std::size_t count = random() % 40;
  for (std::size_t i = 0; i < count; ++i) {
    out += pieces[random() % pieces.size()];
    out += white[random() % std::size(white)];
  }
  if (random() % 50 == 0) {
    out.insert(random() % (out.size() + 1), "\xFF");
  }
  return out;
}

class FormatterCorpus : public ::testing::Test {
 protected:
  static Engine& engine() {
    static Engine shared;
    return shared;
  }

  // Checks every property for `sql`; returns how many of its statements
  // prepare. `what` names the text in failure messages.
  std::size_t expect_sound(std::string_view sql, const std::string& what) {
    for (const std::string& failure : check_formatting(sql)) {
      ADD_FAILURE() << what << ": " << failure << "\n" << sql;
    }
    auto beautified = Formatter::beautify_checked(sql);
    auto minified = Formatter::minify_checked(sql);
    if (!beautified || !minified) {
      return 0;  // reported above, or not UTF-8
    }
    expect_same_outcome(sql, *beautified, what + ", beautified");
    return expect_same_outcome(sql, *minified, what + ", minified");
  }

  std::size_t expect_same_outcome(std::string_view input, std::string_view output, const std::string& what) {
    const std::vector<std::string> in = statements_of(input);
    const std::vector<std::string> out = statements_of(output);
    EXPECT_EQ(in.size(), out.size()) << what << "\n" << input << "\n----\n" << output;
    std::size_t prepared = 0;
    for (std::size_t i = 0; i < std::min(in.size(), out.size()); ++i) {
      const std::string outcome = engine().prepare(in[i]);
      EXPECT_EQ(outcome, engine().prepare(out[i])) << what << "\n" << in[i] << "\n----\n" << out[i];
      prepared += outcome.empty() ? 1 : 0;
    }
    return prepared;
  }

  Tolvane::Testing::GLibLogCapture m_log;
};

TEST_F(FormatterCorpus, EveryFileAndEveryStatementKeepsItsMeaning) {
  const auto files = corpus();
  ASSERT_GE(files.size(), 8u) << corpus_folder();
  for (const auto& [name, text] : files) {
    SCOPED_TRACE(name);
    expect_sound(text, name);
    const std::vector<std::string> statements = statements_of(text);
    std::size_t prepared = 0;
    for (const std::string& statement : statements) {
      prepared += expect_sound(statement, name + ": " + statement);
    }
    // The schema makes the files meaningful: everything prepares but the file
    // of statements that must not (the schema and the demo's script make
    // tables that are there already).
    if (name == "invalid.sql") {
      EXPECT_EQ(prepared, 0u);
    } else if (name != "the demo's script" && name != "schema.sql") {
      EXPECT_EQ(prepared, statements.size());
    }
  }
}

TEST_F(FormatterCorpus, ReshapedStatementsKeepTheirMeaning) {
  std::mt19937 random(20240611);
  for (const auto& [name, text] : corpus()) {
    for (const std::string& statement : statements_of(text)) {
      for (int variant = 0; variant < 6; ++variant) {
        const std::string reshaped = reshape(statement, random);
        ASSERT_EQ(engine().prepare(reshaped), engine().prepare(statement)) << "the reshaping itself: " << reshaped;
        expect_sound(reshaped, name + ", reshaped");
      }
    }
  }
}

TEST_F(FormatterCorpus, RandomTokenSoupKeepsItsTokens) {
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    expect_sound(token_soup(random), "soup " + std::to_string(round));
    if (HasFailure()) {
      return;  // one case is enough to look at
    }
  }
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Database
