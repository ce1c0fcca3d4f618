// The templates of the module's legacy-platform (LCDS) calls. Include this header where calls
// are made.
#pragma once

#include <future>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "sdk/binding/TypedConversions.h"
#include "sdk/runtime/AppModule.h"
#include "sdk/runtime/Await.h"
#include "sdk/runtime/LcdsClassNames.h"
#include "sdk/runtime/Requests.h"

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
  const BindingRegistry& registry = ConversionRegistry();
  const auto pack = [&](const auto& param) {
    using Param = std::remove_cvref_t<decltype(param)>;
    if (packed.IsFailure()) return;
    BindingResult conversion;
    if constexpr (LcdsDetail::kIsCText<Param>) {
      const char* text = param;
      conversion.Value().SetString(text != nullptr ? std::string_view(text) : std::string_view());
    } else {
      WriteValue(conversion, param, registry);
    }
    if (!conversion.IsOk()) {
      packed = Failure(0, std::string(conversion.ErrorMessage()));
      return;
    }
    if constexpr (LcdsDetail::HasTypeId<Param>) {
      Client::StampLcdsClassNames(
          conversion.Value(), registry.MakeTypeDescriptor(TypeId<Param>().id), lcdsClassByType_);
    }
    arguments.push_back(std::move(conversion.Value()));
  };
  (pack(params), ...);
  return packed;
}

namespace LcdsDetail {

inline constexpr const char* kInvokePath = "/jyx-login/v1/session/invoke";

// "Couldn't convert LCDS call parameters: {error}".
[[nodiscard]] Failure ParametersNotConverted(const Failure& packing);
// "Expected '{expected}' as LCDS response for {destination}.{method}, but got '{actual}'".
[[nodiscard]] Failure UnexpectedClass(const std::string& expected, const std::string& destination,
                                      const std::string& method, const std::string& actual);
// "Couldn't convert LCDS DTO {name} to C++ from {json}".
[[nodiscard]] Failure DtoNotConverted(const char* typeName, const BindingProperty& body,
                                      const BindingRegistry& registry);

}  // namespace LcdsDetail

template <typename R, typename... P>
MaybeType<Failure, R> AppModule::InvokeLcds(const std::string& destination,
                                            const std::string& method, const P&... params) {
  std::vector<BindingProperty> arguments;
  arguments.reserve(sizeof...(P));
  if constexpr (sizeof...(P) > 0) {
    MaybeType<Failure, void> packed = PackLcdsParams(arguments, params...);
    if (packed.IsFailure()) return LcdsDetail::ParametersNotConverted(packed.GetFailure());
  }
  if constexpr (std::is_void_v<R>) {
    return Request<void>(HttpMethod::Post, LcdsDetail::kInvokePath, destination, method, arguments);
  } else {
    MaybeType<Failure, PluginLcdsResponse> reply = Request<PluginLcdsResponse>(
        HttpMethod::Post, LcdsDetail::kInvokePath, destination, method, arguments);
    if (reply.IsFailure()) return std::move(reply).GetFailure();
    const PluginLcdsResponse& response = reply.Value();
    if (response.body.IsEmpty()) return MaybeType<Failure, R>();
    if (auto expected = lcdsClassByTypeId_.find(TypeId<R>().id);
        expected != lcdsClassByTypeId_.end() && expected->second != response.typeName) {
      return LcdsDetail::UnexpectedClass(expected->second, destination, method, response.typeName);
    }
    const BindingRegistry& registry = ConversionRegistry();
    R result{};
    BindingResult conversion;
    ReadValue(conversion, result, response.body, registry);
    if (!conversion.IsOk()) {
      return LcdsDetail::DtoNotConverted(TypeId<R>().name, response.body, registry);
    }
    return MaybeType<Failure, R>(std::move(result));
  }
}

template <typename R, typename... P>
std::future<MaybeType<Failure, R>> AppModule::LcdsCall(const std::string& destination,
                                                       const std::string& method,
                                                       const P&... params) {
  std::promise<MaybeType<Failure, R>> promise;
  std::future<MaybeType<Failure, R>> future = promise.get_future();
  promise.set_value(InvokeLcds<R>(destination, method, params...));
  return future;
}

template <typename R, typename... P>
MaybeType<Failure, R> AppModule::LcdsCallSync(const std::string& destination,
                                              const std::string& method, const P&... params) {
  return Await(LcdsCall<R>(destination, method, params...));
}

}  // namespace Zarn::Client
