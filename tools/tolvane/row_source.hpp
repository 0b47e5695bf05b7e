#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tessin/contracts/data_reader.hpp"
#include "tessin/contracts/table_model.hpp"
#include "tessin/core/glib_ptr.hpp"
#include "tools/tolvane/row_writer.hpp"

namespace Tolvane::Cli {

// How a streamed result ended.
struct Streamed {
  std::int64_t rows = 0;
  // Stopped early: an interrupt came, or the output failed.
  bool stopped = false;
};

// Feeds the rows of a data reader to a writer as the reader yields them: the
// cells point into buffers reused from row to row, so the only per-cell work
// is reading the value. `on_row` says whether the reader stands on a first row
// (a query may yield none: then only the column names are written). Stops
// between rows when an interrupt is requested or `out` has failed.
Core::Result<Streamed> stream_reader(Providers::Contracts::IDataReader& reader, RowWriter& writer, OutputStream& out,
                                     bool on_row);

// Writes a whole result model through a writer (for results that already
// are models: the demo, results other parts of the engine hand over).
void write_model(const Providers::Contracts::TableModel& model, RowWriter& writer);

}  // namespace Tolvane::Cli
