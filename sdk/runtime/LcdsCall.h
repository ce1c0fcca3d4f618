// The templates of the module's legacy-platform (LCDS) calls. Include this header where calls
// are made.
#pragma once

#include <string_view>
#include <type_traits>
#include <vector>

#include "sdk/binding/TypedConversions.h"
#include "sdk/runtime/AppModule.h"
#include "sdk/runtime/LcdsClassNames.h"

namespace Zarn::Client {

namespace LcdsDetail {

template <typename P>
concept HasTypeId = requires {
  TypeIdTraits<P>::kId;
};

// A text parameter given as a literal or a C string; a null pointer is sent as "".
template <typename P>
inline constexpr bool kIsCText = std::is_pointer_v<std::decay_t<P>>&&
    std::is_same_v<std::remove_cv_t<std::remove_pointer_t<std::decay_t<P>>>, char>;

}  // namespace LcdsDetail

template <typename... P>
MaybeType<Failure, void> AppModule::PackLcdsParams(std::vector<BindingProperty>& arguments,
                                                   const P&... params) {
  MaybeType<Failure, void> packed = MaybeType<Failure, void>::Success();
  const auto pack = [&](const auto& param) {
    using Param = std::remove_cvref_t<decltype(param)>;
    if (packed.IsFailure()) return;
    BindingResult conversion;
    if constexpr (LcdsDetail::kIsCText<Param>) {
      const char* text = param;
      conversion.Value().SetString(text != nullptr ? std::string_view(text) : std::string_view());
    } else {
      if (registry_ == nullptr) {
        packed = Failure(0, "The module has no registry to convert parameters with");
        return;
      }
      WriteValue(conversion, param, *registry_);
    }
    if (!conversion.IsOk()) {
      packed = Failure(0, std::string(conversion.ErrorMessage()));
      return;
    }
    if constexpr (LcdsDetail::HasTypeId<Param>) {
      Client::StampLcdsClassNames(
          conversion.Value(), registry_->MakeTypeDescriptor(TypeId<Param>().id), lcdsClassByType_);
    }
    arguments.push_back(std::move(conversion.Value()));
  };
  (pack(params), ...);
  return packed;
}

}  // namespace Zarn::Client
