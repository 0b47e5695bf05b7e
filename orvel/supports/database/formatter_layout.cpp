#include "orvel/supports/database/formatter_layout.hpp"

#include <algorithm>
#include <array>

#include <glib.h>

#include "tessin/core/regex.hpp"

namespace Tolvane::Orvel::Supports::Database::Layout {

namespace {

// Stands for a line start while the text is being rewritten.
constexpr std::string_view kMarker = "~::~";
// Separates the pieces of all statements while the rules run over them at
// once: no rule reads it, so no match can reach from one piece into the next.
constexpr char kPieceBreak = '\x01';
// The indentation unit.
constexpr std::size_t kStep = 4;

struct Rule {
  Core::Regex regex;
  const char* replacement;
};

// The rules run over whole scripts, so all take the linear-time matcher.
Core::Regex caseless(const char* pattern) { return Core::Regex(pattern, G_REGEX_CASELESS | G_REGEX_OPTIMIZE); }

// Line breaks before clauses and continuation keywords, in this order: later
// rows see the markers earlier rows wrote (the JOIN kinds), and the keywords
// come out upper-case. Replacements hold one step (4 blanks) or two (8).
//
// A rule must never join two tokens or cut one: GROUP BY and ORDER BY end at a
// word's end, UNION ALL is one clause (its ALL is not left to be glued to the
// SELECT after it), and the blanks before a SELECT are only taken where what
// precedes cannot run on into the keyword. A skeleton holds nothing but
// blanks, bare words, punctuation and stand-ins, so " WORD " always meets
// whole words. GROUP BY and ORDER BY are followed by two blanks whether or not
// one followed them in the text, so that formatting formatted text changes
// nothing.
const std::array<Rule, 37>& split_rules() {
  static const std::array<Rule, 37> rules{{
      {caseless(" AND "), "~::~        AND "},
      {caseless(" BETWEEN "), "~::~    BETWEEN "},
      {caseless(" CASE "), "~::~    CASE "},
      {caseless(" ELSE "), "~::~    ELSE "},
      {caseless(" END "), "~::~    END "},
      {caseless(" FROM "), "~::~FROM "},
      {caseless(" GROUP\\s{1,}BY(?![\\w$]) ?"), "~::~GROUP BY  "},
      {caseless(" HAVING "), "~::~HAVING "},
      {caseless(" IN "), " IN "},
      {caseless(" JOIN "), "~::~JOIN "},
      {caseless(" CROSS(?:~::~)+JOIN "), "~::~CROSS JOIN "},
      {caseless(" INNER(?:~::~)+JOIN "), "~::~INNER JOIN "},
      {caseless(" LEFT(?:~::~)+JOIN "), "~::~LEFT JOIN "},
      {caseless(" RIGHT(?:~::~)+JOIN "), "~::~RIGHT JOIN "},
      {caseless(" ON "), "~::~    ON "},
      {caseless(" OR "), "~::~        OR "},
      {caseless(" ORDER\\s{1,}BY(?![\\w$]) ?"), "~::~ORDER BY  "},
      {caseless(" OVER "), "~::~    OVER "},
      {caseless("\\(\\s{0,}SELECT "), "~::~(SELECT "},
      {caseless("\\)\\s{0,}SELECT "), ")~::~SELECT "},
      {caseless(" THEN "), " THEN~::~    "},
      {caseless(" UNION ALL "), "~::~UNION ALL~::~"},
      {caseless(" UNION "), "~::~UNION~::~"},
      {caseless(" USING "), "~::~USING "},
      {caseless(" WHEN "), "~::~    WHEN "},
      {caseless(" WHERE "), "~::~WHERE "},
      {caseless(" WITH "), "~::~WITH "},
      {caseless(" ALL "), " ALL "},
      {caseless(" AS "), " AS "},
      {caseless(" ASC "), " ASC "},
      {caseless(" DESC "), " DESC "},
      {caseless(" DISTINCT "), " DISTINCT "},
      {caseless(" EXISTS "), " EXISTS "},
      {caseless(" NOT "), " NOT "},
      {caseless(" NULL "), " NULL "},
      {caseless(" LIKE "), " LIKE "},
      {caseless("(?<![\\w$#])\\s{0,}SELECT "), "SELECT "},
  }};
  return rules;
}

// A run of markers is one line start. (Written as a group: a marker followed
// by the operator '~' is not a longer marker.)
const Core::Regex& marker_run() {
  static const Core::Regex regex("(?:~::~)+", G_REGEX_OPTIMIZE);
  return regex;
}

// The words the rules above write in capitals, sorted.
constexpr std::array<std::string_view, 35> kUpperCased{
    "ALL",    "AND",  "AS",    "ASC",    "BETWEEN", "BY",    "CASE",  "CROSS", "DESC",  "DISTINCT", "ELSE",  "END",
    "EXISTS", "FROM", "GROUP", "HAVING", "IN",      "INNER", "JOIN",  "LEFT",  "LIKE",  "NOT",      "NULL",  "ON",
    "OR",     "ORDER", "OVER", "RIGHT",  "SELECT",  "THEN",  "UNION", "USING", "WHEN",  "WHERE",    "WITH"};
static_assert(std::is_sorted(kUpperCased.begin(), kUpperCased.end()));

// Every piece between markers, empty ones included, as views into `text`.
std::vector<std::string_view> split_at(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t found = text.find(separator, start);
    if (found == std::string_view::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, found - start));
    start = found + separator.size();
  }
}

bool is_blank(char c) noexcept { return c == ' ' || c == '\n'; }

// Whether an element opens a sub-query: "(" and then, after blanks, "SELECT".
bool opens_sub_select(std::string_view element) noexcept {
  for (std::size_t open = element.find('('); open != std::string_view::npos; open = element.find('(', open + 1)) {
    std::size_t at = open + 1;
    while (at < element.size() && is_blank(element[at])) {
      ++at;
    }
    if (element.substr(at).starts_with("SELECT")) {
      return true;
    }
  }
  return false;
}

// Appends one statement's elements, tracking the bracket level and the
// sub-query depth across them.
class StatementLayout {
 public:
  explicit StatementLayout(std::string& out) : m_out(out), m_start(out.size()) {}

  void add(std::string_view element) {
    for (char c : element) {
      if (c == '(') {
        ++m_level;
      } else if (c == ')') {
        --m_level;
      }
    }
    // Case-sensitive on purpose: only a SELECT the rules wrote (or the user
    // wrote in capitals) spreads its list over lines.
    std::string spread;
    if (element.find("SELECT") != std::string_view::npos && element.find(',') != std::string_view::npos) {
      spread = spread_list(element);
      element = spread;
    }
    // A string literal, or the text right after one, stays on its line: a line
    // break there would land inside the literal.
    const bool literal = element.find('\'') != std::string_view::npos;
    if (opens_sub_select(element)) {
      ++m_depth;
      if (!literal) {
        new_line();
      }
      m_out.append(element);
    } else if (literal) {
      close_level();
      m_out.append(element);
    } else {
      new_line();
      m_out.append(element);
      close_level();
    }
  }

  // Drops the line breaks before the statement's first line and empty lines.
  void finish() {
    std::size_t write = m_start;
    bool at_start = true;
    for (std::size_t read = m_start; read < m_out.size(); ++read) {
      const char c = m_out[read];
      if (c == '\n' && (at_start || m_out[write - 1] == '\n')) {
        continue;
      }
      at_start = false;
      m_out[write++] = c;
    }
    m_out.resize(write);
  }

 private:
  // Every item of a select list on a line of its own, indented two steps and
  // one blank past the comma's line. The blank is added when the comma had
  // none after it, so that formatting formatted text changes nothing.
  static std::string spread_list(std::string_view element) {
    std::string spread;
    spread.reserve(element.size() + 16);
    for (std::size_t i = 0; i < element.size(); ++i) {
      if (element[i] != ',') {
        spread.push_back(element[i]);
        continue;
      }
      spread.append(",\n         ");
      if (i + 1 < element.size() && element[i + 1] == ' ') {
        ++i;
      }
    }
    return spread;
  }

  void new_line() {
    m_out.push_back('\n');
    m_out.append(kStep * static_cast<std::size_t>(std::min(m_depth, kMaxDepth)), ' ');
  }
  void close_level() {
    if (m_level < 1 && m_depth > 0) {
      --m_depth;
    }
  }

  std::string& m_out;
  std::size_t m_start;
  int m_level = 0;
  // Not clamped, so that leaving a very deep nest steps back out level by level.
  int m_depth = 0;
};

struct Piece {
  std::size_t begin;
  std::size_t end;
};

}  // namespace

bool upper_cases(std::string_view word) noexcept {
  if (word.size() < 2 || word.size() > 8) {
    return false;
  }
  char upper[8];
  for (std::size_t i = 0; i < word.size(); ++i) {
    upper[i] = g_ascii_toupper(word[i]);
  }
  return std::binary_search(kUpperCased.begin(), kUpperCased.end(), std::string_view(upper, word.size()));
}

Core::Result<std::string> lay_out(std::string_view skeleton, const std::vector<std::size_t>& ends) {
  // Cut every statement at its quotes: a piece with an odd index is a string
  // literal's opening quote and stays as written, a piece with an even index
  // is SQL (after a literal, starting with its closing quote). The SQL pieces
  // of all statements go through the rules together.
  std::vector<Piece> pieces;
  std::vector<std::size_t> statement_pieces;
  std::string batch;
  batch.reserve(skeleton.size() + skeleton.size() / 8);
  std::size_t begin = 0;
  for (const std::size_t end : ends) {
    std::size_t piece_begin = begin;
    for (std::size_t i = begin; i < end; ++i) {
      if (skeleton[i] == '\'') {
        pieces.push_back({piece_begin, i});
        piece_begin = i;
      }
    }
    pieces.push_back({piece_begin, end});
    statement_pieces.push_back(pieces.size());
    begin = end;
  }
  for (std::size_t statement = 0, first = 0; statement < statement_pieces.size(); ++statement) {
    for (std::size_t i = first; i < statement_pieces[statement]; i += 2) {
      batch.append(skeleton.substr(pieces[i].begin, pieces[i].end - pieces[i].begin));
      batch.push_back(kPieceBreak);
    }
    first = statement_pieces[statement];
  }
  for (const Rule& rule : split_rules()) {
    auto replaced = rule.regex.try_replace_literal(batch, rule.replacement);
    if (!replaced) {
      return Core::fail(std::move(replaced.error()));
    }
    batch = std::move(*replaced);
  }
  auto marked = marker_run().try_replace_literal(batch, "~::~");
  if (!marked) {
    return Core::fail(std::move(marked.error()));
  }
  batch = std::move(*marked);

  std::string out;
  out.reserve(skeleton.size() + skeleton.size() / 4);
  std::size_t processed = 0;
  for (std::size_t statement = 0, first = 0; statement < statement_pieces.size(); ++statement) {
    if (statement > 0) {
      out.push_back('\n');
    }
    StatementLayout layout(out);
    for (std::size_t i = first; i < statement_pieces[statement]; ++i) {
      if ((i - first) % 2 == 1) {
        layout.add(skeleton.substr(pieces[i].begin, pieces[i].end - pieces[i].begin));
        continue;
      }
      const std::size_t piece_end = batch.find(kPieceBreak, processed);
      for (std::string_view element : split_at(std::string_view(batch).substr(processed, piece_end - processed), kMarker)) {
        layout.add(element);
      }
      processed = piece_end + 1;
    }
    layout.finish();
    first = statement_pieces[statement];
  }
  return out;
}

}  // namespace Tolvane::Orvel::Supports::Database::Layout
