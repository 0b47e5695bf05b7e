#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gio/gio.h>

#include "orvel/orvel_api.hpp"
#include "tessin/core/error.hpp"
#include "tessin/core/glib_ptr.hpp"

namespace Tolvane::Orvel::Supports::Data::Extractors {

// The pieces of `text` between separators ("" gives one empty piece).
ORVEL_API std::vector<std::string> split_text(std::string_view text, char separator);

// How delimited text is laid out: the delimiters and the quotation set. A
// quoted field opens with `quote_left` at the start of a field and closes with
// `quote_right`; inside it `escape_left` stands for `quote_left` and
// `escape_right` for `quote_right`, and delimiters are plain text.
struct ORVEL_API DsvDialect {
  std::string column_delimiter = ",";
  std::string row_delimiter = "\n";
  std::string quote_left = "\"";
  std::string quote_right = "\"";
  std::string escape_left = "\"\"";
  std::string escape_right = "\"\"";
  // A record larger than this is an error, so a file that is not delimited
  // text (or has one endless line) cannot take all memory.
  std::size_t max_record_bytes = std::size_t{256} << 20;

  // The quotation set of a "QUOTATION_LIST" option: its first ';'-separated
  // entry split at '-' into the four texts. An entry without four non-empty
  // parts is an error; "" keeps the default set.
  Core::Status set_quotation(std::string_view list);
  // Whether a row ends at LF and at CRLF alike (row delimiter "\n" or "\r\n").
  bool ends_rows_at_line_breaks() const { return row_delimiter == "\n" || row_delimiter == "\r\n"; }
};

// One record of delimited text.
struct ORVEL_API DsvRecord {
  std::vector<std::string> fields;
  std::vector<bool> quoted;  // per field: whether it was written in quotes
  std::int64_t line = 0;     // 1-based line on which the record starts

  // Whether the record is a blank line (one empty, unquoted field).
  bool is_blank() const { return fields.size() == 1 && fields[0].empty() && !quoted[0]; }
};

// Reads records from UTF-8 text with a character-level state machine:
//
//   field start --quote_left--> quoted --quote_right--> after quote
//        |                       | escape -> literal quote   |
//        +--other--> unquoted    | anything else is text     +--> text kept as is
//   column delimiter ends a field, row delimiter (outside quotes) a record.
//
// A row ends at the row delimiter, matched as a whole sequence; with "\n" or
// "\r\n" both LF and CRLF end rows. A leading byte-order mark is dropped. A
// last record without a row delimiter is read like any other; a quoted field
// still open at the end of the input is an error. Input is read in blocks
// from a stream, or taken from a text; it is checked to be UTF-8 without NUL
// bytes, so a file that is not text is reported rather than imported.
//
// Errors are in GIO's domain (G_IO_ERROR_INVALID_DATA for bad input) and name
// the line. One thread at a time.
class ORVEL_API DsvReader {
 public:
  // Reads `stream` (already UTF-8). The stream is kept and read on demand.
  DsvReader(GInputStream* stream, DsvDialect dialect);
  // Reads `text`, which must outlive the reader.
  DsvReader(std::string_view text, DsvDialect dialect);

  // The next record into `record`; false after the last one.
  Core::Result<bool> next(DsvRecord& record);
  // Bytes of (decoded) input consumed so far.
  std::uint64_t consumed() const noexcept { return m_consumed_before + m_pos; }

 private:
  bool ensure(std::size_t count);
  std::size_t row_end_at(std::size_t pos) const;
  bool at(std::size_t pos, std::string_view token) const;
  Core::Error invalid(std::int64_t line, std::string message) const;

  DsvDialect m_dialect;
  Core::GRef<GInputStream> m_stream;
  std::string m_buffer;     // blocks read from the stream
  std::string_view m_data;  // what is being parsed: the text, or m_buffer
  std::size_t m_pos = 0;
  std::uint64_t m_consumed_before = 0;
  bool m_eof = false;
  bool m_started = false;
  std::int64_t m_line = 1;
  std::size_t m_lookahead;  // the longest token to recognise
  bool m_stops[256] = {};   // bytes at which a plain run of text stops
  std::unique_ptr<Core::Error> m_read_error;
};

}  // namespace Tolvane::Orvel::Supports::Data::Extractors
