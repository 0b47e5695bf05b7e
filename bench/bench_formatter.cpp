// How the SQL formatter's time grows with the size of the script, against one
// pass of the SQL lexer over the same script (the least any formatter that
// reads tokens must do) measured in the same run.

#include <benchmark/benchmark.h>

#include <string>

#include "orvel/supports/database/formatter.hpp"
#include "orvel/supports/database/formatter_check.hpp"
#include "tessin/supports/sqlite/sql_lexer.hpp"

namespace {

using Tolvane::Orvel::Supports::Database::Formatter;

// A script of about `bytes` bytes: selects with joins, sub-queries, grouping,
// CASE expressions, string literals with doubled quotes, quoted names, blobs,
// parameters and comments of both kinds, over several lines.
std::string make_script(std::size_t bytes) {
  std::string script;
  script.reserve(bytes + 512);
  for (int i = 0; script.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    switch (i % 4) {
      case 0:
        script += "select o.id, o.total, c.name as customer_" + n +
                  "\n  from orders o inner join customers c on c.id = o.customer_id\n"
                  "  left join notes x on x.order_id = o.id\n"
                  " where o.total > " + n + " and c.name like 'O''Brien%' or c.city = 'New York, NY' -- the key\n"
                  " order by o.total desc;\n";
        break;
      case 1:
        script += "/* customers with orders */ SELECT \"name\", (select count(*) from orders where orders.customer_id = "
                  "customers.id) AS [n " + n + "]" +
                  " FROM customers WHERE id IN ( SELECT customer_id FROM orders WHERE note <> 'it''s done' )"
                  " AND city IS NOT NULL;\n";
        break;
      case 2:
        script += "select case when qty > 10 then 'bulk' else 'single' end as kind, sum(qty), x'00ff'\n"
                  "from items where sku between 'A" + n + "' and :last group   by kind having sum(qty) > 0;\n";
        break;
      default:
        script += "select a.x from (select x from (select x from t" + n +
                  " where y = 'x, y and z') as b) as a union select 1 from dual where not exists (select 1 from u);\n";
        break;
    }
  }
  return script;
}

void BM_Beautify(benchmark::State& state) {
  const std::string script = make_script(static_cast<std::size_t>(state.range(0)));
  auto formatter = Formatter::configured();
  for (auto _ : state) {
    benchmark::DoNotOptimize(formatter->beautify(script));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * script.size()));
}
BENCHMARK(BM_Beautify)->Arg(1 << 10)->Arg(100 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_Minify(benchmark::State& state) {
  const std::string script = make_script(static_cast<std::size_t>(state.range(0)));
  auto formatter = Formatter::configured();
  for (auto _ : state) {
    benchmark::DoNotOptimize(formatter->minify(script));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * script.size()));
}
BENCHMARK(BM_Minify)->Arg(1 << 10)->Arg(100 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// The peer: one pass of the lexer, every token kept.
void BM_Tokenize(benchmark::State& state) {
  const std::string script = make_script(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(Tolvane::Providers::Supports::tokenize_sql(script, true));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * script.size()));
}
BENCHMARK(BM_Tokenize)->Arg(1 << 10)->Arg(100 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

// The check the command makes of every result: the two texts' tokens compared.
void BM_CompareTokens(benchmark::State& state) {
  const std::string script = make_script(static_cast<std::size_t>(state.range(0)));
  const std::string beautified = Formatter::beautify_checked(script).value();
  for (auto _ : state) {
    benchmark::DoNotOptimize(Tolvane::Orvel::Supports::Database::compare_sql_tokens(script, beautified, true));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * script.size()));
}
BENCHMARK(BM_CompareTokens)->Arg(1 << 10)->Arg(100 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
