#include "orvel/contracts/crypto/asymmetric_cipher.hpp"
#include "orvel/contracts/crypto/symmetric_cipher.hpp"

namespace Tolvane::Orvel::Contracts::Crypto {

const Core::TypeInfo& ISymmetricCipher::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsCryptoISymmetricCipher", {});
  return info;
}
ISymmetricCipher::~ISymmetricCipher() = default;

const Core::TypeInfo& IAsymmetricCipher::static_type() {
  static const Core::TypeInfo info("TolvaneOrvelContractsCryptoIAsymmetricCipher", {});
  return info;
}
IAsymmetricCipher::~IAsymmetricCipher() = default;

}  // namespace Tolvane::Orvel::Contracts::Crypto
