// GoogleTest printers and matchers for Failure and MaybeType. For tests only.
#pragma once

#include <gmock/gmock.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "sdk/base/Failure.h"
#include "sdk/base/MaybeType.h"

namespace Zarn {

inline void PrintTo(const FailureAttribute& attribute, std::ostream* os) {
  switch (attribute.tag) {
    case FailureAttribute::kBool:
      *os << (attribute.AsBool() ? "true" : "false");
      break;
    case FailureAttribute::kInt:
      *os << attribute.AsInt();
      break;
    case FailureAttribute::kUInt:
      *os << attribute.AsUInt() << "u";
      break;
    case FailureAttribute::kDouble:
      *os << attribute.AsDouble();
      break;
    case FailureAttribute::kText:
      *os << '"' << attribute.text << '"';
      break;
    default:
      *os << "(none)";
      break;
  }
}

inline void PrintTo(const Failure& failure, std::ostream* os) {
  *os << "Failure{code " << failure.Code() << ", \"" << failure.Message() << "\"";
  std::vector<const FailureAttributes::value_type*> sorted;
  for (const auto& entry : failure.Attributes()) sorted.push_back(&entry);
  std::sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) { return a->first < b->first; });
  for (const auto* entry : sorted) {
    *os << ", " << entry->first << "=";
    PrintTo(entry->second, os);
  }
  *os << "}";
}

template <class T>
void PrintTo(const MaybeType<Failure, T>& result, std::ostream* os) {
  if (result.IsFailure()) {
    PrintTo(result.GetFailure(), os);
  } else if constexpr (std::is_void_v<T>) {
    *os << "Success";
  } else {
    *os << "Value(" << ::testing::PrintToString(result.Value()) << ")";
  }
}

namespace Testing {

inline const Failure* FailureOf(const Failure& failure) { return &failure; }
template <class T>
const Failure* FailureOf(const MaybeType<Failure, T>& result) {
  return result.IsFailure() ? &result.GetFailure() : nullptr;
}

// A MaybeType that holds a failure.
MATCHER(IsFailed, "holds a failure") { return arg.IsFailure(); }
// A MaybeType that holds a value (or, for void, success).
MATCHER(IsSucceeded, "holds a value") { return arg.HasValue(); }
// A MaybeType whose value matches `matcher`.
MATCHER_P(HoldsValue, matcher, "holds a matching value") {
  return arg.HasValue() && ::testing::ExplainMatchResult(matcher, arg.Value(), result_listener);
}
// A Failure, or a MaybeType holding one, with this code and a message matching `message`.
MATCHER_P2(FailsWith, code, message, "is a failure with code " + ::testing::PrintToString(code)) {
  const Failure* failure = FailureOf(arg);
  if (failure == nullptr) return false;
  if (failure->Code() != code) {
    *result_listener << "whose code is " << failure->Code();
    return false;
  }
  return ::testing::ExplainMatchResult(message, std::string(failure->Message()), result_listener);
}
// A Failure, or a MaybeType holding one, with an attribute `name` matching `matcher`.
MATCHER_P2(HasAttribute, name, matcher, "has attribute " + ::testing::PrintToString(name)) {
  const Failure* failure = FailureOf(arg);
  if (failure == nullptr) return false;
  const FailureAttribute* attribute = failure->FindAttribute(name);
  if (attribute == nullptr) {
    *result_listener << "which has no attribute " << name;
    return false;
  }
  return ::testing::ExplainMatchResult(matcher, *attribute, result_listener);
}

}  // namespace Testing
}  // namespace Zarn
