// Cost of the metadata model's JSON text, which comparisons of whole schemas
// are built on, of reading it back, of cloning, and of deriving view columns.

#include <benchmark/benchmark.h>

#include <string>

#include "orvel/model/meta_model.hpp"

namespace {

using namespace Tolvane::Orvel::MetaModel;
using Tolvane::Providers::Contracts::DataType;

constexpr int kTables = 500;
constexpr int kColumns = 20;
constexpr int kSelectItems = 50;

// 500 tables of 20 columns, each with a primary key, two foreign keys, a check,
// two indexes and two triggers.
MetaSchemaPtr big_schema() {
  auto schema = MetaSchema::with_names("main", "main");
  for (int t = 0; t < kTables; ++t) {
    const std::string name = "table_" + std::to_string(t);
    auto table = MetaTable::with_names("main", "main", name);
    for (int c = 0; c < kColumns; ++c) {
      MetaColumnPtr column = table->new_column("column_" + std::to_string(c), c % 2 == 0 ? DataType::Int64 : DataType::String);
      column->set_ordinal(static_cast<std::uint16_t>(c + 1));
      column->set_raw_type(c % 2 == 0 ? "INTEGER" : "TEXT");
      column->set_not_null(c < 3);
      column->set_is_primary_key(c == 0);
      if (c % 5 == 4) {
        column->set_default_value("'none'");
      }
    }
    auto primary = MetaUnique::with_name("pk_" + name);
    primary->set_columns("column_0");
    primary->set_is_primary_key(true);
    table->get_constraints().push_back(primary);
    for (int k = 0; k < 2; ++k) {
      auto key = MetaForeignKey::with_names("fk_" + name + "_" + std::to_string(k), "main",
                                            "table_" + std::to_string((t + k + 1) % kTables));
      key->set_local_columns("column_" + std::to_string(k + 1));
      key->set_refer_columns("column_0");
      key->set_delete_action("CASCADE");
      key->set_update_action("NO ACTION");
      table->get_constraints().push_back(key);
    }
    table->get_constraints().push_back(MetaCheck::with_name("ck_" + name, "column_2 > 0"));
    for (int i = 0; i < 2; ++i) {
      auto index = MetaIndex::with_names("main", "main", name, "ix_" + name + "_" + std::to_string(i));
      index->append("column_" + std::to_string(i + 3));
      index->append("column_" + std::to_string(i + 4));
      table->get_indexes().push_back(index);
    }
    for (const char* event : {"INSERT", "UPDATE"}) {
      auto trigger = MetaTrigger::with_body("tr_" + name + "_" + event,
                                            "CREATE TRIGGER tr AFTER " + std::string(event) + " ON " + name +
                                                " BEGIN UPDATE " + name + " SET column_1 = 'x'; END");
      trigger->set_timing("AFTER");
      trigger->set_event(event);
      table->get_triggers().push_back(trigger);
    }
    schema->get_tables().push_back(table);
  }
  return schema;
}

std::string select_list() {
  std::string sql = "SELECT ";
  for (int i = 0; i < kSelectItems; ++i) {
    if (i > 0) {
      sql += ",\n       ";
    }
    switch (i % 3) {
      case 0:
        sql += "t.column_" + std::to_string(i) + " as `alias_" + std::to_string(i) + "`";
        break;
      case 1:
        sql += "column_" + std::to_string(i) + " as [alias_" + std::to_string(i) + "]";
        break;
      default:
        sql += "t.column_" + std::to_string(i);
        break;
    }
  }
  return sql + "\nFROM table_0 t WHERE t.column_0 > 0";
}

void BM_SchemaToJson(benchmark::State& state) {
  MetaSchemaPtr schema = big_schema();
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string text = schema->to_json();
    bytes = text.size();
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.counters["text_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SchemaToJson)->Unit(benchmark::kMillisecond);

void BM_SchemaFromJson(benchmark::State& state) {
  const std::string text = big_schema()->to_json();
  for (auto _ : state) {
    auto schema = from_json<MetaSchema>(text);
    if (!schema || (*schema)->get_tables().size() != kTables) {
      state.SkipWithError("the schema did not read back");
      break;
    }
    benchmark::DoNotOptimize(schema);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SchemaFromJson)->Unit(benchmark::kMillisecond);

void BM_SchemaClone(benchmark::State& state) {
  MetaSchemaPtr schema = big_schema();
  for (auto _ : state) {
    MetaObjectPtr copy = schema->clone();
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_SchemaClone)->Unit(benchmark::kMillisecond);

void BM_ViewSetDefinition(benchmark::State& state) {
  auto view = MetaView::with_names("main", "main", "v");
  const std::string sql = select_list();
  for (auto _ : state) {
    view->set_definition(sql);
    if (view->get_columns().size() != kSelectItems) {
      state.SkipWithError("the select list did not give 50 columns");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kSelectItems);
}
BENCHMARK(BM_ViewSetDefinition)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
