// One measurement of a result grid, in a process of its own: bench_grid starts
// this program once per measurement so that every grid is built the way a user
// meets it, on a cold heap, page faults included.
//
//   grid_driver raw|model DATABASE QUERY
//
// "raw" is the peer: a plain C grid that steps the engine, reads each column,
// allocates a cell for it (and a copy of its text or bytes) and keeps it, one
// array of cell pointers per row. "model" is SQLiteProvider::execute_model.
// Either way the grid is built and then freed; the program prints one line:
//
//   cpu_ns=... wall_ns=... rows=... cells=... base_kb=... peak_kb=...
//
// CPU and wall time cover building and freeing; base_kb is the resident peak
// before the grid was built, peak_kb the peak after it was freed.

#include <sqlite3.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "tessin/supports/sqlite/provider.hpp"

namespace {

std::int64_t now_ns(clockid_t clock) {
  timespec at{};
  clock_gettime(clock, &at);
  return static_cast<std::int64_t>(at.tv_sec) * 1'000'000'000 + at.tv_nsec;
}

long peak_kb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The peer's cell: the storage class and a number, or a pointer to a copy of
// the text or bytes.
struct Cell {
  int type;
  int size;
  union {
    sqlite3_int64 integer;
    double real;
    void* bytes;
  } value;
};

struct Grid {
  Cell*** rows = nullptr;
  std::size_t count = 0;
  std::size_t capacity = 0;
  int columns = 0;
};

bool build_raw(sqlite3* db, const char* query, Grid& grid) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, query, -1, &statement, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "grid_driver: cannot prepare: %s\n", sqlite3_errmsg(db));
    return false;
  }
  grid.columns = sqlite3_column_count(statement);
  int code = SQLITE_OK;
  while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
    auto** row = static_cast<Cell**>(std::malloc(sizeof(Cell*) * static_cast<std::size_t>(grid.columns)));
    for (int col = 0; col < grid.columns; ++col) {
      auto* cell = static_cast<Cell*>(std::malloc(sizeof(Cell)));
      cell->type = sqlite3_column_type(statement, col);
      cell->size = 0;
      switch (cell->type) {
        case SQLITE_INTEGER:
          cell->value.integer = sqlite3_column_int64(statement, col);
          break;
        case SQLITE_FLOAT:
          cell->value.real = sqlite3_column_double(statement, col);
          break;
        case SQLITE_TEXT: {
          const unsigned char* text = sqlite3_column_text(statement, col);
          cell->size = sqlite3_column_bytes(statement, col);
          cell->value.bytes = std::malloc(static_cast<std::size_t>(cell->size) + 1);
          std::memcpy(cell->value.bytes, text, static_cast<std::size_t>(cell->size) + 1);
          break;
        }
        case SQLITE_BLOB: {
          const void* blob = sqlite3_column_blob(statement, col);
          cell->size = sqlite3_column_bytes(statement, col);
          cell->value.bytes = std::malloc(static_cast<std::size_t>(cell->size));
          if (cell->size > 0) {
            std::memcpy(cell->value.bytes, blob, static_cast<std::size_t>(cell->size));
          }
          break;
        }
        default:
          cell->value.bytes = nullptr;
          break;
      }
      row[col] = cell;
    }
    if (grid.count == grid.capacity) {
      grid.capacity = grid.capacity == 0 ? 1024 : grid.capacity * 2;
      grid.rows = static_cast<Cell***>(std::realloc(grid.rows, sizeof(Cell**) * grid.capacity));
    }
    grid.rows[grid.count++] = row;
  }
  sqlite3_finalize(statement);
  return code == SQLITE_DONE;
}

void free_raw(Grid& grid) {
  for (std::size_t r = 0; r < grid.count; ++r) {
    for (int col = 0; col < grid.columns; ++col) {
      Cell* cell = grid.rows[r][col];
      if (cell->type == SQLITE_TEXT || cell->type == SQLITE_BLOB) {
        std::free(cell->value.bytes);
      }
      std::free(cell);
    }
    std::free(grid.rows[r]);
  }
  std::free(grid.rows);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || (std::strcmp(argv[1], "raw") != 0 && std::strcmp(argv[1], "model") != 0)) {
    std::fprintf(stderr, "usage: grid_driver raw|model DATABASE QUERY\n");
    return 2;
  }
  const bool raw = std::strcmp(argv[1], "raw") == 0;
  const char* file = argv[2];
  const char* query = argv[3];

  using namespace Tolvane::Providers;
  // Both modes open the database before the clock starts and load the same
  // libraries, so the two processes start from the same heap.
  auto provider = Supports::SQLiteProvider::create();
  auto server = Contracts::Server::create();
  server->set_filename(file);
  sqlite3* db = nullptr;
  if (raw ? sqlite3_open_v2(file, &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK : !provider->open(server, "")) {
    std::fprintf(stderr, "grid_driver: cannot open %s\n", file);
    return 1;
  }

  const long base = peak_kb();
  const std::int64_t cpu_start = now_ns(CLOCK_PROCESS_CPUTIME_ID);
  const std::int64_t wall_start = now_ns(CLOCK_MONOTONIC);
  std::size_t rows = 0;
  std::size_t cells = 0;
  if (raw) {
    Grid grid;
    if (!build_raw(db, query, grid)) {
      return 1;
    }
    rows = grid.count;
    cells = grid.count * static_cast<std::size_t>(grid.columns);
    free_raw(grid);
  } else {
    auto model = provider->execute_model(query, false);
    if (!model) {
      std::fprintf(stderr, "grid_driver: %s\n", model.error().message.c_str());
      return 1;
    }
    rows = (*model)->get_rows().size();
    cells = rows * (*model)->get_columns().size();
    model->reset();
  }
  const std::int64_t cpu = now_ns(CLOCK_PROCESS_CPUTIME_ID) - cpu_start;
  const std::int64_t wall = now_ns(CLOCK_MONOTONIC) - wall_start;
  sqlite3_close(db);
  std::printf("cpu_ns=%lld wall_ns=%lld rows=%zu cells=%zu base_kb=%ld peak_kb=%ld\n", static_cast<long long>(cpu),
              static_cast<long long>(wall), rows, cells, base, peak_kb());
  return 0;
}
