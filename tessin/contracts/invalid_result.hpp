#pragma once

#include <optional>
#include <string>

#include "tessin/contracts/result.hpp"

namespace Tolvane::Providers::Contracts {

class InvalidResult;
using InvalidResultPtr = std::shared_ptr<InvalidResult>;

// A failed execution described as data: the error code as text and the message.
class TESSIN_API InvalidResult final : public Core::Object, public IResult {
  TOLVANE_OBJECT(InvalidResult)

  InvalidResult() = default;
  InvalidResult(std::string error_code, std::string error_message)
      : m_code(std::move(error_code)), m_message(std::move(error_message)) {}
  static InvalidResultPtr create(std::string error_code, std::string error_message) {
    return std::make_shared<InvalidResult>(std::move(error_code), std::move(error_message));
  }

  const std::optional<std::string>& get_code() const noexcept { return m_code; }
  void set_code(std::optional<std::string> code) { assign(m_code, std::move(code), "code"); }
  const std::optional<std::string>& get_message() const noexcept { return m_message; }
  void set_message(std::optional<std::string> message) { assign(m_message, std::move(message), "message"); }

 private:
  std::optional<std::string> m_code;
  std::optional<std::string> m_message;
};

}  // namespace Tolvane::Providers::Contracts
