// The one body an operation has while its building is still ahead: it logs an error line naming
// the operation and returns a failure (or the empty value where the signature has none), so that
// a call of unbuilt code is loud and never passes for success.
//
//   Zarn::MaybeType<Zarn::Failure, int> Later() { ZARN_NOT_BUILT("Later",
//   Zarn::MaybeType<Zarn::Failure, int>); } void LaterToo() { ZARN_NOT_BUILT("LaterToo", void); }
//
// The test "not_built_bodies" lists every such body still present in the tree.
#pragma once

#include <string>

#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"

namespace Zarn::Detail {

// Writes "Not built: <operation>" at the error level. Never throws.
void ReportNotBuilt(const char* operation) noexcept;

// Names a result type for the hook below without making a value of it.
template <class R>
struct NotBuiltTag {};

// A result type that can carry an error of its own (a REST reply) declares, beside the type,
//   R MakeNotBuiltResult(Zarn::Detail::NotBuiltTag<R>, const char* operation);
// found by argument-dependent lookup wherever the type is known, so that an unbuilt operation
// returning it answers that error instead of a default-made success. Other types get their
// empty value.
template <class R>
struct NotBuiltResult {
  static R Make(const char* operation) {
    if constexpr (requires { MakeNotBuiltResult(NotBuiltTag<R>{}, operation); }) {
      return MakeNotBuiltResult(NotBuiltTag<R>{}, operation);
    } else {
      return R{};
    }
  }
};

template <class T>
struct NotBuiltResult<MaybeType<Failure, T>> {
  static MaybeType<Failure, T> Make(const char* operation) {
    return Failure(0, std::string("Not built: ") + operation);
  }
};

template <>
struct NotBuiltResult<void> {
  static void Make(const char*) {}
};

template <class R>
R NotBuilt(const char* operation) {
  ReportNotBuilt(operation);
  return NotBuiltResult<R>::Make(operation);
}

}  // namespace Zarn::Detail

// `operation` is a string literal naming the operation; the rest is the function's return type.
#define ZARN_NOT_BUILT(operation, ...) return ::Zarn::Detail::NotBuilt<__VA_ARGS__>(operation)
