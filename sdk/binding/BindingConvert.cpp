#include "sdk/binding/BindingConvert.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <limits>

#include "sdk/base/Format.h"
#include "sdk/binding/BindingRegistry.h"

namespace Zarn {
namespace BindingConvert {
namespace {

// 2^63 and 2^64: the first doubles past the 64-bit integer ranges, whose maximums are not
// doubles themselves.
constexpr double kTwoPow63 = 9223372036854775808.0;
constexpr double kTwoPow64 = 18446744073709551616.0;

constexpr const char* kRequired = "A value for '%1' is required.";
constexpr const char* kOutOfRange = "Value %1 for '%2' of type %3 is out of range";
constexpr const char* kIncorrectFormat = "Value %1 for '%2' of type %3 is in an incorrect format";
constexpr const char* kInvalidType =
    "Couldn't assign value to '%1' of type %2 because the input is of an invalid type %3.";

constexpr const char* kUnregisteredStructure =
    "Couldn't assign value to '%1' because the input is an unregistered structure or not a "
    "structure at all.";

const char* KindName(const BindingProperty& source) {
  return BindingPropertyKindName(source.Kind());
}

template <typename Number>
void FailOutOfRange(BindingResult& result, const Number& number, std::string_view name,
                    const char* typeName) {
  result.SetFailure(Format(kOutOfRange, number, std::string(name), typeName));
}

void FailInvalidType(BindingResult& result, const BindingProperty& source, std::string_view name,
                     const char* typeName) {
  result.SetFailure(Format(kInvalidType, std::string(name), typeName, KindName(source)));
}

enum class TextNumber { kOk, kIncorrectFormat, kOutOfRange };

// Characters left after the number make the text malformed, which is checked before the range.
TextNumber CheckEnd(const char* end, bool rangeError) {
  if (*end != '\0') return TextNumber::kIncorrectFormat;
  return rangeError ? TextNumber::kOutOfRange : TextNumber::kOk;
}

// Base 0: decimal, "0x" hexadecimal or "0" octal, after optional white space and sign.
TextNumber ParseSignedText(const char* text, std::int64_t& number) {
  number = 0;
  if (*text == '\0') return TextNumber::kOk;
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(text, &end, 0);
  const TextNumber outcome = CheckEnd(end, errno == ERANGE);
  if (outcome == TextNumber::kOk) number = parsed;
  return outcome;
}

// strtoull takes "-1" as the largest value; a minus sign, after any white space, is refused.
TextNumber ParseUnsignedText(const char* text, std::uint64_t& number) {
  number = 0;
  if (*text == '\0') return TextNumber::kOk;
  const char* first = text;
  while (std::isspace(static_cast<unsigned char>(*first))) ++first;
  if (*first == '-') return TextNumber::kOutOfRange;
  char* end = nullptr;
  errno = 0;
  const unsigned long long parsed = std::strtoull(text, &end, 0);
  const TextNumber outcome = CheckEnd(end, errno == ERANGE);
  if (outcome == TextNumber::kOk) number = parsed;
  return outcome;
}

TextNumber ParseFloatText(const char* text, double& number) {
  number = 0;
  if (*text == '\0') return TextNumber::kOk;
  char* end = nullptr;
  errno = 0;
  const double parsed = std::strtod(text, &end);
  const TextNumber outcome = CheckEnd(end, errno == ERANGE);
  if (outcome == TextNumber::kOk) number = parsed;
  return outcome;
}

// Reports a malformed or out-of-range text; true when the text gave a number.
bool CheckText(BindingResult& result, TextNumber outcome, const char* text, std::string_view name,
               const char* typeName) {
  if (outcome == TextNumber::kOk) return true;
  result.SetFailure(Format(outcome == TextNumber::kIncorrectFormat ? kIncorrectFormat : kOutOfRange,
                           text, std::string(name), typeName));
  return false;
}

// Whether a member under "omit when empty" is written: a true bool, a non-zero number or enum
// value, or a text, blob or container with something in it.
bool HoldsSomething(const BindingProperty& value) {
  switch (value.Kind()) {
    case BindingPropertyKind::Bool:
      return value.GetBool(false);
    case BindingPropertyKind::Signed:
      return value.GetInt64(0) != 0;
    case BindingPropertyKind::Unsigned:
      return value.GetUint64(0) != 0;
    case BindingPropertyKind::Float:
      return value.GetDouble(0) != 0.0;
    case BindingPropertyKind::Enum:
      return value.GetEnum().value != 0;
    case BindingPropertyKind::String:
    case BindingPropertyKind::Blob:
    case BindingPropertyKind::Collection:
    case BindingPropertyKind::Structure:
      return value.Size() > 0;
    default:
      return false;
  }
}

}  // namespace

bool AssignBool(BindingResult& result, const BindingProperty& source, std::string_view name) {
  if (!result.IsOk()) return false;
  switch (source.Kind()) {
    case BindingPropertyKind::Bool:
      return source.GetBool(false);
    case BindingPropertyKind::String: {
      const std::string_view text = source.GetString();
      if (text == "true" || text == "1") return true;
      if (text == "false" || text == "0") return false;
      result.SetFailure(
          Format("Value %1 for '%2' of type bool is in an incorrect format. Options are \"true\", "
                 "\"false\", \"1\", \"0\".",
                 std::string(text), std::string(name)));
      return false;
    }
    case BindingPropertyKind::Empty:
      FailRequired(result, name);
      return false;
    default:
      result.SetFailure(Format(
          "Couldn't assign value to '%1' of type bool because the input is of an invalid type %2.",
          std::string(name), KindName(source)));
      return false;
  }
}

std::int64_t AssignSigned(BindingResult& result, const BindingProperty& source,
                          std::string_view name, std::int64_t lower, std::int64_t upper,
                          const char* typeName) {
  if (!result.IsOk()) return 0;
  switch (source.Kind()) {
    case BindingPropertyKind::Empty:
      FailRequired(result, name);
      return 0;
    case BindingPropertyKind::Signed: {
      const std::int64_t number = source.GetInt64(0);
      if (number >= lower && number <= upper) return number;
      FailOutOfRange(result, number, name, typeName);
      return 0;
    }
    case BindingPropertyKind::Unsigned: {
      const std::uint64_t number = source.GetUint64(0);
      if (upper >= 0 && number <= static_cast<std::uint64_t>(upper)) {
        const auto value = static_cast<std::int64_t>(number);
        if (value >= lower) return value;
      }
      FailOutOfRange(result, number, name, typeName);
      return 0;
    }
    case BindingPropertyKind::Float: {
      // Checked before truncating: a double past the target's range has no defined conversion.
      const double number = source.GetDouble(0);
      if (number >= static_cast<double>(lower) && number <= static_cast<double>(upper) &&
          number < kTwoPow63) {
        return static_cast<std::int64_t>(number);
      }
      FailOutOfRange(result, number, name, typeName);
      return 0;
    }
    case BindingPropertyKind::String: {
      const std::string text(source.GetString());
      std::int64_t number = 0;
      if (!CheckText(result, ParseSignedText(text.c_str(), number), text.c_str(), name, typeName)) {
        return 0;
      }
      if (number >= lower && number <= upper) return number;
      FailOutOfRange(result, text, name, typeName);
      return 0;
    }
    case BindingPropertyKind::Enum: {
      const std::int64_t number = source.GetEnum().value;
      if (number >= lower && number <= upper) return number;
      FailOutOfRange(result, number, name, typeName);
      return 0;
    }
    default:
      FailInvalidType(result, source, name, typeName);
      return 0;
  }
}

std::uint64_t AssignUnsigned(BindingResult& result, const BindingProperty& source,
                             std::string_view name, std::uint64_t upper, const char* typeName) {
  if (!result.IsOk()) return 0;
  switch (source.Kind()) {
    case BindingPropertyKind::Empty:
      FailRequired(result, name);
      return 0;
    case BindingPropertyKind::Signed:
    case BindingPropertyKind::Enum: {
      const std::int64_t number = source.Kind() == BindingPropertyKind::Signed
                                      ? source.GetInt64(0)
                                      : source.GetEnum().value;
      if (number >= 0 && static_cast<std::uint64_t>(number) <= upper) {
        return static_cast<std::uint64_t>(number);
      }
      FailOutOfRange(result, number, name, typeName);
      return 0;
    }
    case BindingPropertyKind::Unsigned: {
      const std::uint64_t number = source.GetUint64(0);
      if (number <= upper) return number;
      FailOutOfRange(result, number, name, typeName);
      return 0;
    }
    case BindingPropertyKind::Float: {
      const double number = source.GetDouble(0);
      if (number >= 0.0 && number <= static_cast<double>(upper) && number < kTwoPow64) {
        return static_cast<std::uint64_t>(number);
      }
      FailOutOfRange(result, number, name, typeName);
      return 0;
    }
    case BindingPropertyKind::String: {
      const std::string text(source.GetString());
      std::uint64_t number = 0;
      if (!CheckText(result, ParseUnsignedText(text.c_str(), number), text.c_str(), name,
                     typeName)) {
        return 0;
      }
      if (number <= upper) return number;
      FailOutOfRange(result, text, name, typeName);
      return 0;
    }
    default:
      FailInvalidType(result, source, name, typeName);
      return 0;
  }
}

double AssignFloat(BindingResult& result, const BindingProperty& source, std::string_view name,
                   double lower, double upper, const char* typeName) {
  if (!result.IsOk()) return 0;
  double number = 0;
  switch (source.Kind()) {
    case BindingPropertyKind::Empty:
      FailRequired(result, name);
      return 0;
    case BindingPropertyKind::Signed:
      number = static_cast<double>(source.GetInt64(0));
      break;
    case BindingPropertyKind::Unsigned:
      number = static_cast<double>(source.GetUint64(0));
      break;
    case BindingPropertyKind::Float:
      number = source.GetDouble(0);
      break;
    case BindingPropertyKind::Enum:
      number = source.GetEnum().value;
      break;
    case BindingPropertyKind::String: {
      const std::string text(source.GetString());
      if (!CheckText(result, ParseFloatText(text.c_str(), number), text.c_str(), name, typeName)) {
        return 0;
      }
      // Written as the text it came from.
      if (number >= lower && number <= upper) return number;
      FailOutOfRange(result, text, name, typeName);
      return 0;
    }
    default:
      FailInvalidType(result, source, name, typeName);
      return 0;
  }
  // NaN fails both comparisons.
  if (number >= lower && number <= upper) return number;
  FailOutOfRange(result, number, name, typeName);
  return 0;
}

std::int32_t AssignEnum(BindingResult& result, const BindingProperty& source, std::string_view name,
                        const BindingTypeInfo* type) {
  if (!result.IsOk()) return 0;
  if (source.IsEmpty()) {
    FailRequired(result, name);
    return 0;
  }
  if (type == nullptr) {
    result.SetFailure(Format(kUnregisteredStructure, std::string(name)));
    return 0;
  }
  const auto notValid = [&](const auto& shown) {
    result.SetFailure(Format("%1 is not a valid %2 enumeration value for '%3'.", shown, type->name,
                             std::string(name)));
    return 0;
  };
  switch (source.Kind()) {
    case BindingPropertyKind::Signed:
    case BindingPropertyKind::Unsigned: {
      // The low 32 bits name the enumerator.
      const std::uint64_t bits = source.Kind() == BindingPropertyKind::Signed
                                     ? static_cast<std::uint64_t>(source.GetInt64(0))
                                     : source.GetUint64(0);
      const auto value = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
      if (BindingRegistry::IsEnumValue(*type, value)) return value;
      if (source.Kind() == BindingPropertyKind::Signed) return notValid(source.GetInt64(0));
      return notValid(source.GetUint64(0));
    }
    case BindingPropertyKind::Enum: {
      const std::int32_t value = source.GetEnum().value;
      if (BindingRegistry::IsEnumValue(*type, value)) return value;
      return notValid(value);
    }
    case BindingPropertyKind::String: {
      const std::string text(source.GetString());
      const auto named = type->enumValues.find(text);
      if (named != type->enumValues.end()) return named->second.value;
      // The enumerator's number as text; the inner read's own message is not kept.
      BindingResult number;
      const std::int64_t value =
          AssignSigned(number, source, name, std::numeric_limits<std::int32_t>::min(),
                       std::numeric_limits<std::int32_t>::max(), type->name.c_str());
      if (number.IsOk() && BindingRegistry::IsEnumValue(*type, static_cast<std::int32_t>(value))) {
        return static_cast<std::int32_t>(value);
      }
      return notValid(text);
    }
    default:
      result.SetFailure(Format(
          "Couldn't assign value to '%1' of enum type because the input is of an invalid type %2.",
          std::string(name), KindName(source)));
      return 0;
  }
}

std::string AssignString(BindingResult& result, const BindingProperty& source,
                         std::string_view name, const BindingRegistry& registry) {
  if (!result.IsOk()) return {};
  switch (source.Kind()) {
    case BindingPropertyKind::String:
      return std::string(source.GetString());
    case BindingPropertyKind::Enum: {
      const BindingEnumValue value = source.GetEnum();
      if (const char* text = registry.EnumValueName(value.typeId, value.value)) return text;
      result.SetFailure(
          Format("%1 is not a valid enumeration value for '%2'.", value.value, std::string(name)));
      return {};
    }
    case BindingPropertyKind::Empty:
      FailRequired(result, name);
      return {};
    default:
      result.SetFailure(Format("Couldn't assign value to '%1' because the input is not a string.",
                               std::string(name)));
      return {};
  }
}

void FailRequired(BindingResult& result, std::string_view name) {
  result.SetFailure(Format(kRequired, std::string(name)));
}

void FailNotCollection(BindingResult& result, std::string_view name) {
  result.SetFailure(
      Format("Couldn't assign value to '%1' of type vector because the input not a collection.",
             std::string(name)));
}

void FailNotStructure(BindingResult& result, std::string_view name) {
  result.SetFailure(
      Format("Couldn't assign value to '%1' of type map because the input not a structure.",
             std::string(name)));
}

void RequireValue(BindingResult& result, void* target, const BindingProperty& source,
                  std::string_view name, const BindingTypeInfo* type,
                  const BindingRegistry& registry, std::uint32_t context) {
  if (!result.IsOk()) return;
  if (source.IsEmpty()) {
    FailRequired(result, name);
    return;
  }
  AssignStruct(result, target, source, name, type, registry, context);
}

void AssignStruct(BindingResult& result, void* target, const BindingProperty& source,
                  std::string_view name, const BindingTypeInfo* type,
                  const BindingRegistry& registry, std::uint32_t context) {
  if (!result.IsOk()) return;
  if (type == nullptr) {
    result.SetFailure(Format(kUnregisteredStructure, std::string(name)));
    return;
  }
  if (!source.IsStructure()) {
    result.SetFailure(
        Format("Couldn't assign value to '%1' of type %2 because the input not a structure.",
               std::string(name), type->name));
    return;
  }
  auto* const record = static_cast<unsigned char*>(target);
  // Records are mostly registered in name order, the order of the members: walking the members
  // alongside the fields finds most of them without a search.
  BindingMemberIterator next = source.MembersBegin();
  const BindingMemberIterator end = source.MembersEnd();
  for (const BindingFieldInfo& field : type->fields) {
    const BindingProperty* found = nullptr;
    if (next != end && next.Name().View() == field.MemberName()) {
      found = &next.Value();
      ++next;
    } else {
      found = &source.FindMember(field.name);
    }
    const BindingProperty& member = *found;
    if (member.IsEmpty()) {
      if ((field.flags & kBindingFieldRequired) != 0) {
        result.SetFailure(Format(
            "Couldn't assign value to '%1' of type %2 because the input structure doesn't have "
            "required field '%3'.",
            std::string(name), type->name, field.name));
        return;
      }
      continue;
    }
    if (field.converter == nullptr) continue;
    field.converter->Assign(result, record + field.offset, member, field.name,
                            field.descriptor.type, registry, context);
    if (!result.IsOk()) return;
  }
}

void WriteStruct(BindingProperty& out, BindingResult& status, const void* source,
                 const BindingTypeInfo* type, const BindingRegistry& registry) {
  if (!status.IsOk()) return;
  if (type == nullptr) {
    status.SetFailure("Couldn't convert native value because it's an unregistered structure.");
    return;
  }
  out.MakeStructure();
  const auto* const record = static_cast<const unsigned char*>(source);
  for (const BindingFieldInfo& field : type->fields) {
    if (field.converter == nullptr) continue;
    const void* const address = record + field.offset;
    if ((field.flags & kBindingFieldOmitEmpty) == 0) {
      // Built in place: no value of its own, no copy.
      field.converter->WriteInto(out.Member(field.MemberName(), field.nameHash), status, address,
                                 field.descriptor.type, registry);
      if (!status.IsOk()) return;
      continue;
    }
    BindingResult value;
    field.converter->ToProperty(value, address, field.descriptor.type, registry);
    if (!value.IsOk()) {
      status.SetFailure(value.ErrorMessage());
      return;
    }
    if (HoldsSomething(value.Value())) {
      out.Member(field.MemberName(), field.nameHash) = std::move(value.Value());
    }
  }
}

void StructToProperty(BindingResult& destination, const void* source, const BindingTypeInfo* type,
                      const BindingRegistry& registry) {
  WriteStruct(destination.Value(), destination, source, type, registry);
}

}  // namespace BindingConvert

void BindingFieldConverter::WriteInto(BindingProperty& out, BindingResult& status,
                                      const void* source, const BindingTypeInfo* type,
                                      const BindingRegistry& registry) const {
  if (!status.IsOk()) return;
  BindingResult value;
  ToProperty(value, source, type, registry);
  if (!value.IsOk()) {
    status.SetFailure(value.ErrorMessage());
    return;
  }
  out = std::move(value.Value());
}

void ConvertStructToProperty(BindingResult& destination, const void* record,
                             const BindingTypeInfo* type, const BindingRegistry& registry) {
  BindingConvert::StructToProperty(destination, record, type, registry);
}

}  // namespace Zarn
