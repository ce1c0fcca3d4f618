// The templates of the module's requests to the host core and sibling plugins: parameter packing
// and typed replies. Include this header where requests are made.
#pragma once

#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "sdk/binding/FieldConverter.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/runtime/AppModule.h"

namespace Zarn::Client {

namespace RequestDetail {

// The name that stands for a request's reply in conversion messages.
inline constexpr std::string_view kResultName = "<result>";

template <typename P>
inline constexpr bool kIsCharPointer =
    std::is_same_v<std::decay_t<P>, const char*> || std::is_same_v<std::decay_t<P>, char*>;

}  // namespace RequestDetail

// `registry`, or an empty registry when it is null (records then read as unregistered).
[[nodiscard]] const BindingRegistry& RegistryOrEmpty(const BindingRegistry* registry);

template <typename... Params>
MaybeType<Failure, void> AppModule::SendRequest(ApiCallResult& reply, HttpMethod method,
                                                const std::string& url, const Params&... params) {
  if constexpr (sizeof...(Params) == 0) {
    return SendRequest(reply, method, url);
  } else {
    RequestArguments arguments;
    arguments.Reserve(sizeof...(Params));
    MaybeType<Failure, void> packed = PackRequestParams(arguments, params...);
    if (packed.IsFailure()) return RequestNotSent(method, url, packed.GetFailure());
    return Exchange(reply, method, url, arguments);
  }
}

template <typename P, typename... Rest>
MaybeType<Failure, void> AppModule::PackRequestParams(RequestArguments& arguments, const P& first,
                                                      const Rest&... rest) {
  MaybeType<Failure, void> packed;
  if constexpr (std::is_same_v<P, std::unordered_map<std::string, std::string>>) {
    packed = PackRequestParameters(arguments, first);
  } else {
    BindingResult conversion;
    if constexpr (RequestDetail::kIsCharPointer<P>) {
      // A null text is sent as the empty text.
      const char* text = first;
      conversion.Value().SetString(text != nullptr ? std::string_view(text) : std::string_view());
    } else {
      const BindingRegistry& registry = ConversionRegistry();
      WriteValue(conversion, first, registry);
    }
    packed = AppendRequestArgument(arguments, conversion);
  }
  if constexpr (sizeof...(Rest) == 0) {
    return packed;
  } else {
    if (packed.IsFailure()) return packed;
    return PackRequestParams(arguments, rest...);
  }
}

template <typename R, typename... Params>
MaybeType<Failure, R> AppModule::Request(HttpMethod method, const std::string& url,
                                         const Params&... params) {
  ApiCallResult reply{};
  ReplyGuard guard(reply);
  MaybeType<Failure, void> sent = SendRequest(reply, method, url, params...);
  if constexpr (std::is_void_v<R>) {
    return sent;
  } else {
    if (sent.IsFailure()) return std::move(sent).GetFailure();
    MaybeType<Failure, BindingProperty> value = ReadReplyValue(reply, method, url);
    if (value.IsFailure()) return std::move(value).GetFailure();
    if constexpr (std::is_same_v<R, BindingProperty>) {
      return std::move(value).Value();
    } else {
      const BindingRegistry& registry = ConversionRegistry();
      R target{};
      BindingResult conversion;
      ValueCodec<R>::Read(conversion, target, value.Value(), RequestDetail::kResultName,
                          LookupValueType<R>(registry), registry, hostContext_);
      if (!conversion.IsOk()) {
        return ConversionFailed(method, url, std::string(conversion.ErrorMessage()));
      }
      return MaybeType<Failure, R>(std::move(target));
    }
  }
}

}  // namespace Zarn::Client
