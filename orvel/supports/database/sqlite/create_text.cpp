#include "orvel/supports/database/sqlite/create_text.hpp"

#include <optional>

#include "orvel/exceptions/sql_error.hpp"
#include "orvel/supports/database/sql_quote.hpp"
#include "tessin/supports/sqlite/sql_lexer.hpp"

namespace Tolvane::Orvel::Supports::Database {

namespace {

using Providers::Supports::SqlToken;
using Providers::Supports::SqlTokenKind;

std::string upper_ascii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    c = g_ascii_toupper(c);
  }
  return upper;
}

// Walks the tokens of one statement, white space and comments left out. Every
// text it hands out is a slice of the statement, so what was written between
// two tokens (blanks, comments, line breaks) stays as it was.
class Cursor {
 public:
  Cursor(std::string_view sql, const char* statement)
      : m_sql(sql), m_tokens(Providers::Supports::tokenize_sql(sql)), m_statement(statement) {
    // A trailing ';' is not part of the statement.
    while (!m_tokens.empty() && m_tokens.back().kind == SqlTokenKind::Semicolon) {
      m_tokens.pop_back();
    }
  }

  bool at_end() const { return m_position >= m_tokens.size(); }
  std::size_t position() const { return m_position; }
  void seek(std::size_t position) { m_position = position; }
  std::size_t size() const { return m_tokens.size(); }
  const SqlToken& token(std::size_t index) const { return m_tokens[index]; }
  std::string_view text(std::size_t index) const { return m_tokens[index].text(m_sql); }

  bool is_word(std::string_view word, std::size_t ahead = 0) const {
    const std::size_t index = m_position + ahead;
    return index < m_tokens.size() && m_tokens[index].kind == SqlTokenKind::Word &&
           same_name(text(index), word);
  }
  bool is_punct(std::string_view punct, std::size_t ahead = 0) const {
    const std::size_t index = m_position + ahead;
    return index < m_tokens.size() && m_tokens[index].kind == SqlTokenKind::Punct && text(index) == punct;
  }
  bool accept_word(std::string_view word) {
    if (is_word(word)) {
      ++m_position;
      return true;
    }
    return false;
  }
  bool accept_punct(std::string_view punct) {
    if (is_punct(punct)) {
      ++m_position;
      return true;
    }
    return false;
  }

  Core::Status expect_word(std::string_view word) {
    if (accept_word(word)) {
      return {};
    }
    return Core::fail(error(std::string(word)));
  }
  Core::Status expect_punct(std::string_view punct) {
    if (accept_punct(punct)) {
      return {};
    }
    return Core::fail(error("'" + std::string(punct) + "'"));
  }

  // A name: a word, a quoted name or (as SQLite also takes it) a string.
  bool is_name(std::size_t ahead = 0) const {
    const std::size_t index = m_position + ahead;
    if (index >= m_tokens.size()) {
      return false;
    }
    const SqlTokenKind kind = m_tokens[index].kind;
    return kind == SqlTokenKind::Word || kind == SqlTokenKind::QuotedName || kind == SqlTokenKind::String;
  }
  Core::Result<std::string> name(const char* what) {
    if (!is_name()) {
      return Core::fail(error(what));
    }
    return Providers::Supports::unquote_sql(text(m_position++));
  }

  // `[schema .] name`, with the offsets of the whole written name.
  struct QualifiedName {
    std::string schema;
    std::string name;
    std::size_t offset = 0;
    std::size_t length = 0;
  };
  Core::Result<QualifiedName> qualified_name(const char* what) {
    QualifiedName result;
    const std::size_t first = m_position;
    auto name_text = name(what);
    if (!name_text) {
      return Core::fail(std::move(name_text.error()));
    }
    result.name = std::move(*name_text);
    if (accept_punct(".")) {
      auto object = name(what);
      if (!object) {
        return Core::fail(std::move(object.error()));
      }
      result.schema = std::move(result.name);
      result.name = std::move(*object);
    }
    result.offset = m_tokens[first].offset;
    result.length = end_of(m_position - 1) - result.offset;
    return result;
  }

  // At a '(': moves past its matching ')' and returns the index of that ')'.
  Core::Result<std::size_t> skip_parens() {
    if (!is_punct("(")) {
      return Core::fail(error("'('"));
    }
    int depth = 0;
    for (; m_position < m_tokens.size(); ++m_position) {
      if (is_punct("(")) {
        ++depth;
      } else if (is_punct(")") && --depth == 0) {
        return m_position++;
      }
    }
    return Core::fail(error("')'"));
  }

  // At a '(': the pieces of text between its top-level commas up to the
  // matching ')', which the cursor then stands after.
  Core::Result<std::vector<std::string_view>> parenthesised_list() {
    const std::size_t open = m_position;
    auto close = skip_parens();
    if (!close) {
      return Core::fail(std::move(close.error()));
    }
    std::vector<std::string_view> items;
    int depth = 0;
    std::size_t first = open + 1;
    for (std::size_t index = open + 1; index <= *close; ++index) {
      const bool punct = m_tokens[index].kind == SqlTokenKind::Punct;
      const std::string_view piece = text(index);
      if (punct && piece == "(") {
        ++depth;
      } else if (punct && piece == ")" && depth > 0) {
        --depth;
      } else if (punct && depth == 0 && (piece == "," || index == *close)) {
        if (index > first) {
          items.push_back(span(first, index - 1));
        }
        first = index + 1;
      }
    }
    return items;
  }

  // The text from the start of token `first` to the end of token `last`.
  std::string_view span(std::size_t first, std::size_t last) const {
    return m_sql.substr(m_tokens[first].offset, end_of(last) - m_tokens[first].offset);
  }
  // The text from token `first` to the end of the statement.
  std::string_view rest(std::size_t first) const { return span(first, m_tokens.size() - 1); }
  std::size_t end_of(std::size_t index) const { return m_tokens[index].offset + m_tokens[index].length; }

  Core::Error error(const std::string& expected) const {
    std::string found = "the end of the text";
    if (m_position < m_tokens.size()) {
      found = "\"" + std::string(text(m_position)) + "\" at offset " + std::to_string(m_tokens[m_position].offset);
    }
    return Exceptions::sql_error(Exceptions::SQLError::FEATURE_NOT_SUPPORTED,
                                 std::string(m_statement) + " text: expected " + expected + ", found " + found);
  }

 private:
  std::string_view m_sql;
  std::vector<SqlToken> m_tokens;
  const char* m_statement;
  std::size_t m_position = 0;
};

// Returns the error of a step that failed.
#define READ_OR_FAIL(expression)                     \
  do {                                               \
    if (auto tried = (expression); !tried) {         \
      return Core::fail(std::move(tried.error()));   \
    }                                                \
  } while (0)

// "CREATE [TEMP|TEMPORARY] [<modifier>] <kind> [IF NOT EXISTS] [schema.]name",
// the modifier being UNIQUE or VIRTUAL.
struct Header {
  bool temporary = false;
  bool modified = false;
  Cursor::QualifiedName name;
};

Core::Result<Header> read_header(Cursor& cursor, std::string_view modifier, std::string_view kind, const char* what) {
  Header header;
  READ_OR_FAIL(cursor.expect_word("CREATE"));
  header.temporary = cursor.accept_word("TEMP") || cursor.accept_word("TEMPORARY");
  header.modified = !modifier.empty() && cursor.accept_word(modifier);
  READ_OR_FAIL(cursor.expect_word(kind));
  if (cursor.accept_word("IF")) {
    READ_OR_FAIL(cursor.expect_word("NOT"));
    READ_OR_FAIL(cursor.expect_word("EXISTS"));
  }
  auto name = cursor.qualified_name(what);
  if (!name) {
    return Core::fail(std::move(name.error()));
  }
  header.name = std::move(*name);
  return header;
}

// The head of a statement into the fields every kind of text shares.
template <class Text>
Core::Result<Header> header(Cursor& cursor, std::string_view kind, const char* what, Text& text) {
  auto head = read_header(cursor, {}, kind, what);
  if (head) {
    text.temporary = head->temporary;
    text.schema = head->name.schema;
    text.name = head->name.name;
  }
  return head;
}

// "ON CONFLICT <word>", upper-case; "" without it.
Core::Result<std::string> conflict_clause(Cursor& cursor) {
  if (!cursor.is_word("ON") || !cursor.is_word("CONFLICT", 1)) {
    return std::string();
  }
  cursor.seek(cursor.position() + 2);
  if (cursor.at_end() || cursor.token(cursor.position()).kind != SqlTokenKind::Word) {
    return Core::fail(cursor.error("a conflict resolution"));
  }
  const std::size_t word = cursor.position();
  cursor.seek(word + 1);
  return upper_ascii(cursor.text(word));
}

// "[NOT] DEFERRABLE [INITIALLY DEFERRED|IMMEDIATE]" in the builder's words;
// nullopt when the cursor is not at one.
Core::Result<std::optional<std::string>> deferrable_clause(Cursor& cursor) {
  const bool negated = cursor.is_word("NOT") && cursor.is_word("DEFERRABLE", 1);
  if (!negated && !cursor.is_word("DEFERRABLE")) {
    return std::optional<std::string>();
  }
  cursor.seek(cursor.position() + (negated ? 2 : 1));
  std::string initially;
  if (cursor.accept_word("INITIALLY")) {
    if (cursor.accept_word("DEFERRED")) {
      initially = "INITIALLY DEFERRED";
    } else if (cursor.accept_word("IMMEDIATE")) {
      initially = "INITIALLY IMMEDIATE";
    } else {
      return Core::fail(cursor.error("DEFERRED or IMMEDIATE"));
    }
  }
  // NOT DEFERRABLE is immediate whatever follows it.
  if (negated) {
    return std::optional<std::string>("NOT");
  }
  return std::optional<std::string>(initially.empty() ? "NOTHING" : initially);
}

Core::Result<std::vector<std::string>> name_list(Cursor& cursor) {
  auto items = cursor.parenthesised_list();
  if (!items) {
    return Core::fail(std::move(items.error()));
  }
  std::vector<std::string> names;
  names.reserve(items->size());
  for (std::string_view item : *items) {
    names.push_back(Providers::Supports::unquote_sql(item));
  }
  return names;
}

// "REFERENCES name [(columns)] [ON DELETE|UPDATE action | MATCH name]... [deferrable]".
Core::Status references_clause(Cursor& cursor, DeclaredForeignKey& key) {
  READ_OR_FAIL(cursor.expect_word("REFERENCES"));
  auto table = cursor.name("the referenced table");
  if (!table) {
    return Core::fail(std::move(table.error()));
  }
  key.table = std::move(*table);
  if (cursor.is_punct("(")) {
    auto columns = name_list(cursor);
    if (!columns) {
      return Core::fail(std::move(columns.error()));
    }
    key.refer_columns = std::move(*columns);
  }
  while (true) {
    if (cursor.is_word("ON") && !cursor.is_word("CONFLICT", 1)) {
      cursor.seek(cursor.position() + 1);
      if (!cursor.accept_word("DELETE") && !cursor.accept_word("UPDATE")) {
        return Core::fail(cursor.error("DELETE or UPDATE"));
      }
      if (cursor.accept_word("SET")) {
        if (!cursor.accept_word("NULL") && !cursor.accept_word("DEFAULT")) {
          return Core::fail(cursor.error("NULL or DEFAULT"));
        }
      } else if (cursor.accept_word("NO")) {
        READ_OR_FAIL(cursor.expect_word("ACTION"));
      } else if (!cursor.accept_word("CASCADE") && !cursor.accept_word("RESTRICT")) {
        return Core::fail(cursor.error("a foreign key action"));
      }
    } else if (cursor.accept_word("MATCH")) {
      READ_OR_FAIL(cursor.name("a match name"));
    } else {
      break;
    }
  }
  auto deferrable = deferrable_clause(cursor);
  if (!deferrable) {
    return Core::fail(std::move(deferrable.error()));
  }
  if (*deferrable) {
    key.deferrable = std::move(**deferrable);
  }
  return {};
}

// A UNIQUE constraint with the conflict clause that may follow it.
Core::Status add_unique(Cursor& cursor, TableText& table, DeclaredUnique unique) {
  auto conflict = conflict_clause(cursor);
  if (!conflict) {
    return Core::fail(std::move(conflict.error()));
  }
  unique.conflict = std::move(*conflict);
  table.uniques.push_back(std::move(unique));
  return {};
}

bool starts_column_constraint(const Cursor& cursor) {
  static constexpr std::string_view kWords[] = {"CONSTRAINT", "DEFAULT", "NULL",    "NOT", "PRIMARY", "UNIQUE",
                                                "CHECK",      "REFERENCES", "COLLATE", "AS",  "DEFERRABLE"};
  for (std::string_view word : kWords) {
    if (cursor.is_word(word)) {
      return true;
    }
  }
  return cursor.is_word("GENERATED") && cursor.is_word("ALWAYS", 1);
}

bool starts_table_constraint(const Cursor& cursor) {
  return cursor.is_word("CONSTRAINT") || cursor.is_word("PRIMARY") || cursor.is_word("UNIQUE") ||
         cursor.is_word("CHECK") || cursor.is_word("FOREIGN");
}

// "(expression)" as written between the parentheses.
Core::Result<std::string> parenthesised_expression(Cursor& cursor) {
  const std::size_t open = cursor.position();
  auto close = cursor.skip_parens();
  if (!close) {
    return Core::fail(std::move(close.error()));
  }
  if (*close == open + 1) {
    return Core::fail(cursor.error("an expression"));
  }
  return std::string(cursor.span(open + 1, *close - 1));
}

// DEFAULT values come from the pragmas; the reader only steps over them.
Core::Status skip_default(Cursor& cursor) {
  if (cursor.is_punct("(")) {
    READ_OR_FAIL(cursor.skip_parens());
    return {};
  }
  if (cursor.is_punct("+") || cursor.is_punct("-")) {
    cursor.seek(cursor.position() + 1);
  }
  if (cursor.at_end() || cursor.is_punct(",") || cursor.is_punct(")")) {
    return Core::fail(cursor.error("a default value"));
  }
  cursor.seek(cursor.position() + 1);
  return {};
}

Core::Status column_definition(Cursor& cursor, TableText& table) {
  DeclaredColumn column;
  auto name = cursor.name("a column name");
  if (!name) {
    return Core::fail(std::move(name.error()));
  }
  column.name = std::move(*name);
  const std::size_t type_start = cursor.position();
  while (cursor.is_name() && !starts_column_constraint(cursor)) {
    cursor.seek(cursor.position() + 1);
  }
  if (cursor.position() > type_start && cursor.is_punct("(")) {
    READ_OR_FAIL(cursor.skip_parens());
  }
  if (cursor.position() > type_start) {
    column.type = std::string(cursor.span(type_start, cursor.position() - 1));
  }

  std::string constraint_name;
  while (!cursor.at_end() && !cursor.is_punct(",") && !cursor.is_punct(")")) {
    if (cursor.accept_word("CONSTRAINT")) {
      auto named = cursor.name("a constraint name");
      if (!named) {
        return Core::fail(std::move(named.error()));
      }
      constraint_name = std::move(*named);
      continue;
    }
    if (cursor.accept_word("DEFAULT")) {
      READ_OR_FAIL(skip_default(cursor));
    } else if (cursor.accept_word("NULL")) {
      READ_OR_FAIL(conflict_clause(cursor));
    } else if (cursor.is_word("NOT") && cursor.is_word("NULL", 1)) {
      cursor.seek(cursor.position() + 2);
      auto conflict = conflict_clause(cursor);
      if (!conflict) {
        return Core::fail(std::move(conflict.error()));
      }
      column.not_null_conflict = std::move(*conflict);
    } else if (cursor.accept_word("PRIMARY")) {
      READ_OR_FAIL(cursor.expect_word("KEY"));
      column.primary_key = true;
      if (cursor.accept_word("DESC")) {
        table.unsupported.push_back("the primary key column \"" + column.name + "\" is declared DESC");
      } else {
        cursor.accept_word("ASC");
      }
      auto conflict = conflict_clause(cursor);
      if (!conflict) {
        return Core::fail(std::move(conflict.error()));
      }
      if (!conflict->empty()) {
        table.unsupported.push_back("the primary key has an ON CONFLICT clause");
      }
      column.autoincrement = cursor.accept_word("AUTOINCREMENT");
    } else if (cursor.accept_word("UNIQUE")) {
      READ_OR_FAIL(add_unique(cursor, table, {constraint_name, {canonical_name(column.name)}, {}, column.name}));
    } else if (cursor.accept_word("CHECK")) {
      auto expression = parenthesised_expression(cursor);
      if (!expression) {
        return Core::fail(std::move(expression.error()));
      }
      table.checks.push_back(DeclaredCheck{constraint_name, std::move(*expression), column.name});
    } else if (cursor.is_word("REFERENCES")) {
      DeclaredForeignKey key;
      key.name = constraint_name;
      key.columns.push_back(column.name);
      READ_OR_FAIL(references_clause(cursor, key));
      table.foreign_keys.push_back(std::move(key));
    } else if (cursor.accept_word("COLLATE")) {
      auto collation = cursor.name("a collation name");
      if (!collation) {
        return Core::fail(std::move(collation.error()));
      }
      column.collation = std::move(*collation);
    } else if (cursor.is_word("GENERATED") || cursor.is_word("AS")) {
      if (cursor.accept_word("GENERATED")) {
        READ_OR_FAIL(cursor.expect_word("ALWAYS"));
      }
      READ_OR_FAIL(cursor.expect_word("AS"));
      auto expression = parenthesised_expression(cursor);
      if (!expression) {
        return Core::fail(std::move(expression.error()));
      }
      column.generated = std::move(*expression);
      if (cursor.accept_word("STORED")) {
        column.stored = true;
      } else {
        cursor.accept_word("VIRTUAL");
      }
    } else {
      // A DEFERRABLE clause on its own belongs to the column's last REFERENCES.
      auto deferrable = deferrable_clause(cursor);
      if (!deferrable) {
        return Core::fail(std::move(deferrable.error()));
      }
      if (!*deferrable) {
        return Core::fail(cursor.error("a column constraint"));
      }
      if (!table.foreign_keys.empty()) {
        table.foreign_keys.back().deferrable = std::move(**deferrable);
      }
    }
    constraint_name.clear();
  }
  table.columns.push_back(std::move(column));
  return {};
}

DeclaredColumn* find_column(TableText& table, std::string_view name) {
  for (DeclaredColumn& column : table.columns) {
    if (same_name(column.name, name)) {
      return &column;
    }
  }
  return nullptr;
}

// The key terms of a table PRIMARY KEY: each must be a bare column name (ASC
// allowed) for the model, which keeps the key as flags on its columns.
Core::Status primary_key_terms(Cursor& cursor, TableText& table) {
  auto items = cursor.parenthesised_list();
  if (!items) {
    return Core::fail(std::move(items.error()));
  }
  for (std::string_view item : *items) {
    const auto tokens = Providers::Supports::tokenize_sql(item);
    std::size_t count = tokens.size();
    bool autoincrement = false;
    if (count > 1 && same_name(tokens[count - 1].text(item), "AUTOINCREMENT")) {
      autoincrement = true;
      --count;
    }
    if (count > 1 && same_name(tokens[count - 1].text(item), "ASC")) {
      --count;
    }
    if (count != 1 || tokens[0].kind == SqlTokenKind::Punct) {
      table.unsupported.push_back("the primary key term " + std::string(item) +
                                  " has a collation, an order or an expression");
      continue;
    }
    if (autoincrement) {
      if (DeclaredColumn* column = find_column(table, Providers::Supports::unquote_sql(tokens[0].text(item)))) {
        column->autoincrement = true;
      }
    }
  }
  return {};
}

Core::Status table_constraint(Cursor& cursor, TableText& table) {
  std::string name;
  if (cursor.accept_word("CONSTRAINT")) {
    auto named = cursor.name("a constraint name");
    if (!named) {
      return Core::fail(std::move(named.error()));
    }
    name = std::move(*named);
  }
  if (cursor.accept_word("PRIMARY")) {
    READ_OR_FAIL(cursor.expect_word("KEY"));
    READ_OR_FAIL(primary_key_terms(cursor, table));
    auto conflict = conflict_clause(cursor);
    if (!conflict) {
      return Core::fail(std::move(conflict.error()));
    }
    if (!conflict->empty()) {
      table.unsupported.push_back("the primary key has an ON CONFLICT clause");
    }
  } else if (cursor.accept_word("UNIQUE")) {
    auto items = cursor.parenthesised_list();
    if (!items) {
      return Core::fail(std::move(items.error()));
    }
    DeclaredUnique unique;
    unique.name = std::move(name);
    for (std::string_view item : *items) {
      unique.terms.push_back(canonical_term(item));
    }
    READ_OR_FAIL(add_unique(cursor, table, std::move(unique)));
  } else if (cursor.accept_word("CHECK")) {
    auto expression = parenthesised_expression(cursor);
    if (!expression) {
      return Core::fail(std::move(expression.error()));
    }
    // SQLite reads and ignores a conflict clause after a table CHECK.
    READ_OR_FAIL(conflict_clause(cursor));
    table.checks.push_back(DeclaredCheck{std::move(name), std::move(*expression), {}});
  } else if (cursor.accept_word("FOREIGN")) {
    READ_OR_FAIL(cursor.expect_word("KEY"));
    DeclaredForeignKey key;
    key.name = std::move(name);
    auto columns = name_list(cursor);
    if (!columns) {
      return Core::fail(std::move(columns.error()));
    }
    key.columns = std::move(*columns);
    READ_OR_FAIL(references_clause(cursor, key));
    table.foreign_keys.push_back(std::move(key));
  } else {
    return Core::fail(cursor.error("a table constraint"));
  }
  return {};
}

Core::Status table_options(Cursor& cursor, TableText& table) {
  while (!cursor.at_end()) {
    if (cursor.accept_word("WITHOUT")) {
      READ_OR_FAIL(cursor.expect_word("ROWID"));
      table.without_rowid = true;
    } else if (cursor.accept_word("STRICT")) {
      table.strict = true;
    } else {
      return Core::fail(cursor.error("WITHOUT ROWID or STRICT"));
    }
    if (!cursor.at_end()) {
      READ_OR_FAIL(cursor.expect_punct(","));
    }
  }
  return {};
}

}  // namespace

Core::Result<TableText> read_create_table(std::string_view sql) {
  Cursor cursor(sql, "CREATE TABLE");
  TableText table;
  auto head = read_header(cursor, "VIRTUAL", "TABLE", "a table name");
  if (!head) {
    return Core::fail(std::move(head.error()));
  }
  table.is_virtual = head->modified;
  table.schema = std::move(head->name.schema);
  table.name = std::move(head->name.name);
  if (table.is_virtual) {
    READ_OR_FAIL(cursor.expect_word("USING"));
    if (cursor.at_end()) {
      return Core::fail(cursor.error("a module name"));
    }
    table.module = std::string(cursor.rest(cursor.position()));
    return table;
  }
  READ_OR_FAIL(cursor.expect_punct("("));
  bool constraints = false;
  while (true) {
    if (!constraints && starts_table_constraint(cursor)) {
      constraints = true;
    }
    READ_OR_FAIL(constraints ? table_constraint(cursor, table) : column_definition(cursor, table));
    if (cursor.accept_punct(",")) {
      continue;
    }
    if (cursor.accept_punct(")")) {
      break;
    }
    // Table constraints may follow each other without a comma.
    if (!constraints || cursor.at_end()) {
      return Core::fail(cursor.error("',' or ')'"));
    }
  }
  READ_OR_FAIL(table_options(cursor, table));
  return table;
}

Core::Result<IndexText> read_create_index(std::string_view sql) {
  Cursor cursor(sql, "CREATE INDEX");
  IndexText index;
  auto head = read_header(cursor, "UNIQUE", "INDEX", "an index name");
  if (!head) {
    return Core::fail(std::move(head.error()));
  }
  index.unique = head->modified;
  index.schema = std::move(head->name.schema);
  index.name = std::move(head->name.name);
  READ_OR_FAIL(cursor.expect_word("ON"));
  auto table = cursor.name("a table name");
  if (!table) {
    return Core::fail(std::move(table.error()));
  }
  index.table = std::move(*table);
  auto terms = cursor.parenthesised_list();
  if (!terms) {
    return Core::fail(std::move(terms.error()));
  }
  for (std::string_view term : *terms) {
    index.terms.push_back(canonical_term(term));
  }
  if (cursor.accept_word("WHERE")) {
    if (cursor.at_end()) {
      return Core::fail(cursor.error("a condition"));
    }
    index.where = std::string(cursor.rest(cursor.position()));
  } else if (!cursor.at_end()) {
    return Core::fail(cursor.error("WHERE or the end"));
  }
  return index;
}

Core::Result<TriggerText> read_create_trigger(std::string_view sql) {
  Cursor cursor(sql, "CREATE TRIGGER");
  TriggerText trigger;
  auto head = header(cursor, "TRIGGER", "a trigger name", trigger);
  if (!head) {
    return Core::fail(std::move(head.error()));
  }
  trigger.name_offset = head->name.offset;
  trigger.name_length = head->name.length;
  if (cursor.accept_word("BEFORE")) {
    trigger.timing = "BEFORE";
  } else if (cursor.accept_word("AFTER")) {
    trigger.timing = "AFTER";
  } else if (cursor.accept_word("INSTEAD")) {
    READ_OR_FAIL(cursor.expect_word("OF"));
    trigger.timing = "INSTEAD OF";
  }
  if (cursor.accept_word("INSERT")) {
    trigger.event = "INSERT";
  } else if (cursor.accept_word("DELETE")) {
    trigger.event = "DELETE";
  } else if (cursor.accept_word("UPDATE")) {
    trigger.event = "UPDATE";
    if (cursor.accept_word("OF")) {
      do {
        auto column = cursor.name("a column name");
        if (!column) {
          return Core::fail(std::move(column.error()));
        }
        trigger.columns.push_back(std::move(*column));
      } while (cursor.accept_punct(","));
    }
  } else {
    return Core::fail(cursor.error("INSERT, UPDATE or DELETE"));
  }
  READ_OR_FAIL(cursor.expect_word("ON"));
  auto table = cursor.qualified_name("a table name");
  if (!table) {
    return Core::fail(std::move(table.error()));
  }
  trigger.table = std::move(table->name);
  if (cursor.accept_word("FOR")) {
    READ_OR_FAIL(cursor.expect_word("EACH"));
    READ_OR_FAIL(cursor.expect_word("ROW"));
    trigger.for_each_row = true;
  }
  std::size_t when_start = 0;
  if (cursor.accept_word("WHEN")) {
    when_start = cursor.position();
  }
  // The body starts at the first BEGIN outside parentheses that is not a
  // column name (as in "new.begin").
  int depth = 0;
  for (; !cursor.at_end(); cursor.seek(cursor.position() + 1)) {
    if (cursor.is_punct("(")) {
      ++depth;
    } else if (cursor.is_punct(")")) {
      --depth;
    } else if (depth == 0 && cursor.is_word("BEGIN") &&
               (cursor.position() == 0 || cursor.text(cursor.position() - 1) != ".")) {
      break;
    }
  }
  if (cursor.at_end()) {
    return Core::fail(cursor.error("BEGIN"));
  }
  const std::size_t begin = cursor.position();
  if (when_start != 0) {
    if (begin == when_start) {
      return Core::fail(cursor.error("a WHEN condition"));
    }
    trigger.when = std::string(cursor.span(when_start, begin - 1));
  }
  const std::size_t last = cursor.size() - 1;
  if (last <= begin || !same_name(cursor.text(last), "END")) {
    cursor.seek(last);
    return Core::fail(cursor.error("END"));
  }
  trigger.begin = cursor.token(begin).offset;
  trigger.end = cursor.token(last).offset;
  trigger.finish = cursor.end_of(last);
  return trigger;
}

Core::Result<ViewText> read_create_view(std::string_view sql) {
  Cursor cursor(sql, "CREATE VIEW");
  ViewText view;
  READ_OR_FAIL(header(cursor, "VIEW", "a view name", view));
  if (cursor.is_punct("(")) {
    auto columns = name_list(cursor);
    if (!columns) {
      return Core::fail(std::move(columns.error()));
    }
    view.columns = std::move(*columns);
  }
  READ_OR_FAIL(cursor.expect_word("AS"));
  if (cursor.at_end()) {
    return Core::fail(cursor.error("a SELECT statement"));
  }
  view.definition = std::string(sql.substr(cursor.token(cursor.position()).offset));
  return view;
}

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (g_ascii_toupper(a[i]) != g_ascii_toupper(b[i])) {
      return false;
    }
  }
  return true;
}

TypeParts split_declared_type(std::string_view declared) {
  TypeParts parts;
  parts.raw_type = std::string(declared.substr(0, declared.find('(')));
  for (std::size_t open = declared.find('('); open != std::string_view::npos; open = declared.find('(', open + 1)) {
    std::size_t close = open + 1;
    while (close < declared.size() && g_ascii_isdigit(declared[close])) {
      ++close;
    }
    if (close > open + 1 && close < declared.size() && declared[close] == ')') {
      const std::string digits(declared.substr(open + 1, close - open - 1));
      parts.length = g_ascii_strtoull(digits.c_str(), nullptr, 10);
      break;
    }
  }
  return parts;
}

std::string canonical_name(std::string_view name) {
  return Providers::Supports::needs_sql_quotes(name) ? quoted(name, '"') : std::string(name);
}

std::string canonical_term(std::string_view term) {
  const auto tokens = Providers::Supports::tokenize_sql(term);
  if (tokens.size() == 1 &&
      (tokens[0].kind == SqlTokenKind::Word || tokens[0].kind == SqlTokenKind::QuotedName)) {
    return canonical_name(Providers::Supports::unquote_sql(tokens[0].text(term)));
  }
  if (tokens.empty()) {
    return {};
  }
  return std::string(term.substr(tokens.front().offset, tokens.back().offset + tokens.back().length -
                                                            tokens.front().offset));
}

std::vector<std::string> split_list(std::string_view list) {
  std::vector<std::string> items;
  const auto tokens = Providers::Supports::tokenize_sql(list);
  int depth = 0;
  std::size_t first = 0;
  auto flush = [&](std::size_t end) {
    if (end > first) {
      const std::size_t from = tokens[first].offset;
      items.emplace_back(list.substr(from, tokens[end - 1].offset + tokens[end - 1].length - from));
    }
  };
  for (std::size_t index = 0; index < tokens.size(); ++index) {
    if (tokens[index].kind != SqlTokenKind::Punct) {
      continue;
    }
    const std::string_view text = tokens[index].text(list);
    if (text == "(") {
      ++depth;
    } else if (text == ")") {
      --depth;
    } else if (text == "," && depth == 0) {
      flush(index);
      first = index + 1;
    }
  }
  flush(tokens.size());
  return items;
}

std::string sql_element(std::string_view element) {
  const auto tokens = Providers::Supports::tokenize_sql(element);
  if (tokens.empty()) {
    return std::string(element);
  }
  const std::string_view trimmed =
      element.substr(tokens.front().offset, tokens.back().offset + tokens.back().length - tokens.front().offset);
  bool ordinary_words = true;
  for (const SqlToken& token : tokens) {
    if (token.kind == SqlTokenKind::Illegal) {
      return quoted(trimmed, '"');
    }
    if (token.kind != SqlTokenKind::Word || (tokens.size() > 1 && Providers::Supports::is_sql_keyword(token.text(element)))) {
      ordinary_words = false;
    }
  }
  if (tokens.size() == 1 && tokens[0].kind == SqlTokenKind::Word) {
    return canonical_name(trimmed);
  }
  return ordinary_words ? quoted(trimmed, '"') : std::string(trimmed);
}

std::string sql_element_list(std::string_view list) {
  std::string text;
  for (const std::string& item : split_list(list)) {
    if (!text.empty()) {
      text += ", ";
    }
    text += sql_element(item);
  }
  return text;
}

#undef READ_OR_FAIL

}  // namespace Tolvane::Orvel::Supports::Database
