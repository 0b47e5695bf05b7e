#pragma once

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
  Outcome import_text(DsvExtractor& extractor, const std::string& text,
                      const std::shared_ptr<MetaModel::MetaTable>& target) {
    Outcome outcome;
    bool finished = false;
    ImportObserver observer;
    observer.failure = [&](const RowFailure& failure) { outcome.failures.push_back(failure); };
    extractor.set_import_observer(observer);
    extractor.import_from_text(text, m_db, target, nullptr, [&](Core::Result<std::int64_t> result) {
      outcome.result = std::move(result);
      finished = true;
    });
    EXPECT_TRUE(Host::run_until([&] { return finished; }, 20000));
    return outcome;
  }

  std::shared_ptr<Database::SQLiteConnection> m_db;
};

}  // namespace Tolvane::Orvel::Supports::Data::Extractors::Testing
