// The reply the dispatcher works with: a BindingResult in place of a value, with the reply's
// flag, kind, status part and body stream.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "sdk/api/HttpResponse.h"
#include "sdk/api/ResponseBodyStream.h"
#include "sdk/api/ResponseStatus.h"
#include "sdk/base/MaybeType.h"
#include "sdk/binding/BindingResult.h"

namespace Zarn {

class BindingHttpResult {
 public:
  // A success holding the empty value; flag, kind and status 0, no text, headers or stream.
  BindingHttpResult() = default;
  // A success holding a copy of `value`.
  explicit BindingHttpResult(const BindingProperty& value);
  // The default; a failure's message becomes the failure of the result.
  explicit BindingHttpResult(const MaybeType<Failure, void>& outcome);
  // Takes flag, kind, status part and stream over. A failed response's message becomes the
  // failure of the result and its stream is destroyed.
  BindingHttpResult(HttpResponse&& response);  // NOLINT: handlers return responses as results
  // Copies everything but the stream: streams are not shared.
  BindingHttpResult(const BindingHttpResult& other);
  BindingHttpResult(BindingHttpResult&& other) noexcept = default;
  // Destroys the stream held before.
  BindingHttpResult& operator=(BindingHttpResult&& other) noexcept = default;
  BindingHttpResult& operator=(const BindingHttpResult&) = delete;
  // Resets to the default (destroying the stream held before), then as the constructor.
  BindingHttpResult& operator=(HttpResponse&& response);
  // Replaces the result and destroys the stream; flag, kind and status stay.
  BindingHttpResult& operator=(BindingResult&& result);
  ~BindingHttpResult() = default;

  // Makes the result a failure with `text` and destroys the stream.
  void SetFailure(std::string_view text);
  // What a handler's response adds to a converted value: its message as the failure when it
  // failed, then its flag, kind and status part, copied. Its stream is not carried.
  void ApplyResponse(const HttpResponse& response);

  [[nodiscard]] bool IsOk() const noexcept { return result_.IsOk(); }
  [[nodiscard]] const BindingResult& Result() const noexcept { return result_; }
  [[nodiscard]] BindingResult& Result() noexcept { return result_; }
  [[nodiscard]] std::uint8_t Flag() const noexcept { return flag_; }
  [[nodiscard]] std::uint32_t Kind() const noexcept { return kind_; }
  [[nodiscard]] ResponseStatus& StatusPart() noexcept { return status_; }
  [[nodiscard]] const ResponseStatus& StatusPart() const noexcept { return status_; }
  [[nodiscard]] const ResponseBodyStream* Stream() const noexcept { return stream_.get(); }
  // Hands the stream over, leaving none behind.
  [[nodiscard]] std::unique_ptr<ResponseBodyStream> TakeStream() noexcept {
    return std::move(stream_);
  }

 private:
  // Destroyed in reverse order: the stream first, then the status part, then the result.
  BindingResult result_;
  std::uint8_t flag_ = 0;
  std::uint32_t kind_ = 0;
  ResponseStatus status_;
  std::unique_ptr<ResponseBodyStream> stream_;
};

}  // namespace Zarn
