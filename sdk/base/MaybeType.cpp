#include "sdk/base/MaybeType.h"

#include <cstdio>
#include <cstdlib>

namespace Zarn::MaybeTypeDetail {

void ReadMissingValue(const char* failureMessage) {
  std::fprintf(stderr, "MaybeType: value read from a failed result: %s\n", failureMessage);
  std::abort();
}

void ReadMissingFailure() {
  std::fprintf(stderr, "MaybeType: failure read from a successful result\n");
  std::abort();
}

}  // namespace Zarn::MaybeTypeDetail
