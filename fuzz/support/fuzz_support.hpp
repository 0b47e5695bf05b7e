#pragma once

// What every fuzz target shares. A target checks properties that must hold for
// any input; a broken one ends the run the way a crash does (abort), so
// libFuzzer keeps the input that broke it and prints the property.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Tolvane::Fuzz {

// Prints "property failed: <property>" with `detail` and the input's length,
// then aborts.
[[noreturn]] void fail(std::string_view property, std::string_view detail = {});

inline void check(bool holds, std::string_view property, std::string_view detail = {}) {
  if (!holds) [[unlikely]] {
    fail(property, detail);
  }
}

// A readable excerpt of a text for failure messages: at most `limit` bytes,
// control and non-ASCII bytes as \xNN.
std::string excerpt(std::string_view text, std::size_t limit = 200);

// Sets up what every target needs, once: GLib log lines of the libraries are
// dropped (the fuzzers feed them bad input on purpose, and warnings about it
// are expected), except criticals, which report a programming error and
// abort. The support library's LLVMFuzzerInitialize calls it; a target that
// defines its own must call it too.
void initialize();

// The input as text.
inline std::string_view as_text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A private folder for targets that must go through files, made on first use
// and removed with its content at exit.
const std::string& scratch_folder();

// Writes `text` to the file `name` in the scratch folder; returns its path.
std::string write_scratch_file(std::string_view name, std::string_view text);

// How deeply `json` nests arrays and objects, brackets inside strings aside:
// the reference the parsers' own limit is checked against.
std::size_t json_depth(std::string_view json);

}  // namespace Tolvane::Fuzz
