#include "sdk/base/Digest.h"

#include <openssl/sha.h>

namespace Zarn {

std::vector<std::uint8_t> Sha1Digest(std::string_view text) {
  std::vector<std::uint8_t> digest(SHA_DIGEST_LENGTH);
  SHA1(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest.data());
  return digest;
}

std::vector<std::uint8_t> Sha256Digest(std::string_view text) {
  std::vector<std::uint8_t> digest(SHA256_DIGEST_LENGTH);
  SHA256(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest.data());
  return digest;
}

}  // namespace Zarn
