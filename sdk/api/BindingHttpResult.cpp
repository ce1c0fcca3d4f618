#include "sdk/api/BindingHttpResult.h"

namespace Zarn {

BindingHttpResult::BindingHttpResult(const BindingProperty& value) : result_(value) {}

BindingHttpResult::BindingHttpResult(const MaybeType<Failure, void>& outcome) {
  if (!outcome) result_.SetFailure(outcome.GetFailure().Message());
}

BindingHttpResult::BindingHttpResult(HttpResponse&& response)
    : flag_(response.flag),
      kind_(response.kind),
      status_(std::move(response.status)),
      stream_(std::move(response.bodyStream)) {
  if (!response.ok) SetFailure(response.message);
}

BindingHttpResult::BindingHttpResult(const BindingHttpResult& other)
    : result_(other.result_), flag_(other.flag_), kind_(other.kind_), status_(other.status_) {}

BindingHttpResult& BindingHttpResult::operator=(HttpResponse&& response) {
  *this = BindingHttpResult(std::move(response));
  return *this;
}

BindingHttpResult& BindingHttpResult::operator=(BindingResult&& result) {
  result_ = std::move(result);
  stream_.reset();
  return *this;
}

void BindingHttpResult::SetFailure(std::string_view text) {
  result_.SetFailure(text);
  stream_.reset();
}

void BindingHttpResult::ApplyResponse(const HttpResponse& response) {
  if (!response.ok) SetFailure(response.message);
  flag_ = response.flag;
  kind_ = response.kind;
  status_ = response.status;
}

}  // namespace Zarn
