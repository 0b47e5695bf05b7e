// The schema diff of two 500-table schemas (Patcher::diff_meta_schema on
// filled trees): it must take milliseconds, with name lookups through maps
// rather than a scan of the other side per element.

#include <benchmark/benchmark.h>

#include <map>

#include <glib.h>
#include <glib/gstdio.h>

#include "orvel/contracts/database/adaptable.hpp"
#include "orvel/model/meta_model.hpp"
#include "orvel/supports/database/script_runner.hpp"
#include "orvel/supports/database/sqlite/sqlite_connection.hpp"
#include "orvel/transform/patcher.hpp"

namespace {

using Tolvane::Orvel::MetaModel::MetaSchema;
using Tolvane::Orvel::MetaModel::MetaSchemaPtr;
using Tolvane::Orvel::Supports::Database::ScriptRunner;
using Tolvane::Orvel::Supports::Database::SQLiteConnection;
using Tolvane::Orvel::Transform::Patcher;

// `tables` tables of 12 columns with an index, a foreign key and a view per
// ten tables; every `changed`-th table (0: none) has a column more and its
// index on another column, as a newer version of an application's schema.
std::string schema(int tables, int changed) {
  std::string script = "BEGIN;\n";
  for (int i = 0; i < tables; ++i) {
    const bool differs = changed > 0 && i % changed == 0;
    const std::string t = "t" + std::to_string(i);
    script += "CREATE TABLE " + t + " (id INTEGER PRIMARY KEY, name TEXT NOT NULL, amount NUMERIC(10,2) DEFAULT 0";
    for (int c = 3; c < 12; ++c) {
      script += ", c" + std::to_string(c) + (c % 2 ? " TEXT" : " INTEGER");
    }
    if (differs) {
      script += ", added REAL";
    }
    if (i > 0) {
      script += ", parent INTEGER REFERENCES t" + std::to_string(i - 1) + "(id)";
    }
    script += ");\nCREATE INDEX " + t + "_i ON " + t + (differs ? " (c4, name);\n" : " (name);\n");
    if (i % 10 == 0) {
      script += "CREATE VIEW v" + std::to_string(i) + " AS SELECT id, name FROM " + t + ";\n";
    }
  }
  return script + "COMMIT;\n";
}

class Filled {
 public:
  Filled(int tables, int changed) {
    gchar* folder = g_dir_make_tmp("tolvane-bench-XXXXXX", nullptr);
    m_file = std::string(folder) + "/diff.db";
    m_folder = folder;
    g_free(folder);
    auto server = Tolvane::Providers::Contracts::Server::with_provider("SQLite");
    server->set_filename(m_file);
    auto connection = SQLiteConnection::create();
    (void)connection->open(server, nullptr);
    (void)ScriptRunner(*connection).run(schema(tables, changed));
    m_schema = MetaSchema::with_names("", "main");
    (void)connection->adapter()->fill_meta_schema(m_schema, true);
    connection->close();
  }
  ~Filled() {
    g_remove(m_file.c_str());
    g_rmdir(m_folder.c_str());
  }
  // A fresh copy: a diff writes its marks into the trees it compares.
  MetaSchemaPtr copy() const { return m_schema->clone_as<MetaSchema>(); }

 private:
  std::string m_folder;
  std::string m_file;
  MetaSchemaPtr m_schema;
};

const Filled& filled(int tables, int changed) {
  static std::map<std::pair<int, int>, std::unique_ptr<Filled>> made;
  auto& slot = made[{tables, changed}];
  if (!slot) {
    slot = std::make_unique<Filled>(tables, changed);
  }
  return *slot;
}

// Arguments: tables, every how many tables one differs (0: the same schema).
void BM_DiffMetaSchema(benchmark::State& state) {
  const int tables = static_cast<int>(state.range(0));
  const Filled& source = filled(tables, static_cast<int>(state.range(1)));
  const Filled& target = filled(tables, 0);
  const Patcher patcher;
  for (auto _ : state) {
    state.PauseTiming();
    MetaSchemaPtr from = source.copy();
    MetaSchemaPtr to = target.copy();
    state.ResumeTiming();
    MetaSchemaPtr patch;
    benchmark::DoNotOptimize(patcher.diff_meta_schema(from, to, false, &patch));
    state.PauseTiming();
    from.reset();
    to.reset();
    patch.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * tables);
}
BENCHMARK(BM_DiffMetaSchema)
    ->Args({100, 0})
    ->Args({500, 0})
    ->Args({500, 10})
    ->Args({500, 1})
    ->Unit(benchmark::kMillisecond);

// The floor: the JSON text of both schemas, which the diff compares.
void BM_JsonOfBothSchemas(benchmark::State& state) {
  const int tables = static_cast<int>(state.range(0));
  const Filled& source = filled(tables, static_cast<int>(state.range(1)));
  const Filled& target = filled(tables, 0);
  MetaSchemaPtr from = source.copy();
  MetaSchemaPtr to = target.copy();
  for (auto _ : state) {
    benchmark::DoNotOptimize(from->to_json().size() + to->to_json().size());
  }
  state.SetItemsProcessed(state.iterations() * tables);
}
BENCHMARK(BM_JsonOfBothSchemas)->Args({100, 0})->Args({500, 0})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
