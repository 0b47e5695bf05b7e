#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "orvel/model/meta_table.hpp"
#include "orvel/supports/data/extractors/dsv_extractor.hpp"
#include "tests/orvel/supports/database/connection_fixture.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors::Testing {

// A host, a database "data.db" in a temporary folder, and the helpers the
// extractor tests share: running SQL, reading rows back as text, describing a
// table with "SOURCE" tags, and running an import to its end.
class ExtractorTest : public Database::Testing::ConnectionTest {
 protected:
  struct Outcome {
    Core::Result<std::int64_t> result = 0;
    std::vector<RowFailure> failures;
  };

  void SetUp() override { m_db = open("data.db"); }

  void run(const std::string& sql) {
    auto done = m_db->execute(sql, false);
    ASSERT_TRUE(done.has_value()) << done.error().message;
    for (const auto& item : *done) {
      auto* value = dynamic_cast<Providers::Contracts::ValueObject*>(item.get());
      if (value != nullptr && value->get_data_type() == Providers::Contracts::DataType::Error) {
        FAIL() << sql << ": " << value->to_string();
      }
    }
  }

  // Each row of `sql` as its cells' texts joined by '|', NULL as "∅".
  std::vector<std::string> rows(const std::string& sql) {
    auto model = m_db->execute_as_model(sql, false);
    EXPECT_TRUE(model.has_value()) << (model ? "" : model.error().message);
    std::vector<std::string> out;
    if (!model) {
      return out;
    }
    for (const auto& row : (*model)->get_rows()) {
      std::string line;
      for (std::size_t i = 0; i < row->get_values().size(); ++i) {
        const auto& value = row->get_values()[i];
        line += (i > 0 ? "|" : "") + (value->get_is_null() ? std::string("∅") : value->to_string());
      }
      out.push_back(line);
    }
    return out;
  }

  using Column = std::tuple<std::string, Providers::Contracts::DataType, bool>;  // name, kind, primary key

  // A table description whose every column takes the source field of its own name.
  static std::shared_ptr<MetaModel::MetaTable> table(const std::string& name, const std::vector<Column>& columns,
                                                     const std::string& schema = "main") {
    auto table = MetaModel::MetaTable::with_names("", schema, name);
    for (const auto& [column_name, kind, key] : columns) {
      auto column = table->new_column(column_name, kind);
      column->set_is_primary_key(key);
      column->set_data("SOURCE", column_name);
    }
    return table;
  }

  // Imports `text` with the extractor's options and waits for the end.
  template <class Extractor>
  Outcome import_text(Extractor& extractor, const std::string& text,
                      const std::shared_ptr<MetaModel::MetaTable>& target, ProgressCallback progress = nullptr) {
    Outcome outcome;
    bool finished = false;
    ImportObserver observer;
    observer.failure = [&](const RowFailure& failure) { outcome.failures.push_back(failure); };
    extractor.set_import_observer(observer);
    extractor.import_from_text(text, m_db, target, std::move(progress), [&](Core::Result<std::int64_t> result) {
      outcome.result = std::move(result);
      finished = true;
    });
    EXPECT_TRUE(Host::run_until([&] { return finished; }, 20000));
    return outcome;
  }

  // A table of every kind of value SQLite stores, awkward ones first: a first
  // row of NULLs, empty texts and blobs, blobs with zero bytes, doubles at the
  // ends of their range, the 64-bit integer limits, texts with quotes, markup,
  // line breaks and what looks like an escape; and a column whose name is no
  // XML name.
  static constexpr const char* kEveryValueColumns =
      "(id INTEGER PRIMARY KEY, name TEXT, price REAL, data BLOB, qty INTEGER, \"count(*)\" TEXT)";
  void fill_every_value(const std::string& table) {
    run("CREATE TABLE " + table + kEveryValueColumns);
    run("INSERT INTO " + table +
        " VALUES (1, NULL, NULL, NULL, NULL, NULL),"
        " (2, 'O''Brien, \"the\" first', 1.5, x'00ff00', 3, 'a<b&c>'),"
        " (3, '', 1e-7, x'', -9223372036854775808, ''),"
        " (4, 'multi' || char(10) || 'line' || char(13) || char(10) || 'crlf' || char(13), 1.7976931348623157e308,"
        "  x'68656c6c6f', 9223372036854775807, '  '),"
        " (5, '<script>alert(1)</script> & {\"a\":\"x\\\"y\"}', 3.14159265358979, randomblob(40), 0,"
        "  'tab' || char(9) || 'here'),"
        " (6, '_x0041_ ünï 名前', 0.1, zeroblob(3), -1, ' lead and trail '),"
        " (7, 'NULL', 5e-324, x'', 42, '1.5')");
  }
  // The rows of such a table as the engine quotes them, with their types.
  std::vector<std::string> every_value_rows(const std::string& table) {
    return rows("SELECT id, quote(name), quote(price), typeof(price), quote(data), quote(qty), typeof(qty), "
                "quote(\"count(*)\") FROM " + table + " ORDER BY id");
  }
  static std::shared_ptr<MetaModel::MetaTable> every_value_table(const std::string& name) {
    using Providers::Contracts::DataType;
    return table(name, {{"id", DataType::Int64, true},
                        {"name", DataType::String, false},
                        {"price", DataType::Double, false},
                        {"data", DataType::Blob, false},
                        {"qty", DataType::Int64, false},
                        {"count(*)", DataType::String, false}});
  }

  // Exports such a table with an extractor from `make`, imports the document
  // into fresh tables in the designed and in the fast mode, and expects the
  // same rows back; `check` looks at the document first.
  template <class Make>
  void expect_every_value_round_trip(Make make, const std::function<void(const std::string&)>& check = {}) {
    fill_every_value("items");
    auto model = m_db->execute_as_model("SELECT * FROM items ORDER BY id", false);
    ASSERT_TRUE(model.has_value());
    for (const char* fast : {"false", "true"}) {
      auto extractor = make();
      std::string document;
      ASSERT_EQ(extractor->export_to_text(*model, &document, nullptr).value_or(-1), 7);
      if (check) {
        check(document);
      }
      const std::string copy = std::string("copy_") + (fast[0] == 't' ? "fast" : "designed");
      run("CREATE TABLE " + copy + kEveryValueColumns);
      extractor->get_options()["ACTION"] = "append";
      extractor->get_options()["FAST_IMPORT"] = fast;
      auto outcome = import_text(*extractor, document, every_value_table(copy));
      ASSERT_TRUE(outcome.result.has_value()) << outcome.result.error().message;
      EXPECT_EQ(*outcome.result, 7);
      EXPECT_TRUE(outcome.failures.empty());
      EXPECT_EQ(every_value_rows(copy), every_value_rows("items")) << fast;
    }
  }

  std::shared_ptr<Database::SQLiteConnection> m_db;
};

}  // namespace Tolvane::Orvel::Supports::Data::Extractors::Testing
