// The failure value carried by every result of the SDK and the lobby.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sdk/base/FailureAttribute.h"

namespace Zarn {

// A failure's text: owned, or borrowed from a text that lives for the whole run (a literal).
class FailureMessage {
 public:
  // The borrowed null text, read as "".
  FailureMessage() = default;
  // `literal` may be null; it must outlive every copy of the message.
  static FailureMessage Borrowed(const char* literal);
  explicit FailureMessage(std::string owned) : owned_(std::move(owned)), borrowed_(false) {}

  // Never null.
  [[nodiscard]] const char* CStr() const;
  [[nodiscard]] bool IsBorrowed() const { return borrowed_; }

 private:
  std::string owned_;
  const char* literal_ = nullptr;
  bool borrowed_ = true;
};

class Failure {
 public:
  // The empty failure: code 0, empty message, no attributes.
  Failure() = default;
  // Borrows `literal` (null gives the empty message); it must outlive the failure and its copies.
  Failure(int32_t code, const char* literal);
  explicit Failure(std::string&& message);
  Failure(int32_t code, std::string&& message);
  Failure(int32_t code, const std::string& message);

  Failure(const Failure&) = default;
  Failure& operator=(const Failure&) = default;
  // The source keeps its code and message but loses its attributes.
  Failure(Failure&& other) noexcept;
  Failure& operator=(Failure&& other) noexcept;

  // A non-zero code is stored and mirrored as the attribute "errorCode_int"; 0 changes nothing.
  void SetErrorCode(int32_t code);
  // Inserts or replaces `name` with the sign-extended value (tag kInt).
  void SetAttribute(std::string name, int32_t value);

  [[nodiscard]] int32_t Code() const { return code_; }
  // Never null; "" for the empty failure.
  [[nodiscard]] const char* Message() const { return message_.CStr(); }
  [[nodiscard]] bool HasBorrowedMessage() const { return message_.IsBorrowed(); }
  [[nodiscard]] const FailureAttributes& Attributes() const { return attributes_; }
  // Null when there is no attribute of that name.
  [[nodiscard]] const FailureAttribute* FindAttribute(std::string_view name) const;

  // Builders: the template's brace placeholders take the arguments in order, each rendered one
  // is recorded as an attribute under its name, and the message is the filled template, cut
  // at 4095 characters. Arguments are texts or integers. See FormatString for the syntax.
  [[nodiscard]] static Failure Make1(const char* templateText, FailureAttribute a1);
  [[nodiscard]] static Failure Make1(int32_t code, const char* templateText, FailureAttribute a1);
  [[nodiscard]] static Failure Make2(const char* templateText, FailureAttribute a1,
                                     FailureAttribute a2);
  [[nodiscard]] static Failure Make2(int32_t code, const char* templateText, FailureAttribute a1,
                                     FailureAttribute a2);
  [[nodiscard]] static Failure Make3(const char* templateText, FailureAttribute a1,
                                     FailureAttribute a2, FailureAttribute a3);
  [[nodiscard]] static Failure Make3(int32_t code, const char* templateText, FailureAttribute a1,
                                     FailureAttribute a2, FailureAttribute a3);
  [[nodiscard]] static Failure Make4(const char* templateText, FailureAttribute a1,
                                     FailureAttribute a2, FailureAttribute a3, FailureAttribute a4);
  [[nodiscard]] static Failure Make4(int32_t code, const char* templateText, FailureAttribute a1,
                                     FailureAttribute a2, FailureAttribute a3, FailureAttribute a4);
  // The general form behind the builders; `args` holds `count` values (null when 0).
  [[nodiscard]] static Failure FromTemplate(int32_t code, const char* templateText,
                                            const FailureAttribute* args, std::size_t count);

 private:
  int32_t code_ = 0;
  FailureMessage message_;
  FailureAttributes attributes_;
};

}  // namespace Zarn
