#include "sdk/binding/InternedString.h"

#include "sdk/base/Fnv1a.h"

namespace Zarn {

const InternedString& InternedString::Empty() noexcept {
  static const InternedString empty(std::string(), Fnv1a32(std::string_view()));
  return empty;
}

}  // namespace Zarn
