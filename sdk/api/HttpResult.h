// A handler's value together with its HTTP-like reply.
#pragma once

#include <utility>

#include "sdk/api/HttpResponse.h"

namespace Zarn {

// When `response.ok` is true `value` is the result; otherwise `response.message` is the error and
// `value` stays default-constructed.
template <class T>
struct HttpResult {
  HttpResult() = default;
  // A success holding `result`, with status 0.
  HttpResult(T result) : value(std::move(result)) {}
  // The reply alone: a failure, or a success with the default value.
  HttpResult(HttpResponse reply) : response(std::move(reply)) {}
  HttpResult(T result, HttpResponse reply) : value(std::move(result)), response(std::move(reply)) {}

  T value{};
  HttpResponse response;
};

}  // namespace Zarn
