#include "sdk/api/SignatureCall.h"

namespace Zarn {

void* SharedEmptyArgumentHolder() noexcept {
  static std::tuple<> holder;
  return &holder;
}

}  // namespace Zarn
