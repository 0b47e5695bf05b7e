// Filling the metadata model from a schema and building its CREATE text: the
// cost must grow with the number of tables, not with its square.

#include <benchmark/benchmark.h>

#include <map>

#include <glib.h>
#include <glib/gstdio.h>

#include "orvel/contracts/database/adaptable.hpp"
#include "orvel/contracts/database/buildable.hpp"
#include "orvel/model/meta_model.hpp"
#include "orvel/supports/database/script_runner.hpp"
#include "orvel/supports/database/sqlite/sqlite_connection.hpp"

namespace {

using Tolvane::Orvel::MetaModel::MetaSchema;
using Tolvane::Orvel::MetaModel::MetaSchemaPtr;
using Tolvane::Orvel::Supports::Database::ScriptRunner;
using Tolvane::Orvel::Supports::Database::SQLiteConnection;
using Tolvane::Providers::Contracts::Server;

constexpr int kColumns = 20;

// Table i: an INTEGER primary key, 19 more columns of mixed types, foreign
// keys to the two tables before it, a UNIQUE and a CHECK, a plain and a
// partial index and a trigger.
std::string schema_script(int tables) {
  std::string script = "BEGIN;\n";
  for (int i = 0; i < tables; ++i) {
    const std::string t = "t" + std::to_string(i);
    script += "CREATE TABLE " + t + " (id INTEGER PRIMARY KEY";
    for (int c = 1; c < kColumns; ++c) {
      static constexpr const char* kTypes[] = {"TEXT", "INTEGER", "REAL", "VARCHAR(40)", "NUMERIC(10,2)"};
      script += ", c" + std::to_string(c) + " " + kTypes[c % 5];
      if (c == 2) {
        script += " NOT NULL DEFAULT 0";
      }
    }
    if (i >= 2) {
      script += ", FOREIGN KEY (c2) REFERENCES t" + std::to_string(i - 1) + "(id)";
      script += ", FOREIGN KEY (c7) REFERENCES t" + std::to_string(i - 2) + "(id) ON DELETE CASCADE";
    }
    script += ", UNIQUE (c1, c3), CHECK (c2 >= 0));\n";
    script += "CREATE INDEX " + t + "_a ON " + t + " (c4);\n";
    script += "CREATE INDEX " + t + "_b ON " + t + " (c5, c6) WHERE c5 IS NOT NULL;\n";
    script += "CREATE TRIGGER " + t + "_tr AFTER UPDATE OF c1 ON " + t + " WHEN new.c1 <> old.c1 BEGIN UPDATE " + t +
              " SET c2 = c2 + 1 WHERE id = new.id; END;\n";
  }
  return script + "COMMIT;\n";
}

class Database {
 public:
  explicit Database(int tables) {
    gchar* folder = g_dir_make_tmp("tolvane-bench-XXXXXX", nullptr);
    m_folder = folder;
    g_free(folder);
    auto server = Server::with_provider("SQLite");
    server->set_filename(m_folder + "/schema.db");
    m_connection = SQLiteConnection::create();
    (void)m_connection->open(server, nullptr);
    (void)ScriptRunner(*m_connection).run(schema_script(tables));
  }
  ~Database() {
    m_connection->close();
    g_remove((m_folder + "/schema.db").c_str());
    g_rmdir(m_folder.c_str());
  }
  SQLiteConnection& connection() { return *m_connection; }

 private:
  std::string m_folder;
  std::shared_ptr<SQLiteConnection> m_connection;
};

Database& database(int tables) {
  static std::map<int, std::unique_ptr<Database>> databases;
  auto& slot = databases[tables];
  if (!slot) {
    slot = std::make_unique<Database>(tables);
  }
  return *slot;
}

MetaSchemaPtr filled(SQLiteConnection& connection) {
  auto schema = MetaSchema::with_names("bench", "main");
  (void)connection.adapter()->fill_meta_schema(schema, true);
  return schema;
}

void BM_FillSchema(benchmark::State& state) {
  auto& connection = database(static_cast<int>(state.range(0))).connection();
  for (auto _ : state) {
    auto schema = filled(connection);
    benchmark::DoNotOptimize(schema);
  }
  state.SetComplexityN(state.range(0));
}

// The queries no fill can do without, through the same connection: the
// schema table once, and each table's columns and foreign keys.
void BM_ReadCatalogueAlone(benchmark::State& state) {
  auto& connection = database(static_cast<int>(state.range(0))).connection();
  for (auto _ : state) {
    auto tables = connection.execute_as_model("SELECT type, name, tbl_name, sql FROM main.sqlite_master", false);
    for (int i = 0; i < state.range(0); ++i) {
      const std::string t = "t" + std::to_string(i);
      benchmark::DoNotOptimize(connection.execute_as_model("PRAGMA main.table_xinfo(" + t + ")", false));
      benchmark::DoNotOptimize(connection.execute_as_model("PRAGMA main.foreign_key_list(" + t + ")", false));
    }
    benchmark::DoNotOptimize(tables);
  }
  state.SetComplexityN(state.range(0));
}

// What reading each table's indexes and triggers with its own query of the
// schema table would cost: every such query scans the whole table.
void BM_QueryCataloguePerTable(benchmark::State& state) {
  auto& connection = database(static_cast<int>(state.range(0))).connection();
  for (auto _ : state) {
    for (int i = 0; i < state.range(0); ++i) {
      benchmark::DoNotOptimize(connection.execute_as_model(
          "SELECT name, sql FROM main.sqlite_master WHERE tbl_name = 't" + std::to_string(i) + "'", false));
    }
  }
  state.SetComplexityN(state.range(0));
}

void BM_BuildSchema(benchmark::State& state) {
  auto& connection = database(static_cast<int>(state.range(0))).connection();
  auto schema = filled(connection);
  auto builder = connection.builder();
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::string text = builder->build_schema(schema, true);
    bytes = text.size();
    benchmark::DoNotOptimize(text);
  }
  state.SetComplexityN(state.range(0));
  state.counters["bytes"] = static_cast<double>(bytes);
}

#define SCHEMA_SIZES ->Arg(100)->Arg(200)->Arg(300)->Arg(400)->Arg(500)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_FillSchema) SCHEMA_SIZES->Complexity();
BENCHMARK(BM_ReadCatalogueAlone) SCHEMA_SIZES->Complexity();
BENCHMARK(BM_QueryCataloguePerTable) SCHEMA_SIZES->Complexity();
BENCHMARK(BM_BuildSchema) SCHEMA_SIZES->Complexity();

}  // namespace

BENCHMARK_MAIN();
