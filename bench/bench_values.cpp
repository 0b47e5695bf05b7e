// Cost of the value cells and result models that every query result is made of.

#include <benchmark/benchmark.h>

#include <array>

#include "tessin/contracts/table_model.hpp"
#include "tessin/contracts/values.hpp"
#include "tessin/core/object_arena.hpp"

namespace {

using namespace Tolvane::Providers::Contracts;

constexpr int kCells = 1'000'000;
constexpr int kRows = 100'000;
constexpr int kColumns = 10;

void BM_CreateDestroyInt64Cells(benchmark::State& state) {
  std::vector<ValueObjectPtr> cells;
  cells.reserve(kCells);
  for (auto _ : state) {
    for (int i = 0; i < kCells; ++i) {
      cells.push_back(ValueInt64::create(i));
    }
    cells.clear();
  }
  state.SetItemsProcessed(state.iterations() * kCells);
  state.counters["object_bytes"] = sizeof(ValueInt64);
}
BENCHMARK(BM_CreateDestroyInt64Cells)->Unit(benchmark::kMillisecond);

// The same cells made the way a query's fill makes them: in the blocks of an
// arena, which the cells' references share.
void BM_CreateDestroyInt64CellsInArena(benchmark::State& state) {
  std::vector<ValueObjectPtr> cells;
  cells.reserve(kCells);
  for (auto _ : state) {
    {
      Tolvane::Core::ObjectArena arena;
      for (int i = 0; i < kCells; ++i) {
        cells.push_back(arena.make<ValueInt64>(i));
      }
    }
    cells.clear();
  }
  state.SetItemsProcessed(state.iterations() * kCells);
  state.counters["object_bytes"] = sizeof(ValueInt64);
}
BENCHMARK(BM_CreateDestroyInt64CellsInArena)->Unit(benchmark::kMillisecond);

void BM_CreateDestroyStringCells(benchmark::State& state) {
  std::vector<ValueObjectPtr> cells;
  cells.reserve(kCells);
  for (auto _ : state) {
    for (int i = 0; i < kCells; ++i) {
      cells.push_back(ValueString::create("cell text"));
    }
    cells.clear();
  }
  state.SetItemsProcessed(state.iterations() * kCells);
  state.counters["object_bytes"] = sizeof(ValueString);
}
BENCHMARK(BM_CreateDestroyStringCells)->Unit(benchmark::kMillisecond);

template <class Value>
void BM_ToString(benchmark::State& state) {
  auto value = Value::create(static_cast<decltype(Value::create()->get_itsvalue())>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(value->to_string());
  }
}
BENCHMARK(BM_ToString<ValueInt8>)->Arg(-100);
BENCHMARK(BM_ToString<ValueInt32>)->Arg(-2000000000);
BENCHMARK(BM_ToString<ValueInt64>)->Arg(-9000000000000000000);
BENCHMARK(BM_ToString<ValueUInt64>)->Arg(9000000000000000000);
BENCHMARK(BM_ToString<ValueFloat>)->Arg(314159);
BENCHMARK(BM_ToString<ValueDouble>)->Arg(123456789012);
BENCHMARK(BM_ToString<ValueBoolean>)->Arg(1);

TableModelPtr empty_table() {
  std::array<DataType, kColumns> types{};
  for (int c = 0; c < kColumns; ++c) {
    types[static_cast<std::size_t>(c)] = c % 2 == 0 ? DataType::Int64 : DataType::String;
  }
  return TableModel::with_types(types);
}

void BM_FillTableThroughCreate(benchmark::State& state) {
  for (auto _ : state) {
    auto model = empty_table();
    model->get_rows().reserve(kRows);
    int position = 0;
    for (int r = 0; r < kRows; ++r) {
      model->create(position);
    }
    benchmark::DoNotOptimize(position);
  }
  state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}
BENCHMARK(BM_FillTableThroughCreate)->Unit(benchmark::kMillisecond);

void BM_FillTableThroughAppend(benchmark::State& state) {
  for (auto _ : state) {
    auto model = empty_table();
    model->get_rows().reserve(kRows);
    for (int r = 0; r < kRows; ++r) {
      auto row = RowModel::create();
      auto& values = row->get_values();
      values.reserve(kColumns);
      for (int c = 0; c < kColumns; ++c) {
        if (c % 2 == 0) {
          values.push_back(ValueInt64::create(r));
        } else {
          values.push_back(ValueString::create("text"));
        }
      }
      model->append(row);
    }
  }
  state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}
BENCHMARK(BM_FillTableThroughAppend)->Unit(benchmark::kMillisecond);

void BM_GetValueAt(benchmark::State& state) {
  auto model = empty_table();
  int position = 0;
  for (int r = 0; r < kRows; ++r) {
    model->create(position);
  }
  for (auto _ : state) {
    std::size_t nulls = 0;
    for (int r = 0; r < kRows; ++r) {
      for (int c = 0; c < kColumns; ++c) {
        nulls += model->get_value_at(c, r) == nullptr ? 1 : 0;
      }
    }
    benchmark::DoNotOptimize(nulls);
  }
  state.SetItemsProcessed(state.iterations() * kRows * kColumns);
}
BENCHMARK(BM_GetValueAt)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
