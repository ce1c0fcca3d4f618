#include "sdk/binding/TypeId.h"

namespace Zarn {

TypeIdentity::TypeIdentity(std::uint32_t id, const char* staticName) noexcept
    : id(id), name(staticName), text{} {
  if (staticName != nullptr) return;
  static constexpr char kDigits[] = "0123456789ABCDEF";
  text[0] = '#';
  for (int i = 0; i < 8; ++i) text[1 + i] = kDigits[(id >> (28 - 4 * i)) & 0xFu];
  text[9] = '\0';
  name = text;
}

}  // namespace Zarn
