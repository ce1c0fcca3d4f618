#include "sdk/base/Failure.h"

#include "sdk/base/FormatString.h"

namespace Zarn {

FailureMessage FailureMessage::Borrowed(const char* literal) {
  FailureMessage message;
  message.literal_ = literal;
  return message;
}

const char* FailureMessage::CStr() const {
  if (!borrowed_) return owned_.c_str();
  return literal_ != nullptr ? literal_ : "";
}

Failure::Failure(int32_t code, const char* literal) : message_(FailureMessage::Borrowed(literal)) {
  SetErrorCode(code);
}

Failure::Failure(std::string&& message) : message_(std::move(message)) {}

Failure::Failure(int32_t code, std::string&& message) : message_(std::move(message)) {
  SetErrorCode(code);
}

Failure::Failure(int32_t code, const std::string& message) : message_(message) {
  SetErrorCode(code);
}

Failure::Failure(Failure&& other) noexcept
    : code_(other.code_),
      message_(std::move(other.message_)),
      attributes_(std::move(other.attributes_)) {
  other.attributes_.clear();
}

Failure& Failure::operator=(Failure&& other) noexcept {
  if (this != &other) {
    code_ = other.code_;
    message_ = std::move(other.message_);
    attributes_ = std::move(other.attributes_);
    other.attributes_.clear();
  }
  return *this;
}

void Failure::SetErrorCode(int32_t code) {
  if (code == 0) return;
  code_ = code;
  attributes_.insert_or_assign("errorCode_int", FailureAttribute(code));
}

void Failure::SetAttribute(std::string name, int32_t value) {
  attributes_.insert_or_assign(std::move(name), FailureAttribute(value));
}

const FailureAttribute* Failure::FindAttribute(std::string_view name) const {
  auto it = attributes_.find(std::string(name));
  return it != attributes_.end() ? &it->second : nullptr;
}

Failure Failure::FromTemplate(int32_t code, const char* templateText, const FailureAttribute* args,
                              std::size_t count) {
  Failure failure;
  failure.SetErrorCode(code);
  std::string format;
  FormatString(templateText, args, count, format, failure.attributes_);
  failure.message_ = FailureMessage(FormatAttributes(format.c_str(), args, count));
  return failure;
}

Failure Failure::Make1(const char* templateText, FailureAttribute a1) {
  return FromTemplate(0, templateText, &a1, 1);
}

Failure Failure::Make1(int32_t code, const char* templateText, FailureAttribute a1) {
  return FromTemplate(code, templateText, &a1, 1);
}

Failure Failure::Make2(const char* templateText, FailureAttribute a1, FailureAttribute a2) {
  return Make2(0, templateText, std::move(a1), std::move(a2));
}

Failure Failure::Make2(int32_t code, const char* templateText, FailureAttribute a1,
                       FailureAttribute a2) {
  const FailureAttribute args[] = {std::move(a1), std::move(a2)};
  return FromTemplate(code, templateText, args, 2);
}

Failure Failure::Make3(const char* templateText, FailureAttribute a1, FailureAttribute a2,
                       FailureAttribute a3) {
  return Make3(0, templateText, std::move(a1), std::move(a2), std::move(a3));
}

Failure Failure::Make3(int32_t code, const char* templateText, FailureAttribute a1,
                       FailureAttribute a2, FailureAttribute a3) {
  const FailureAttribute args[] = {std::move(a1), std::move(a2), std::move(a3)};
  return FromTemplate(code, templateText, args, 3);
}

Failure Failure::Make4(const char* templateText, FailureAttribute a1, FailureAttribute a2,
                       FailureAttribute a3, FailureAttribute a4) {
  return Make4(0, templateText, std::move(a1), std::move(a2), std::move(a3), std::move(a4));
}

Failure Failure::Make4(int32_t code, const char* templateText, FailureAttribute a1,
                       FailureAttribute a2, FailureAttribute a3, FailureAttribute a4) {
  const FailureAttribute args[] = {std::move(a1), std::move(a2), std::move(a3), std::move(a4)};
  return FromTemplate(code, templateText, args, 4);
}

}  // namespace Zarn
