#include "sdk/base/FailureAttribute.h"

#include <cstring>

namespace Zarn {

FailureAttribute::FailureAttribute(double value) : tag(kDouble) {
  static_assert(sizeof(value) == sizeof(number));
  std::memcpy(&number, &value, sizeof(number));
}

double FailureAttribute::AsDouble() const {
  double value;
  std::memcpy(&value, &number, sizeof(value));
  return value;
}

bool FailureAttribute::IsEmpty() const {
  switch (tag) {
    case kBool:
      return !AsBool();
    case kInt:
    case kUInt:
      return number == 0;
    case kDouble:
      return AsDouble() == 0.0;
    case kText:
      return text.empty();
    default:
      return true;
  }
}

}  // namespace Zarn
