// Delimited text. The reader takes any text in any dialect without crashing
// or stalling: every record it gives has fields and starts on a line at or
// after the previous one, and it consumes no more than the text. What
// DsvExtractor writes in a dialect whose delimiters are neither empty nor
// share a byte with each other or the quotes reads back to the same column
// names and cells, a null as its NULL_VALUE ""; a cell the quotes cannot
// carry makes the export fail instead.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include <glib.h>

#include "fuzz/support/fuzz_support.hpp"
#include "orvel/supports/data/extractors/dsv_extractor.hpp"
#include "tessin/contracts/values.hpp"

namespace {

using namespace Tolvane::Providers::Contracts;
using namespace Tolvane::Orvel::Supports::Data::Extractors;
using Tolvane::Fuzz::check;
using Tolvane::Fuzz::excerpt;
using Tolvane::Orvel::Contracts::Data::Options;

// The dialects people use, as options.
const std::vector<Options>& usual_dialects() {
  static const std::vector<Options> dialects = {
      {},
      {{"DELIMITER_COLUMN", "\t"}},
      {{"DELIMITER_COLUMN", "||"}, {"DELIMITER_ROWNEW", "##"}},
      {{"DELIMITER_ROWNEW", "\r\n"}, {"QUOTE_EMPTY", "true"}},
      {{"DELIMITER_COLUMN", ";"}, {"QUOTATION_LIST", "[-]-\\[-\\]"}},
      {{"QUOTATION_LIST", "'-'-''-''"}, {"QUOTATION_TIME", "always"}},
  };
  return dialects;
}

bool is_text(std::string_view text) {
  return text.find('\0') == std::string_view::npos &&
         g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr) != FALSE;
}

// A dialect in which a document can only be read one way: delimiters that are
// text, not empty, and share no byte with each other or with the quotes; no
// delimiter or opening quote starts with a byte-order mark (a document that
// starts with one is read as marked).
bool readable(const DsvDialect& d) {
  if (d.column_delimiter.empty() || d.row_delimiter.empty() || !is_text(d.column_delimiter) ||
      !is_text(d.row_delimiter) || d.column_delimiter.starts_with("\xEF\xBB\xBF") ||
      d.row_delimiter.starts_with("\xEF\xBB\xBF")) {
    return false;
  }
  const std::string quotes = d.quote_left + d.quote_right + d.escape_left + d.escape_right;
  for (const char c : d.column_delimiter) {
    if (d.row_delimiter.find(c) != std::string::npos || quotes.find(c) != std::string::npos) {
      return false;
    }
  }
  return d.row_delimiter.find_first_of(quotes) == std::string::npos && is_text(quotes) &&
         !d.quote_left.starts_with("\xEF\xBB\xBF");
}

void check_reader(const DsvDialect& dialect, std::string_view text) {
  DsvReader reader(text, dialect);
  DsvRecord record;
  std::int64_t line = 0;
  std::uint64_t consumed = 0;
  for (std::size_t count = 0;; ++count) {
    auto more = reader.next(record);
    if (!more || !*more) {
      break;
    }
    check(count <= text.size(), "the reader makes progress", excerpt(text));
    check(!record.fields.empty() && record.quoted.size() == record.fields.size(), "a record has fields",
          excerpt(text));
    check(record.line >= line && record.line >= 1, "records start on lines in order", excerpt(text));
    check(reader.consumed() >= consumed && reader.consumed() <= text.size(), "the reader consumes the text once",
          excerpt(text));
    line = record.line;
    consumed = reader.consumed();
  }
}

std::string consume_text(FuzzedDataProvider& input, std::size_t length) {
  std::string text = input.ConsumeRandomLengthString(length);
  return is_text(text) ? text : std::string("x");
}

void check_round_trip(const Options& options, FuzzedDataProvider& input) {
  const int width = input.ConsumeIntegralInRange(1, 3);
  const int height = input.ConsumeIntegralInRange(0, 4);
  auto model = TableModel::create();
  for (int c = 0; c < width; ++c) {
    model->get_columns().push_back(ColumnModel::full(consume_text(input, 12), DataType::String));
  }
  // A name starting with a byte-order mark cannot come back first in a
  // document: the reader takes the mark for the document's.
  if (model->get_columns().front()->get_name().starts_with("\xEF\xBB\xBF")) {
    return;
  }
  for (int r = 0; r < height; ++r) {
    auto row = RowModel::create();
    for (int c = 0; c < width; ++c) {
      if (input.ConsumeIntegralInRange(0, 7) == 0) {
        row->get_values().push_back(ValueNull::create());
      } else {
        row->get_values().push_back(ValueString::create(consume_text(input, 16)));
      }
    }
    model->get_rows().push_back(row);
  }

  auto extractor = DsvExtractor::create("csv");
  extractor->get_options() = options;
  std::string document;
  auto written = extractor->export_to_text(model, &document, nullptr);
  if (!written) {
    // Some quotation sets cannot write some texts (one that ends in the first
    // part of an escape); the export must then refuse, never write cells
    // that read back as others.
    check(written.error().code == G_IO_ERROR_INVALID_DATA, "a table exports or refuses a cell it cannot write",
          written.error().message);
    return;
  }
  auto loaded = extractor->load_from_text(document);
  std::string where = "options:";
  for (const auto& [name, value] : options) {
    where += " " + name + "=" + excerpt(value);
  }
  where += "\ndocument: " + excerpt(document, 600);
  check(loaded.has_value(), "an exported document loads", where + "\n" + (loaded ? "" : loaded.error().message));
  const TableModelPtr& back = *loaded;
  check(back->get_columns().size() == model->get_columns().size(), "the columns come back", where);
  for (std::size_t c = 0; c < model->get_columns().size(); ++c) {
    check(back->get_columns()[c]->get_name() == model->get_columns()[c]->get_name(), "column names come back",
          where);
  }
  check(back->get_rows().size() == model->get_rows().size(), "every row comes back", where);
  for (std::size_t r = 0; r < model->get_rows().size(); ++r) {
    for (std::size_t c = 0; c < model->get_columns().size(); ++c) {
      const auto& sent = model->get_rows()[r]->get_values()[c];
      const auto& got = back->get_rows()[r]->get_values()[c];
      check(got->to_string() == sent->to_string(), "every cell comes back",
            where + "\nrow " + std::to_string(r) + " column " + std::to_string(c) + ": " + excerpt(sent->to_string()) +
                " became " + excerpt(got->to_string()));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  Options options;
  if (input.ConsumeBool()) {
    options = usual_dialects()[input.ConsumeIntegralInRange<std::size_t>(0, usual_dialects().size() - 1)];
  } else {
    options["DELIMITER_COLUMN"] = input.ConsumeRandomLengthString(3);
    options["DELIMITER_ROWNEW"] = input.ConsumeRandomLengthString(3);
    if (input.ConsumeBool()) {
      options["QUOTATION_LIST"] = input.ConsumeRandomLengthString(12);
    }
    options["QUOTATION_TIME"] = input.ConsumeBool() ? "always" : "ifneed";
    options["QUOTE_EMPTY"] = input.ConsumeBool() ? "true" : "false";
  }
  options["MAX_RECORD_BYTES"] = "65536";

  auto extractor = DsvExtractor::create("csv");
  extractor->get_options() = options;
  const auto dialect = extractor->dialect();
  if (!dialect) {
    return 0;
  }
  check_reader(*dialect, input.ConsumeRandomLengthString(512));
  if (readable(*dialect)) {
    check_round_trip(options, input);
  }
  return 0;
}
