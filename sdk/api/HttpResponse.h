// The reply of a REST handler, and the error replies made in one step.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "sdk/api/ResponseBodyStream.h"
#include "sdk/api/ResponseStatus.h"
#include "sdk/base/Format.h"

namespace Zarn {

// A success (`ok`, no message) or a failure whose `message` is the error text. `flag` and
// `kind` are never set by this system; they are carried to the host unchanged.
struct HttpResponse {
  // A success with status 0: the host chooses.
  HttpResponse() = default;
  // A success with `status`.
  explicit HttpResponse(std::int32_t statusCode) { status.status = statusCode; }
  // A failure with `status` and the error text `text`.
  HttpResponse(std::int32_t statusCode, std::string text) : message(std::move(text)), ok(false) {
    status.status = statusCode;
  }
  // The source is left without a stream.
  HttpResponse(HttpResponse&& other) noexcept = default;
  HttpResponse& operator=(HttpResponse&& other) noexcept = default;
  HttpResponse(const HttpResponse&) = delete;
  HttpResponse& operator=(const HttpResponse&) = delete;

  // Members are destroyed in reverse order: the stream first, then the status, then the text.
  std::string message;
  std::uint8_t flag = 0;
  std::uint32_t kind = 0;
  ResponseStatus status;
  std::unique_ptr<ResponseBodyStream> bodyStream;
  bool ok = true;
};

// Status 500 with `text`, or "Internal server error" when it is empty.
[[nodiscard]] HttpResponse MakeInternalServerError(std::string_view text);
// Status 404 with `text`, or "Not found" when it is empty.
[[nodiscard]] HttpResponse MakeNotFound(std::string_view text);
// A failure with `status` and `templateText` formatted without arguments ("%%" becomes "%"; at
// most 4095 characters).
[[nodiscard]] HttpResponse MakeErrorResponse(std::int32_t status, const char* templateText);

// The forms above with a positional template ("%1", ...) formatted first. A literal text always
// comes here, so a "%" in it is read as a conversion.
template <class... Args>
[[nodiscard]] HttpResponse MakeInternalServerError(const char* templateText, const Args&... args) {
  return MakeInternalServerError(std::string_view(Format(templateText, args...)));
}
template <class... Args>
[[nodiscard]] HttpResponse MakeNotFound(const char* templateText, const Args&... args) {
  return MakeNotFound(std::string_view(Format(templateText, args...)));
}

}  // namespace Zarn
