#include "sdk/binding/InternedString.h"

namespace Zarn {

constinit const InternedString InternedString::kEmpty;

}  // namespace Zarn
