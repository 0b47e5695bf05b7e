#include "orvel/supports/database/formatter.hpp"

#include <algorithm>
#include <array>
#include <vector>

#include <glib.h>

#include "tessin/core/regex.hpp"

namespace Tolvane::Orvel::Supports::Database {

namespace {

// Stands for a line start while the text is being rewritten.
constexpr std::string_view marker = "~::~";
// The indentation unit.
constexpr std::size_t step = 4;

struct Rule {
  Core::Regex regex;
  const char* replacement;
};

// Every expression runs over whole scripts, so all take the linear-time matcher.
Core::Regex sensitive(const char* pattern) { return Core::Regex(pattern, G_REGEX_OPTIMIZE); }
Core::Regex caseless(const char* pattern) { return Core::Regex(pattern, G_REGEX_CASELESS | G_REGEX_OPTIMIZE); }

const Core::Regex& white_space() {
  static const Core::Regex regex = sensitive("\\s{1,}");
  return regex;
}

const std::array<Rule, 3>& minify_rules() {
  static const std::array<Rule, 3> rules{{
      {sensitive("\\s{1,}"), " "},
      {sensitive("\\s{1,}\\("), "("},
      {sensitive("\\s{1,}\\)"), ")"},
  }};
  return rules;
}

// Line breaks before clauses and continuation keywords, in this order: later
// rows see the markers earlier rows wrote (the JOIN kinds), and the keywords
// come out upper-case. Replacements hold one step (4 blanks) or two (8).
const std::array<Rule, 37>& split_rules() {
  static const std::array<Rule, 37> rules{{
      {sensitive("\\s{1,}"), " "},
      {caseless(" AND "), "~::~        AND "},
      {caseless(" BETWEEN "), "~::~    BETWEEN "},
      {caseless(" CASE "), "~::~    CASE "},
      {caseless(" ELSE "), "~::~    ELSE "},
      {caseless(" END "), "~::~    END "},
      {caseless(" FROM "), "~::~FROM "},
      {caseless(" GROUP\\s{1,}BY"), "~::~GROUP BY "},
      {caseless(" HAVING "), "~::~HAVING "},
      {caseless(" IN "), " IN "},
      {caseless(" JOIN "), "~::~JOIN "},
      {caseless(" CROSS~::~{1,}JOIN "), "~::~CROSS JOIN "},
      {caseless(" INNER~::~{1,}JOIN "), "~::~INNER JOIN "},
      {caseless(" LEFT~::~{1,}JOIN "), "~::~LEFT JOIN "},
      {caseless(" RIGHT~::~{1,}JOIN "), "~::~RIGHT JOIN "},
      {caseless(" ON "), "~::~    ON "},
      {caseless(" OR "), "~::~        OR "},
      {caseless(" ORDER\\s{1,}BY"), "~::~ORDER BY "},
      {caseless(" OVER "), "~::~    OVER "},
      {caseless("\\(\\s{0,}SELECT "), "~::~(SELECT "},
      {caseless("\\)\\s{0,}SELECT "), ")~::~SELECT "},
      {caseless(" THEN "), " THEN~::~    "},
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
      {caseless("\\s{0,}SELECT "), "SELECT "},
  }};
  return rules;
}

const Core::Regex& marker_run() {
  static const Core::Regex regex = sensitive("~::~{1,}");
  return regex;
}

const Core::Regex& quote() {
  static const Core::Regex regex = sensitive("\\'");
  return regex;
}

// Case-sensitive on purpose: only a SELECT the rules above wrote (or the user
// wrote in capitals) spreads its list over lines.
const Core::Regex& any_select() {
  static const Core::Regex regex = sensitive("\\s{0,}\\s{0,}SELECT\\s{0,}");
  return regex;
}

const Core::Regex& sub_select() {
  static const Core::Regex regex = sensitive("\\s{0,}\\(\\s{0,}SELECT\\s{0,}");
  return regex;
}

const Core::Regex& comma() {
  static const Core::Regex regex = sensitive(",");
  return regex;
}

const Core::Regex& leading_line_feeds() {
  static const Core::Regex regex = sensitive("^\\n{1,}");
  return regex;
}

const Core::Regex& line_feed_run() {
  static const Core::Regex regex = sensitive("\\n{1,}");
  return regex;
}

// Every piece between markers, empty ones included, as views into `text`.
std::vector<std::string_view> split_at_marker(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t found = text.find(marker, start);
    if (found == std::string_view::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, found - start));
    start = found + marker.size();
  }
}

Core::Result<std::string> apply_rule(std::string_view text, const Rule& rule) {
  return rule.regex.try_replace_literal(text, rule.replacement);
}

// The piece with its line breaks marked; the caller splits it at the markers.
Core::Result<std::string> split_sql(std::string_view piece) {
  std::string text(piece);
  for (const Rule& rule : split_rules()) {
    auto replaced = apply_rule(text, rule);
    if (!replaced) {
      return Core::fail(std::move(replaced.error()));
    }
    text = std::move(*replaced);
  }
  return marker_run().try_replace_literal(text, "~::~");
}

// Parentheses opened minus parentheses closed, added to `level`.
int is_subquery(std::string_view piece, int level) {
  for (char c : piece) {
    if (c == '(') {
      ++level;
    } else if (c == ')') {
      --level;
    }
  }
  return level;
}

// Appends the work list's elements to the output, tracking the bracket level
// and the sub-query depth across calls.
class Layout {
 public:
  explicit Layout(std::size_t expected) { m_out.reserve(expected + expected / 4); }

  // `literal` marks a piece that starts at an opening quote: its commas belong
  // to a string value and are left alone.
  Core::Status add(std::string_view element, bool literal) {
    m_level = is_subquery(element, m_level);
    std::string spread;
    if (!literal) {
      auto is_select = any_select().try_matches(element);
      if (!is_select) {
        return Core::fail(std::move(is_select.error()));
      }
      if (*is_select) {
        auto replaced = comma().try_replace_literal(element, ",\n        ");
        if (!replaced) {
          return Core::fail(std::move(replaced.error()));
        }
        spread = std::move(*replaced);
        element = spread;
      }
    }
    auto opens = sub_select().try_matches(element);
    if (!opens) {
      return Core::fail(std::move(opens.error()));
    }
    if (*opens) {
      ++m_depth;
      new_line();
      m_out.append(element);
    } else if (element.find('\'') != std::string_view::npos) {
      close_level();
      m_out.append(element);
    } else {
      new_line();
      m_out.append(element);
      close_level();
    }
    return {};
  }

  std::string& text() noexcept { return m_out; }

 private:
  void new_line() {
    m_out.push_back('\n');
    m_out.append(step * static_cast<std::size_t>(std::min(m_depth, Formatter::max_depth)), ' ');
  }
  void close_level() {
    if (m_level < 1 && m_depth > 0) {
      --m_depth;
    }
  }

  std::string m_out;
  int m_level = 0;
  // Not clamped, so that leaving a very deep nest steps back out level by level.
  int m_depth = 0;
};

Core::Result<std::string> format(std::string_view statements) {
  auto single = white_space().try_replace_literal(statements, " ");
  if (!single) {
    return Core::fail(std::move(single.error()));
  }
  auto quoted = quote().try_replace_literal(*single, "~::~'");
  if (!quoted) {
    return Core::fail(std::move(quoted.error()));
  }
  // Odd pieces start at a quote and stay as written; even pieces are SQL between
  // string literals (an even piece after a literal starts with its closing quote).
  const std::vector<std::string_view> pieces = split_at_marker(*quoted);
  Layout layout(statements.size());
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i % 2 == 1) {
      if (auto added = layout.add(pieces[i], true); !added) {
        return Core::fail(std::move(added.error()));
      }
      continue;
    }
    auto split = split_sql(pieces[i]);
    if (!split) {
      return Core::fail(std::move(split.error()));
    }
    for (std::string_view element : split_at_marker(*split)) {
      if (auto added = layout.add(element, false); !added) {
        return Core::fail(std::move(added.error()));
      }
    }
  }
  auto trimmed = leading_line_feeds().try_replace_literal(layout.text(), "");
  if (!trimmed) {
    return Core::fail(std::move(trimmed.error()));
  }
  return line_feed_run().try_replace_literal(*trimmed, "\n");
}

}  // namespace

const Core::TypeInfo& Formatter::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelSupportsDatabaseFormatter", &Core::Object::static_type(),
                                   {&Contracts::Database::IFormattable::static_type()}, Core::factory_of<Formatter>(),
                                   {});
  return info;
}

FormatterPtr Formatter::configured() {
  FormatterPtr formatter = create();
  formatter->option("LINE_START",
                    "SELECT,FROM,WHERE,SET,ORDER BY,GROUP BY,LIMIT,DROP,VALUES,UPDATE,HAVING,ADD,AFTER,ALTER TABLE,"
                    "DELETE FROM,UNION ALL,UNION,EXCEPT,INTERSECT");
  formatter->option("LINE_BREAK",
                    "LEFT OUTER JOIN,RIGHT OUTER JOIN,LEFT JOIN,RIGHT JOIN,OUTER JOIN,INNER JOIN,JOIN,XOR,OR,AND");
  return formatter;
}

void Formatter::option(std::optional<std::string_view> name, std::optional<std::string_view> value) {
  TOLVANE_RETURN_IF_FAIL(name.has_value(), "name != NULL");
  TOLVANE_RETURN_IF_FAIL(value.has_value(), "value != NULL");
  auto found = m_options.find(*name);
  if (found != m_options.end()) {
    found->second.assign(*value);
  } else {
    m_options.emplace(std::string(*name), std::string(*value));
  }
}

std::optional<std::string> Formatter::get_option(std::string_view name) const {
  auto found = m_options.find(name);
  if (found == m_options.end()) {
    return std::nullopt;
  }
  return found->second;
}

std::optional<std::string> Formatter::beautify(std::optional<std::string_view> statements) const {
  TOLVANE_RETURN_VAL_IF_FAIL(statements.has_value(), "statements != NULL", std::nullopt);
  auto formatted = format(*statements);
  if (!formatted) {
    return std::string(*statements);
  }
  return std::move(*formatted);
}

std::optional<std::string> Formatter::minify(std::optional<std::string_view> statements) const {
  TOLVANE_RETURN_VAL_IF_FAIL(statements.has_value(), "statements != NULL", std::nullopt);
  std::string text(*statements);
  for (const Rule& rule : minify_rules()) {
    auto replaced = apply_rule(text, rule);
    if (!replaced) {
      // The position prefix is part of the message callers and log readers know.
      g_warning("formatter:104: Failed to minify statements: %s", replaced.error().message.c_str());
      return text;
    }
    text = std::move(*replaced);
  }
  return text;
}

}  // namespace Tolvane::Orvel::Supports::Database
