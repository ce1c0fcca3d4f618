// The module's exchanges with the host core: the request record, the reply's release, and the
// reading of streamed and inline reply values.
#include <algorithm>
#include <cstdint>
#include <string>

#include "sdk/base/MemoryHooks.h"
#include "sdk/binding/HostValueConversion.h"
#include "sdk/binding/JsonText.h"
#include "sdk/runtime/Requests.h"

namespace Zarn::Client {

namespace {

constexpr const char* kResponseError = "Error response for {method} {url}: {error}";
constexpr const char* kNotSent =
    "Request not sent: Error converting parameters for {method} {url}: {error}";
constexpr const char* kStreamError = "Error reading streamed response for {method} {url}: {error}";
constexpr const char* kConversionError = "Error converting response for {method} {url}: {error}";

// One read of a streamed body; a full read is followed by the next at once.
constexpr uint32_t kStreamChunk = 4096;
// The announced size is only a hint: it is reserved up to this much, and the text grows past it
// with what arrives, so that a size announced wrongly costs no more than this.
constexpr uint32_t kMaxStreamReservation = 1024u * 1024u;

const char* MethodText(HttpMethod method) {
  return HttpMethodToString(ToHostMethodCode(static_cast<uint32_t>(method)));
}

// The stream's release entry, once; the reply then holds no stream.
void ReleaseStream(ApiCallResult& reply) noexcept {
  const ApiStreamReleaseEntry release = reply.streamRelease;
  void* stream = reply.stream;
  reply.streamRead = nullptr;
  reply.streamRelease = nullptr;
  reply.stream = nullptr;
  if (release != nullptr) release(stream);
}

}  // namespace

const BindingRegistry& RegistryOrEmpty(const BindingRegistry* registry) {
  static const BindingRegistry empty;
  return registry != nullptr ? *registry : empty;
}

const BindingRegistry& AppModule::ConversionRegistry() const { return RegistryOrEmpty(registry_); }

MaybeType<Failure, void> AppModule::SendRequest(ApiCallResult& reply, HttpMethod method,
                                                const std::string& url) {
  RequestArguments none;
  return Exchange(reply, method, url, none);
}

MaybeType<Failure, void> AppModule::Exchange(ApiCallResult& reply, HttpMethod method,
                                             const std::string& url, RequestArguments& arguments) {
  if (callGate_ != nullptr && callGate_->Stops(CallGate::Act::kSend, {MethodText(method), url})) {
    arguments.Clear();
    const CallGate::Refusal& refusal = callGate_->StopRefusal();
    return Failure(static_cast<int32_t>(refusal.status), refusal.text);
  }
  ApiCallRequest request{};
  request.method = static_cast<uint32_t>(ToHostMethodCode(static_cast<uint32_t>(method)));
  request.path = url.c_str();
  request.namedValues = arguments.Data();
  request.namedValueCount = static_cast<uint32_t>(arguments.Size());
  request.callWord = hostContext_;
  SendCoreRequest(&reply, &request);
  arguments.Clear();
  const char* error = reply.errorText;
  if (error == nullptr) return MaybeType<Failure, void>::Success();
  const uint32_t status = reply.status;
  return Failure::Make3(static_cast<int32_t>(status), kResponseError, MethodText(method), url,
                        error);
}

Failure AppModule::RequestNotSent(HttpMethod method, const std::string& url,
                                  const Failure& packing) {
  return Failure::Make3(400, kNotSent, MethodText(method), url, packing.Message());
}

Failure AppModule::ConversionFailed(HttpMethod method, const std::string& url,
                                    const std::string& error) {
  return Failure::Make3(0, kConversionError, MethodText(method), url, error);
}

MaybeType<Failure, void> AppModule::AppendRequestArgument(RequestArguments& arguments,
                                                          const BindingResult& conversion) {
  if (!conversion.IsOk()) return Failure(0, std::string(conversion.ErrorMessage()));
  ApiObject& value = arguments.Append();
  if (!PropertyToApiObject(value, conversion.Value(), registry_)) {
    return Failure(0, std::string("Couldn't convert the value to a host value: out of memory or "
                                  "nested too deep."));
  }
  return MaybeType<Failure, void>::Success();
}

MaybeType<Failure, void> AppModule::PackRequestParameters(
    RequestArguments& arguments, const std::unordered_map<std::string, std::string>& table) {
  BindingResult conversion;
  WriteValue(conversion, table, ConversionRegistry());
  return AppendRequestArgument(arguments, conversion);
}

void AppModule::ReleaseReply(ApiCallResult& reply) noexcept {
  ReleaseStream(reply);
  const ApiCallResultReleaseEntry release = reply.release;
  reply.release = nullptr;
  if (release != nullptr) release(&reply);
}

BindingResult AppModule::ReadStreamedBody(ApiCallResult& reply) {
  const ApiStreamReadEntry read = reply.streamRead;
  void* stream = reply.stream;
  const uint64_t announced = reply.streamSize;
  std::string text;
  text.reserve(std::min(static_cast<uint32_t>(announced & 0xFFFFFFFFu), kMaxStreamReservation));

  bool failed = read == nullptr;
  // Written by the host as a one-byte bool; read as a byte so that any value is defined.
  uint8_t more = 1;
  char chunk[kStreamChunk];
  while (!failed && more != 0) {
    uint32_t size = kStreamChunk;
    const uint32_t ok =
        read(stream, reinterpret_cast<std::uintptr_t>(chunk),
             reinterpret_cast<std::uintptr_t>(&size), reinterpret_cast<std::uintptr_t>(&more));
    // Only the low byte of a bool result is defined. A size beyond the buffer would mean the
    // host wrote past it; nothing of it is read.
    if ((ok & 0xFFu) == 0 || size > kStreamChunk) {
      failed = true;
      break;
    }
    text.append(chunk, size);
    if (size < kStreamChunk) {
      if (more == 0) break;
      WaitYield();
    }
  }
  ReleaseStream(reply);
  if (failed) {
    BindingResult result;
    result.SetFailure("Stream read error");
    return result;
  }
  return ParseJsonText(text.c_str());
}

MaybeType<Failure, BindingProperty> AppModule::ReadReplyValue(ApiCallResult& reply,
                                                              HttpMethod method,
                                                              const std::string& url) {
  if (reply.streamRead != nullptr) {
    BindingResult body = ReadStreamedBody(reply);
    if (!body.IsOk()) {
      return Failure::Make3(0, kStreamError, MethodText(method), url,
                            std::string(body.ErrorMessage()));
    }
    return std::move(body.Value());
  }
  ApiCallResult scratch{};
  BindingProperty value;
  const ApiObject object = reply.value;
  if (ApiObjectToProperty(scratch, value, object, RequestDetail::kResultName)) return value;
  std::string error = scratch.errorText != nullptr ? scratch.errorText : "";
  if (scratch.ownsError == 1) MemoryHooks::Free(scratch.errorText);
  return ConversionFailed(method, url, error);
}

}  // namespace Zarn::Client
