// How a handler's native result becomes a call result, and how its signature is described.
#pragma once

#include <type_traits>
#include <utility>

#include "sdk/api/BindingHttpResult.h"
#include "sdk/api/HttpResponse.h"
#include "sdk/api/HttpResult.h"
#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"
#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/FieldConverter.h"
#include "sdk/binding/TypeRegistry.h"
#include "sdk/binding/TypedConversions.h"

namespace Zarn {

template <typename T>
struct IsHttpResult : std::false_type {};
template <typename T>
struct IsHttpResult<HttpResult<T>> : std::true_type {};

// Results that carry no value of their own to describe.
template <typename R>
inline constexpr bool kIsValuelessResult = std::is_void_v<R> || std::is_same_v<R, HttpResponse> ||
                                           std::is_same_v<R, MaybeType<Failure, void>>;

// The return descriptor of a handler returning R: the value it yields, not its wrapper.
template <typename R>
BindingTypeDescriptor ReturnDescriptorOf(const BindingRegistry& registry) {
  if constexpr (kIsValuelessResult<R>) {
    return {};
  } else if constexpr (std::is_same_v<R, BindingHttpResult>) {
    return {BindingTypeCode::Object, BindingTypeCode::None, nullptr};
  } else if constexpr (IsHttpResult<R>::value) {
    return MakeMemberDescriptor<decltype(std::declval<R>().value)>(registry);
  } else {
    return MakeMemberDescriptor<R>(registry);
  }
}

// Converts `value` into `result`'s value against `type` (the registered return type, may be
// null); a conversion failure becomes the failure of `result`.
template <typename T>
void StoreValue(BindingHttpResult& result, const T& value, const BindingTypeInfo* type,
                const BindingRegistry& registry) {
  BindingResult& converted = result.Result();
  ValueCodec<T>::Write(converted.Value(), converted, value, type, registry);
}

// Fills `result` from a handler's HttpResult: the value, converted against `type` (the registered
// type of T, may be null), when the response is ok, else the response's message as the failure;
// then, either way, the response's flag, kind and status part. The response's stream is not
// carried.
template <typename T>
void StoreToBinding(BindingHttpResult& result, const HttpResult<T>& source,
                    const BindingTypeInfo* type, const BindingRegistry& registry) {
  if (source.response.ok) StoreValue(result, source.value, type, registry);
  result.ApplyResponse(source.response);
}

// The same with T's type looked up in `registry`.
template <typename T>
void StoreToBinding(BindingHttpResult& result, const HttpResult<T>& source,
                    const BindingRegistry& registry) {
  StoreToBinding(result, source, LookupValueType<T>(registry), registry);
}

// Turns what a handler returned into `result`. An HttpResult's or HttpResponse's stream is not
// carried; a BindingHttpResult is taken over whole, stream included.
template <typename R>
void StoreHandlerResult(BindingHttpResult& result, R&& returned, const BindingTypeInfo* type,
                        const BindingRegistry& registry) {
  using T = std::remove_cvref_t<R>;
  if constexpr (std::is_same_v<T, BindingHttpResult>) {
    result = std::move(returned);
  } else if constexpr (std::is_same_v<T, HttpResponse>) {
    result.ApplyResponse(returned);
  } else if constexpr (IsHttpResult<T>::value) {
    StoreToBinding(result, returned, type, registry);
  } else if constexpr (std::is_same_v<T, MaybeType<Failure, void>>) {
    if (!returned) result.SetFailure(returned.GetFailure().Message());
  } else {
    StoreValue(result, returned, type, registry);
  }
}

}  // namespace Zarn
