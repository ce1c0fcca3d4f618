#include "sdk/api/HttpResponse.h"

namespace Zarn {
namespace {

HttpResponse MakeFailure(std::int32_t status, std::string_view text, std::string_view fallback) {
  return HttpResponse(status, std::string(text.empty() ? fallback : text));
}

}  // namespace

HttpResponse MakeInternalServerError(std::string_view text) {
  return MakeFailure(500, text, "Internal server error");
}

HttpResponse MakeNotFound(std::string_view text) { return MakeFailure(404, text, "Not found"); }

HttpResponse MakeErrorResponse(std::int32_t status, const char* templateText) {
  return HttpResponse(status, Format(templateText));
}

}  // namespace Zarn
