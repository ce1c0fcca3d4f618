#include "sdk/base/FormatString.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "sdk/base/Format.h"

namespace Zarn {
namespace {

struct TemplatePlaceholder {
  std::string name;
  std::string emptyText;      // after "?"
  std::string specification;  // after ":", or the whole text of a "%" conversion
  std::string word;           // after "@"
  bool typedName = false;     // "#"
  bool silent = false;        // "!"
  bool hasEmptyText = false;  // "?"
  bool hasSpecification = false;
  bool isPrintf = false;
  bool hasWord = false;
};

const char* TagSuffix(int32_t tag) {
  switch (tag) {
    case FailureAttribute::kBool:
      return "_bool";
    case FailureAttribute::kInt:
    case FailureAttribute::kUInt:
      return "_int";
    case FailureAttribute::kDouble:
      return "_float";
    case FailureAttribute::kText:
      return "_str";
    default:
      return "";
  }
}

bool HasTypeSuffix(const std::string& name) {
  static constexpr std::string_view kSuffixes[] = {"_bool", "_int",  "_long", "_float",
                                                   "_str",  "_time", "_ip"};
  std::size_t underscore = name.rfind('_');
  if (underscore == std::string::npos) return false;
  std::string_view suffix = std::string_view(name).substr(underscore);
  for (std::string_view known : kSuffixes) {
    if (suffix == known) return true;
  }
  return false;
}

template <class... T>
std::string Printed(const char* format, T... values) {
  char buffer[64];
  int n = std::snprintf(buffer, sizeof buffer, format, values...);
  return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

void ApplyConversionWord(TemplatePlaceholder& placeholder, FailureAttribute& arg) {
  if (!placeholder.hasWord || placeholder.word.size() != 3) return;
  std::string text;
  if (placeholder.word == "str") {
    switch (arg.tag) {
      case FailureAttribute::kBool:
        text = arg.AsBool() ? "true" : "false";
        break;
      case FailureAttribute::kInt:
        text = std::to_string(arg.AsInt());
        break;
      case FailureAttribute::kUInt:
        text = std::to_string(arg.AsUInt());
        break;
      case FailureAttribute::kDouble:
        text = Printed("%f", arg.AsDouble());
        break;
      default:
        return;
    }
  } else if (placeholder.word == "hex") {
    if (arg.tag != FailureAttribute::kInt && arg.tag != FailureAttribute::kUInt) return;
    text = Printed("%016llX", static_cast<unsigned long long>(arg.AsUInt()));
    placeholder.specification = "016llX";
    placeholder.hasSpecification = true;
  } else {
    return;
  }
  arg = FailureAttribute(std::move(text));
}

void AppendEscaped(std::string& out, const std::string& text) {
  for (char c : text) {
    out += c;
    if (c == '%') out += '%';
  }
}

void RenderPlaceholder(TemplatePlaceholder& placeholder, FailureAttribute arg, std::size_t number,
                       std::string& out, FailureAttributes& attributes) {
  ApplyConversionWord(placeholder, arg);
  if (placeholder.typedName && !HasTypeSuffix(placeholder.name)) {
    placeholder.name += TagSuffix(arg.tag);
  }
  if (placeholder.hasEmptyText && arg.IsEmpty()) {
    // The text lands in a format, where a lone "%" would start a conversion.
    AppendEscaped(out, placeholder.emptyText);
    return;
  }
  if (!placeholder.name.empty()) attributes.insert_or_assign(placeholder.name, std::move(arg));
  if (placeholder.silent) {
    std::size_t end = out.find_last_not_of(" \t\r\n\v\f");
    out.erase(end == std::string::npos ? 0 : end + 1);
    return;
  }
  if (placeholder.isPrintf) {
    out += placeholder.specification;
    return;
  }
  out += '%';
  out += std::to_string(number);
  // An empty ":" is no specification: "%N$" would swallow the character after it.
  if (placeholder.hasSpecification && !placeholder.specification.empty()) {
    out += '$';
    out += placeholder.specification;
  }
}

}  // namespace

void FormatString(const char* templateText, const FailureAttribute* args, std::size_t count,
                  std::string& outFormat, FailureAttributes& attributes) {
  if (args == nullptr) count = 0;
  attributes.reserve(attributes.size() + count);
  std::size_t counter = 1;
  TemplatePlaceholder placeholder;
  bool open = false;
  auto finish = [&] {
    if (counter <= count) {
      RenderPlaceholder(placeholder, args[counter - 1], counter, outFormat, attributes);
    }
    placeholder = TemplatePlaceholder{};
    ++counter;
    open = false;
  };
  const char* p = templateText != nullptr ? templateText : "";
  while (*p != '\0') {
    const char c = *p;
    if (open) {
      ++p;
      switch (c) {
        case '!':
          placeholder.silent = true;
          continue;
        case '?':
          placeholder.hasEmptyText = true;
          continue;
        case ':':
          placeholder.hasSpecification = true;
          continue;
        case '@':
          placeholder.hasWord = true;
          continue;
        case '{':
          continue;
        case '}':
          finish();
          continue;
        default:
          break;
      }
      char literal = c;
      if (c == '\\') {
        if (*p == '\0') return;
        literal = *p++;
      }
      std::string& field = placeholder.hasSpecification ? placeholder.specification
                           : placeholder.hasWord        ? placeholder.word
                           : placeholder.hasEmptyText   ? placeholder.emptyText
                                                        : placeholder.name;
      field += literal;
      continue;
    }
    if (c == '%') {
      if (p[1] == '%') {
        outFormat += "%%";
        p += 2;
        continue;
      }
      FormatSpec spec;
      const char* end = ReadFormatSpec(p + 1, count, spec);
      if (end == nullptr) return;  // the formatter would stop at this conversion as well
      // Brace placeholders become numbered references, so a conversion without a number gets
      // the number of its own position; otherwise it would take the first argument.
      placeholder.isPrintf = true;
      placeholder.specification.assign(1, '%');
      if (spec.index == 0) {
        placeholder.specification += std::to_string(counter);
        placeholder.specification += '$';
      }
      placeholder.specification.append(p + 1, end);
      p = end;
      finish();
      continue;
    }
    if (c == '{') {
      if (p[1] == '{') {
        outFormat += '{';
        p += 2;
        continue;
      }
      open = true;
      placeholder.typedName = p[1] == '#';
      p += placeholder.typedName ? 2 : 1;
      continue;
    }
    if (c == '}') {
      outFormat += '}';
      p += p[1] == '}' ? 2 : 1;
      continue;
    }
    outFormat += c;
    ++p;
  }
}

namespace {

FormatDetail::Value AttributeValue(const FailureAttribute& arg) {
  using FormatDetail::Kind;
  switch (arg.tag) {
    case FailureAttribute::kBool:
      return FormatDetail::TextValue(arg.AsBool() ? "true" : "false");
    case FailureAttribute::kInt:
      return {.kind = Kind::kInt64, .integer = arg.AsInt()};
    case FailureAttribute::kUInt:
      return {.kind = Kind::kUInt64, .integer = arg.AsInt()};
    case FailureAttribute::kDouble:
      return {.kind = Kind::kDouble, .real = arg.AsDouble()};
    case FailureAttribute::kText:
      return {.kind = Kind::kText, .text = arg.text.c_str(), .textLength = arg.text.size()};
    default:
      return FormatDetail::TextValue("");
  }
}

std::size_t PrintAttribute(FormatArgContext& context) {
  return FormatDetail::PrintValue(
      context, AttributeValue(*static_cast<const FailureAttribute*>(context.value)));
}

int32_t AttributeInteger(const void* value) {
  return static_cast<int32_t>(
      static_cast<uint32_t>(static_cast<const FailureAttribute*>(value)->number));
}

constexpr FormatArgDescriptor kIntegerAttribute = {&PrintAttribute, &AttributeInteger, true};
constexpr FormatArgDescriptor kOtherAttribute = {&PrintAttribute, nullptr, false};

}  // namespace

std::string FormatAttributes(const char* format, const FailureAttribute* args, std::size_t count) {
  if (args == nullptr) count = 0;
  constexpr std::size_t kInline = 8;
  FormatArgDescriptor inlineDescriptors[kInline];
  const void* inlineValues[kInline];
  std::vector<FormatArgDescriptor> heapDescriptors;
  std::vector<const void*> heapValues;
  FormatArgDescriptor* descriptors = inlineDescriptors;
  const void** values = inlineValues;
  if (count > kInline) {
    heapDescriptors.resize(count);
    heapValues.resize(count);
    descriptors = heapDescriptors.data();
    values = heapValues.data();
  }
  for (std::size_t i = 0; i < count; ++i) {
    const bool isInteger =
        args[i].tag == FailureAttribute::kInt || args[i].tag == FailureAttribute::kUInt;
    descriptors[i] = isInteger ? kIntegerAttribute : kOtherAttribute;
    values[i] = &args[i];
  }
  return FormatToString(format, descriptors, values, count);
}

}  // namespace Zarn
