#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvel/supports/data/extractors/dsv_reader.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Core::Result<Rows> read_all(std::string_view text, DsvDialect dialect = {}) {
  DsvReader reader(text, std::move(dialect));
  Rows rows;
  DsvRecord record;
  for (;;) {
    auto more = reader.next(record);
    if (!more) {
      return Core::fail(more.error());
    }
    if (!*more) {
      return rows;
    }
    rows.push_back(record.fields);
  }
}

Rows read_ok(std::string_view text, DsvDialect dialect = {}) {
  auto rows = read_all(text, std::move(dialect));
  EXPECT_TRUE(rows.has_value()) << rows.error().message;
  return rows.value_or(Rows{});
}

struct Case {
  const char* name;
  std::string input;
  Rows expected;
};

// RFC 4180 and what real files hold.
TEST(DsvReader, ReadsTheShapesOfRealFiles) {
  const std::vector<Case> cases = {
      {"plain", "a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}},
      {"quoted delimiter", "a,b\n1,\"x,y\"\n", {{"a", "b"}, {"1", "x,y"}}},
      {"escaped quote inside", "\"p\"\"q\",2\n", {{"p\"q", "2"}}},
      {"escaped quote at the end", "\"a\"\"\",x\ny,z\n", {{"a\"", "x"}, {"y", "z"}}},
      {"escaped quote at the start", "\"\"\"a\",x\n", {{"\"a", "x"}}},
      {"four quotes are one", "\"a\"\"\"\"b\"\n", {{"a\"\"b"}}},
      {"empty quoted field", "\"\",x\ny,z\n", {{"", "x"}, {"y", "z"}}},
      {"only a quote", "\"\"\"\"\n", {{"\""}}},
      {"line break inside quotes", "a,b\n\"one\ntwo\",3\n", {{"a", "b"}, {"one\ntwo", "3"}}},
      {"CRLF inside quotes", "\"one\r\ntwo\"\r\n", {{"one\r\ntwo"}}},
      {"CRLF rows", "a,b\r\n1,2\r\n", {{"a", "b"}, {"1", "2"}}},
      {"CRLF after a quoted last field", "\"x\"\r\n\"y\"\r\n", {{"x"}, {"y"}}},
      {"no final line break", "a,b\n1,2", {{"a", "b"}, {"1", "2"}}},
      {"no final line break after quotes", "a\n\"x,y\"", {{"a"}, {"x,y"}}},
      {"empty fields", ",,\n", {{"", "", ""}}},
      {"trailing delimiter", "a,\n", {{"a", ""}}},
      {"ragged rows", "a,b,c\n1\n1,2,3,4\n", {{"a", "b", "c"}, {"1"}, {"1", "2", "3", "4"}}},
      {"blank line", "a\n\nb\n", {{"a"}, {""}, {"b"}}},
      {"byte-order mark", "\xEF\xBB\xBFid,name\n1,x\n", {{"id", "name"}, {"1", "x"}}},
      {"lone CR is text", "a\rb,c\n", {{"a\rb", "c"}}},
      {"text after a closing quote", "\"a\"b,c\n", {{"ab", "c"}}},
      {"quote inside an unquoted field", "a\"b,c\n", {{"a\"b", "c"}}},
      {"blanks are kept", " a , \"b\" \n", {{" a ", " \"b\" "}}},
      {"UTF-8 text", "名前,ß\n\"日本\",€\n", {{"名前", "ß"}, {"日本", "€"}}},
      {"empty input", "", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(read_ok(c.input), c.expected) << c.name;
  }
}

TEST(DsvReader, MatchesOtherDelimitersAsSequences) {
  DsvDialect tabs;
  tabs.column_delimiter = "\t";
  EXPECT_EQ(read_ok("a\tb,c\n\"x\ty\"\t2\n", tabs), (Rows{{"a", "b,c"}, {"x\ty", "2"}}));

  DsvDialect multi;
  multi.column_delimiter = "||";
  multi.row_delimiter = "##";
  EXPECT_EQ(read_ok("a|b||c##1||\"2##3\"##", multi), (Rows{{"a|b", "c"}, {"1", "2##3"}}));

  DsvDialect crlf;
  crlf.row_delimiter = "\r\n";
  // A "\r\n" delimiter reads LF files too, without empty rows between lines.
  EXPECT_EQ(read_ok("a\nb\r\nc", crlf), (Rows{{"a"}, {"b"}, {"c"}}));
}

TEST(DsvReader, UsesTheQuotationSetOfTheOptions) {
  DsvDialect brackets;
  ASSERT_TRUE(brackets.set_quotation("[-]-\\[-\\]").has_value());
  EXPECT_EQ(read_ok("[a,\\]b],c\n", brackets), (Rows{{"a,]b", "c"}}));

  DsvDialect single;
  ASSERT_TRUE(single.set_quotation("'-'-''-'';ignored").has_value());
  EXPECT_EQ(read_ok("'it''s',\"x\"\n", single), (Rows{{"it's", "\"x\""}}));

  DsvDialect broken;
  EXPECT_FALSE(broken.set_quotation("\"-\"").has_value());
  EXPECT_FALSE(broken.set_quotation("\"-\"--\"\"").has_value());
}

TEST(DsvReader, CountsLinesOfRecords) {
  DsvReader reader(std::string_view("a,b\n\"x\ny\",1\n\"p\r\n\",2\nlast,3"), DsvDialect{});
  DsvRecord record;
  std::vector<std::int64_t> lines;
  while (reader.next(record).value_or(false)) {
    lines.push_back(record.line);
  }
  EXPECT_EQ(lines, (std::vector<std::int64_t>{1, 2, 4, 6}));
}

TEST(DsvReader, RejectsInputThatIsNotDelimitedText) {
  auto open_quote = read_all("a,b\n1,\"never closed\n2,3\n");
  ASSERT_FALSE(open_quote.has_value());
  EXPECT_NE(open_quote.error().message.find("line 2"), std::string::npos) << open_quote.error().message;

  auto binary = read_all(std::string_view("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  ASSERT_FALSE(binary.has_value());
  EXPECT_EQ(binary.error().code, G_IO_ERROR_INVALID_DATA);

  auto latin1 = read_all("caf\xE9,1\n");
  ASSERT_FALSE(latin1.has_value());
  EXPECT_NE(latin1.error().message.find("UTF-8"), std::string::npos);
}

// A stream that yields one endless line, so the test reads far more than the
// record limit without ever holding the whole input.
TEST(DsvReader, BoundsTheMemoryOfAnEndlessLine) {
  const std::size_t total = std::size_t{64} << 20;
  std::string block(1 << 16, 'x');
  struct Endless {
    static GInputStream* make(const std::string& block, std::size_t total) {
      auto* stream = g_memory_input_stream_new();
      for (std::size_t sent = 0; sent < total; sent += block.size()) {
        g_memory_input_stream_add_data(G_MEMORY_INPUT_STREAM(stream), block.data(),
                                       static_cast<gssize>(block.size()), nullptr);
      }
      return stream;
    }
  };
  auto stream = Core::GRef<GInputStream>::adopt(Endless::make(block, total));
  DsvDialect dialect;
  dialect.max_record_bytes = std::size_t{1} << 20;
  DsvReader reader(stream.get(), dialect);
  DsvRecord record;
  auto more = reader.next(record);
  ASSERT_FALSE(more.has_value());
  EXPECT_NE(more.error().message.find("line 1"), std::string::npos);
  EXPECT_LT(reader.consumed(), std::uint64_t{4} << 20);  // stopped soon after the limit
}

TEST(DsvReader, ReadsAStreamInBlocksAcrossTokenBoundaries) {
  // Records that straddle the 64 KiB blocks: quotes, escapes and CRLF cut
  // anywhere must read the same as from one text.
  std::string text;
  for (int i = 0; i < 20000; ++i) {
    text += "\"q\"\"" + std::to_string(i) + "\",plain" + std::to_string(i) + "\r\n";
  }
  auto stream =
      Core::GRef<GInputStream>::adopt(g_memory_input_stream_new_from_data(text.data(), static_cast<gssize>(text.size()), nullptr));
  DsvReader reader(stream.get(), DsvDialect{});
  DsvRecord record;
  int count = 0;
  while (reader.next(record).value_or(false)) {
    ASSERT_EQ(record.fields, (std::vector<std::string>{"q\"" + std::to_string(count), "plain" + std::to_string(count)}));
    ++count;
  }
  EXPECT_EQ(count, 20000);
  EXPECT_EQ(reader.consumed(), text.size());
}

}  // namespace
}  // namespace Tolvane::Orvel::Supports::Data::Extractors
