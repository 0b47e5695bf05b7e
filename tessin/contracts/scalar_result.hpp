#pragma once

#include <cstdint>

#include "tessin/contracts/result.hpp"

namespace Tolvane::Providers::Contracts {

class ScalarResult;
using ScalarResultPtr = std::shared_ptr<ScalarResult>;

// The outcome of a statement that returns no rows: how many rows it changed.
class TESSIN_API ScalarResult final : public Core::Object, public IResult {
  TOLVANE_OBJECT(ScalarResult)

  explicit ScalarResult(std::int32_t rows = 0) noexcept : m_rows(rows) {}
  static ScalarResultPtr create(std::int32_t rows = 0) { return std::make_shared<ScalarResult>(rows); }

  std::int32_t get_rows() const noexcept { return m_rows; }
  void set_rows(std::int32_t rows) { assign(m_rows, rows, "rows"); }

 private:
  std::int32_t m_rows;
};

}  // namespace Tolvane::Providers::Contracts
