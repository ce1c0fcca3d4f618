// What an unbuilt operation answers when its result is a REST reply: a failure with status 500
// and the text "Not built: <operation>", never the success that a default-made reply would be.
// Include this, not only sdk/base/NotBuilt.h, wherever such an operation is declared, so that
// every body of the same return type sees the same answer.
#pragma once

#include <string>

#include "sdk/api/BindingHttpResult.h"
#include "sdk/api/HttpResponse.h"
#include "sdk/api/HttpResult.h"
#include "sdk/base/NotBuilt.h"

namespace Zarn::Detail {

[[nodiscard]] inline HttpResponse MakeNotBuiltResponse(const char* operation) {
  return HttpResponse(500, std::string("Not built: ") + operation);
}

template <>
struct NotBuiltResult<BindingHttpResult> {
  static BindingHttpResult Make(const char* operation) {
    return BindingHttpResult(MakeNotBuiltResponse(operation));
  }
};

template <class T>
struct NotBuiltResult<HttpResult<T>> {
  static HttpResult<T> Make(const char* operation) {
    return HttpResult<T>(MakeNotBuiltResponse(operation));
  }
};

}  // namespace Zarn::Detail
