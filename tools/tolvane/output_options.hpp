#pragma once

#include <CLI/CLI.hpp>

#include "tools/tolvane/row_writer.hpp"

namespace Tolvane::Cli {

// The output options of a command that prints rows, as one unit: --format
// NAME and its short flags (--csv, --tsv, --json, --jsonl, -t/--table, as
// sqlite-utils users type them), --no-headers, --null TEXT and --table NAME
// for the INSERT format. Register with `add`, then call `resolve` after
// parsing to get the options to hand to `make_row_writer`.
class OutputOptionSet {
 public:
  void add(CLI::App& command);
  // The chosen options; `terminal` says whether standard output is a terminal
  // (NULLs are then dimmed in the table).
  OutputOptions resolve(bool terminal) const;

 private:
  std::string m_format;
  bool m_csv = false;
  bool m_tsv = false;
  bool m_json = false;
  bool m_jsonl = false;
  bool m_table = false;
  std::string m_table_name;
  bool m_no_headers = false;
  std::optional<std::string> m_null;
};

}  // namespace Tolvane::Cli
