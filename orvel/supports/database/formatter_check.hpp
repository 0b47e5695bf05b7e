#pragma once

// What a formatter must never do is change what SQL means. These functions
// check it the way the engine reads SQL: token by token.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvel/orvel_api.hpp"

namespace Tolvane::Orvel::Supports::Database {

// The first pair of tokens in which two texts differ.
struct ORVEL_API TokenDifference {
  // Where the differing tokens start (the text's length when one text ran out
  // of tokens first).
  std::size_t input_offset = 0;
  std::size_t output_offset = 0;
  // The tokens as written, cut to a readable length; empty at the end of a text.
  std::string input_token;
  std::string output_token;

  // "line 3, column 7: 'all' became 'allSELECT'", with the position in the input.
  std::string describe(std::string_view input) const;
};

// Compares the tokens of `input` and `output` by the engine's rules, white
// space left aside: every other token (comments included) must be the same,
// of the same kind, in the same order. With `keyword_case` set, a keyword the
// beautifier writes in capitals may come out in capitals. Nothing when the
// texts agree. Linear in the two texts, without allocating while they agree.
ORVEL_API std::optional<TokenDifference> compare_sql_tokens(std::string_view input, std::string_view output,
                                                            bool keyword_case);

// The offset of the first byte that is not part of valid UTF-8, or nothing.
// A NUL byte is valid here, as the formatter's rules take it.
ORVEL_API std::optional<std::size_t> first_invalid_utf8(std::string_view text);

// Runs beautify and minify on `text` and checks what must hold for every
// input: each keeps the text's tokens (the beautifier may only write keywords
// in capitals), each gives its own output back unchanged, and text that is
// not valid UTF-8 comes back as it was. Returns a line per property that
// failed; empty when all held. Meant for fuzzing and corpus tests.
ORVEL_API std::vector<std::string> check_formatting(std::string_view text);

}  // namespace Tolvane::Orvel::Supports::Database
