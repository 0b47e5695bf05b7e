#include "tools/tolvane/row_source.hpp"

#include "tools/tolvane/interrupts.hpp"

namespace Tolvane::Cli {

using Providers::Contracts::DataType;
using Providers::Contracts::IDataReader;

namespace {

// One row's cells read from a reader, with the text and blob buffers they
// point into.
class ReaderRow {
 public:
  explicit ReaderRow(std::size_t columns) : m_cells(columns), m_texts(columns), m_blobs(columns) {}

  Core::Status fill(IDataReader& reader) {
    for (std::size_t c = 0; c < m_cells.size(); ++c) {
      const auto col = static_cast<IDataReader::Column>(c);
      auto type = reader.get_data_type(col);
      if (!type) {
        return Core::fail(std::move(type.error()));
      }
      Cell& cell = m_cells[c];
      switch (*type) {
        case DataType::DbNull:
          cell = Cell::null();
          break;
        case DataType::Int64: {
          auto value = reader.get_int64(col);
          if (!value) {
            return Core::fail(std::move(value.error()));
          }
          cell = Cell::of_integer(*value);
          break;
        }
        case DataType::Double: {
          auto value = reader.get_double(col);
          if (!value) {
            return Core::fail(std::move(value.error()));
          }
          cell = Cell::of_real(*value);
          break;
        }
        case DataType::Blob: {
          auto value = reader.get_binary(col);
          if (!value) {
            return Core::fail(std::move(value.error()));
          }
          m_blobs[c] = std::move(*value);
          gsize size = 0;
          const auto* data = static_cast<const char*>(g_bytes_get_data(m_blobs[c].get(), &size));
          cell = Cell::of_blob({data, size});
          break;
        }
        default: {
          auto value = reader.get_string(col);
          if (!value) {
            return Core::fail(std::move(value.error()));
          }
          m_texts[c] = std::move(*value);
          cell = Cell::of_text(m_texts[c]);
          break;
        }
      }
    }
    return {};
  }

  Row row() const { return m_cells; }

 private:
  std::vector<Cell> m_cells;
  std::vector<std::string> m_texts;
  std::vector<Core::Bytes> m_blobs;
};

}  // namespace

Core::Result<Streamed> stream_reader(IDataReader& reader, RowWriter& writer, OutputStream& out, bool on_row) {
  const int count = reader.get_field_count();
  std::vector<std::string> names;
  names.reserve(static_cast<std::size_t>(count));
  for (int c = 0; c < count; ++c) {
    auto name = reader.get_name(static_cast<IDataReader::Column>(c));
    if (!name) {
      return Core::fail(std::move(name.error()));
    }
    names.push_back(std::move(*name));
  }
  writer.begin(names);
  Streamed streamed;
  ReaderRow row(static_cast<std::size_t>(count));
  bool more = on_row;
  while (more) {
    if (Interrupts::requested() || out.failed()) {
      streamed.stopped = true;
      return streamed;
    }
    if (auto filled = row.fill(reader); !filled) {
      return Core::fail(std::move(filled.error()));
    }
    writer.row(row.row());
    ++streamed.rows;
    auto next = reader.read();
    if (!next) {
      return Core::fail(std::move(next.error()));
    }
    more = *next;
  }
  writer.end();
  return streamed;
}

void write_model(const Providers::Contracts::TableModel& model, RowWriter& writer) {
  std::vector<std::string> names;
  for (const auto& column : model.get_columns()) {
    names.push_back(column->get_name());
  }
  writer.begin(names);
  std::vector<Cell> cells(names.size());
  std::vector<std::string> scratch(names.size());
  for (const auto& row : model.get_rows()) {
    for (std::size_t c = 0; c < cells.size(); ++c) {
      cells[c] = cell_of_value(row->get_value_at(static_cast<int>(c)), scratch[c]);
    }
    writer.row(cells);
  }
  writer.end();
}

}  // namespace Tolvane::Cli
