#pragma once

#include <cstdio>
#include <string>

#include "tessin/contracts/table_model.hpp"

namespace Tolvane::Cli {

enum class OutputFormat { Table, Tsv, JsonLines };

// Parses "table", "tsv" or "json-lines".
bool parse_output_format(const std::string& text, OutputFormat& format);

// Writes a result model to `out`:
// - table: column names, a rule, one row per line, columns aligned; NULL is shown
//   as NULL (dimmed on a terminal), line breaks inside cells as \n, blobs as hex;
// - tsv: a header line, then tab-separated cells; NULL as \N; tab, line feed,
//   carriage return and backslash escaped; blobs as \x followed by hex;
// - json-lines: one JSON object per row, member per column (a repeated column
//   name gets ":2", ":3" ...); NULL as null, numbers as numbers, blobs as base64.
// Numbers are written with every digit they have.
void print_model(std::FILE* out, const Providers::Contracts::TableModel& model, OutputFormat format, bool colour);

// The display text of one value in table form.
std::string display_text(const Providers::Contracts::ValueObjectPtr& value);

}  // namespace Tolvane::Cli
