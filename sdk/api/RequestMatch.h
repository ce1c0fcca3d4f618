// The dispatcher's working record of one call: what was asked, and what it matched.
#pragma once

#include <string>
#include <string_view>

#include "sdk/api/HttpMethod.h"
#include "sdk/api/PathCaptures.h"

namespace Zarn {

struct ApiFunctionRecord;
struct BindingFunctionInfo;

struct RequestMatch {
  HttpMethod method = HttpMethod::Any;
  std::string methodName;  // with HttpMethod::Custom
  std::string_view path;   // as requested, query included; a view of the request's own text
  const BindingFunctionInfo* function = nullptr;
  const ApiFunctionRecord* record = nullptr;
  PathCaptures captures;  // parameter name to decoded value
};

}  // namespace Zarn
