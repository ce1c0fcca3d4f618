// The call path of a route: the C entry, the dispatcher and the reply record.
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "sdk/api/ApiRegistry.h"
#include "sdk/api/ArgumentBinder.h"
#include "sdk/api/BindingHttpResult.h"
#include "sdk/api/HttpMethod.h"
#include "sdk/api/RoutePattern.h"
#include "sdk/base/MemoryHooks.h"
#include "sdk/binding/ApiObject.h"
#include "sdk/binding/HostValueConversion.h"

namespace Zarn {
namespace {

// The status text of every reply without one; never freed.
char kSharedEmptyText[] = "";

std::uint32_t ReadStream(void* stream, std::uintptr_t first, std::uintptr_t second,
                         std::uintptr_t third) {
  try {
    return static_cast<ResponseBodyStream*>(stream)->Read(first, second, third);
  } catch (...) {
    return 0;
  }
}

void ReleaseStream(void* stream) { delete static_cast<ResponseBodyStream*>(stream); }

// A hook-allocated NUL-terminated copy; null when memory ran out.
char* CopyText(const std::string& text) noexcept {
  char* copy = static_cast<char*>(MemoryHooks::Alloc(text.size() + 1));
  if (copy != nullptr) std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

void SetReplyError(ApiCallResult& reply, std::string_view message, std::uint32_t status) {
  reply.SetError(std::string(message).c_str());
  reply.status = status;
}

// What the entry answers when the call itself broke, not the handler.
void AnswerInternalError(ApiCallResult& reply, const char* what) noexcept {
  ApiRegistry::ReleaseReply(&reply);
  reply.release = &ApiRegistry::ReleaseReply;
  reply.SetError(what != nullptr && what[0] != '\0' ? what : "Internal server error");
  reply.status = 500;
}

// Answers `refusal` in place of whatever `reply` held, its stream released too.
void AnswerRefusal(ApiCallResult& reply, const CallGate::Refusal& refusal) {
  if (reply.streamRelease != nullptr) reply.streamRelease(reply.stream);
  ApiRegistry::ReleaseReply(&reply);
  reply.release = &ApiRegistry::ReleaseReply;
  SetReplyError(reply, refusal.text, refusal.status);
}

// Releases what `reply` held and matches `request` against `pattern` into `match`; a call that
// the route does not serve is answered 404 "Invalid function", as a host offering a call to every
// route expects of all but the one that serves it.
bool MatchRoute(ApiCallResult& reply, const ApiCallRequest& request, const RoutePattern& pattern,
                RequestMatch& match) {
  ApiRegistry::ReleaseReply(&reply);
  reply.release = &ApiRegistry::ReleaseReply;
  match.method = ToHostMethodCode(request.method);
  match.path = request.path != nullptr ? request.path : "";
  if (match.method == HttpMethod::Custom && request.customMethod != nullptr) {
    match.methodName = request.customMethod;
  }
  if (!RoutePattern::Match(match, pattern) || match.function == nullptr ||
      match.record == nullptr) {
    SetReplyError(reply, "Invalid function", 404);
    return false;
  }
  return true;
}

}  // namespace

void ApiRegistry::CallFunctionEntry(ApiCallResult* reply, const ApiCallRequest* request) noexcept {
  if (reply == nullptr) return;
  try {
    const auto* userData =
        request != nullptr ? static_cast<const RouteUserData*>(request->userData) : nullptr;
    if (userData == nullptr || userData->record == nullptr || !userData->pattern) {
      ReleaseReply(reply);
      reply->release = &ReleaseReply;
      SetReplyError(*reply, "Invalid function", 404);
      return;
    }
    RequestMatch match;
    if (!MatchRoute(*reply, *request, *userData->pattern, match)) return;
    CallGate* gate = userData->registry != nullptr ? userData->registry->callGate_ : nullptr;
    if (gate == nullptr) {
      BindArguments(*reply, *request, match);
      return;
    }
    // The call as logs name it: "POST /path".
    const CallGate::Name name{match.method == HttpMethod::Custom
                                  ? std::string_view(match.methodName)
                                  : std::string_view(HttpMethodToString(match.method)),
                              match.path};
    const bool read = match.method == HttpMethod::Get;
    if (const std::optional<CallGate::Refusal> refusal = gate->RefuseRoute(name, read)) {
      AnswerRefusal(*reply, *refusal);
      return;
    }
    const CallGate::HostCall call(*gate, name, read);
    BindArguments(*reply, *request, match);
    if (gate->Stops(CallGate::Act::kAnswer, name)) AnswerRefusal(*reply, gate->StopRefusal());
  } catch (const std::exception& error) {
    AnswerInternalError(*reply, error.what());
  } catch (...) {
    AnswerInternalError(*reply, nullptr);
  }
}

void ApiRegistry::Dispatch(ApiCallResult& reply, const ApiCallRequest& request,
                           const RoutePattern& pattern) {
  RequestMatch match;
  if (MatchRoute(reply, request, pattern, match)) BindArguments(reply, request, match);
}

void ApiRegistry::WriteReply(ApiCallResult& reply, BindingHttpResult& result,
                             const BindingRegistry* registry) {
  if (!result.IsOk()) {
    reply.SetError(std::string(result.Result().ErrorMessage()).c_str());
  } else if (!PropertyToApiObject(reply.value, result.Result().Value(), registry)) {
    SetReplyError(reply, "Internal server error", 500);
    return;
  }
  reply.flag = result.Flag();
  reply.kind = result.Kind() >= 1 && result.Kind() <= 3 ? result.Kind() : 0;

  const ResponseStatus& status = result.StatusPart();
  reply.status = static_cast<std::uint32_t>(status.status);
  reply.statusText = status.statusText.empty() ? kSharedEmptyText : CopyText(status.statusText);
  if (reply.statusText == nullptr) reply.statusText = kSharedEmptyText;
  if (!status.headers.empty()) {
    auto* headers =
        static_cast<ApiHeader*>(MemoryHooks::Alloc(status.headers.size() * sizeof(ApiHeader)));
    if (headers != nullptr) {
      std::memset(headers, 0, status.headers.size() * sizeof(ApiHeader));
      reply.headers = headers;
      for (const auto& [name, value] : status.headers) {
        headers[reply.headerCount].name = CopyText(name);
        headers[reply.headerCount].value = CopyText(value);
        ++reply.headerCount;
      }
    }
  }

  if (std::unique_ptr<ResponseBodyStream> stream = result.TakeStream()) {
    reply.streamSize = stream->GetSize();
    reply.streamRead = &ReadStream;
    reply.streamRelease = &ReleaseStream;
    reply.stream = stream.release();
  }
}

void ApiRegistry::ReleaseReply(ApiCallResult* reply) noexcept {
  if (reply == nullptr) return;
  DestroyApiObject(reply->value);
  if (reply->ownsError == 1) MemoryHooks::Free(reply->errorText);
  if (reply->statusText != kSharedEmptyText) MemoryHooks::Free(reply->statusText);
  for (std::uint32_t i = 0; reply->headers != nullptr && i < reply->headerCount; ++i) {
    MemoryHooks::Free(reply->headers[i].name);
    MemoryHooks::Free(reply->headers[i].value);
  }
  MemoryHooks::Free(reply->headers);
  std::memset(static_cast<void*>(reply), 0, sizeof(*reply));
}

}  // namespace Zarn
