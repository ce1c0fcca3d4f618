// Type identities of the results that requests and waits hand back.
#pragma once

#include <cstdint>
#include <vector>

#include "sdk/base/MaybeType.h"
#include "sdk/binding/BindingProperty.h"
#include "sdk/binding/TypeId.h"

namespace Zarn {

// Every result type takes an id derived from its value type's, fixed at build time.
template <typename T>
struct TypeIdTraits<MaybeType<Failure, T>> {
  static constexpr std::uint32_t kId =
      WrapperTypeId("Zarn::MaybeType<Zarn::Failure>", TypeIdTraits<T>::kId);
};

template <>
struct StaticType<MaybeType<Failure, void>> {
  static constexpr const char* Name = "class Zarn::MaybeType<class Zarn::Failure,void>";
};
template <>
struct StaticType<MaybeType<Failure, BindingProperty>> {
  static constexpr const char* Name =
      "class Zarn::MaybeType<class Zarn::Failure,class Zarn::BindingProperty>";
};
template <>
struct StaticType<MaybeType<Failure, std::vector<BindingProperty>>> {
  static constexpr const char* Name =
      "class Zarn::MaybeType<class Zarn::Failure,class std::vector<class Zarn::BindingProperty> >";
};

}  // namespace Zarn
