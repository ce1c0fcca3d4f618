#include "sdk/binding/JsonText.h"

#include <rapidjson/error/en.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "sdk/base/Encoding.h"
#include "sdk/binding/BindingPropertyVisitor.h"
#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/CollectionGatherer.h"
#include "sdk/binding/JsonAllocator.h"

namespace Zarn {
namespace {

using JsonReader = rapidjson::GenericReader<rapidjson::UTF8<>, rapidjson::UTF8<>, JsonAllocator>;
using JsonBuffer = rapidjson::GenericStringBuffer<rapidjson::UTF8<>, JsonAllocator>;
using CompactWriter =
    rapidjson::Writer<JsonBuffer, rapidjson::UTF8<>, rapidjson::UTF8<>, JsonAllocator>;
using PrettyWriter =
    rapidjson::PrettyWriter<JsonBuffer, rapidjson::UTF8<>, rapidjson::UTF8<>, JsonAllocator>;

// Builds the value from the reader's events. The elements of open collections are gathered and
// each collection gets them all at once when it closes. An open container is found again by
// address when it lies in a member or is the root (members live in tree nodes that never move),
// else by its index among the gathered elements.
class ValueBuilder {
 public:
  explicit ValueBuilder(BindingProperty& root) : root_(root) {}

  // A later null under a repeated name leaves the earlier value; in a list it adds an element.
  bool Null() {
    Target();
    return true;
  }
  bool Bool(bool value) {
    Target().SetBool(value);
    return true;
  }
  bool Int(int value) { return Int64(value); }
  bool Uint(unsigned value) { return Uint64(value); }
  bool Int64(std::int64_t value) {
    Target().SetInt64(value);
    return true;
  }
  bool Uint64(std::uint64_t value) {
    Target().SetUint64(value);
    return true;
  }
  bool Double(double value) {
    Target().SetDouble(value);
    return true;
  }
  bool RawNumber(const char*, rapidjson::SizeType, bool) { return false; }
  // The reader knows the lengths; a text holding "\u0000" still ends there (the value cuts it).
  bool String(const char* text, rapidjson::SizeType length, bool) {
    Target().SetString(std::string_view(text, length));
    return true;
  }
  bool StartObject() { return Open(true); }
  bool Key(const char* name, rapidjson::SizeType length, bool) {
    member_ = &Container(open_[depth_ - 1]).Member(std::string_view(name, length));
    return true;
  }
  bool EndObject(rapidjson::SizeType) { return Close(); }
  bool StartArray() { return Open(false); }
  bool EndArray(rapidjson::SizeType) { return Close(); }

 private:
  struct OpenContainer {
    BindingProperty* fixed;    // the container, or null when it is a gathered element
    std::uint32_t gathered;    // else its index among the gathered elements
    std::uint32_t firstChild;  // a collection's first gathered element
    bool collection;
  };

  BindingProperty& Container(const OpenContainer& open) {
    return open.fixed != nullptr ? *open.fixed : gatherer_.At(open.gathered);
  }

  BindingProperty& Target() {
    if (depth_ == 0) return root_;
    if (open_[depth_ - 1].collection) return gatherer_.Push(arena_);
    return *member_;
  }

  // A repeated name that held a container of the same kind keeps it and adds to it.
  bool Open(bool structure) {
    if (depth_ == kMaxJsonDepth) return false;
    const bool inCollection = depth_ > 0 && open_[depth_ - 1].collection;
    BindingProperty& target = Target();
    if (structure) {
      target.MakeStructure();
    } else {
      target.MakeCollection();
    }
    if (arena_ == nullptr) arena_ = &root_.Arena();
    const auto top = static_cast<std::uint32_t>(gatherer_.Mark());
    open_[depth_++] = inCollection ? OpenContainer{nullptr, top - 1, top, !structure}
                                   : OpenContainer{&target, 0, top, !structure};
    return true;
  }
  bool Close() {
    const OpenContainer& open = open_[--depth_];
    if (open.collection) gatherer_.MoveInto(Container(open), open.firstChild);
    return true;
  }

  BindingProperty& root_;
  PropertyArena* arena_ = nullptr;  // the root's, once it has a container
  BindingProperty* member_ = nullptr;
  std::uint32_t depth_ = 0;
  OpenContainer open_[kMaxJsonDepth];
  CollectionGatherer gatherer_;
};

// The length of the last text of each layout. The next buffer starts a little larger, so that a
// text like the last one is written into one block; the margin covers what the writer reserves
// ahead of each token.
std::atomic<std::size_t> lastCompactLength{0};
std::atomic<std::size_t> lastPrettyLength{0};

std::size_t BufferCapacity(const std::atomic<std::size_t>& lastLength) {
  const std::size_t length = lastLength.load(std::memory_order_relaxed);
  return length + length / 8 + JsonBuffer::kDefaultCapacity;
}

bool IsJsonBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

template <typename Writer>
class JsonWriterVisitor final : public BindingPropertyVisitor {
 public:
  JsonWriterVisitor(Writer& writer, const BindingRegistry* registry)
      : writer_(writer), registry_(registry) {}

  void Null() override { writer_.Null(); }
  void Bool(bool value) override { writer_.Bool(value); }
  void Int64(std::int64_t value) override { writer_.Int64(value); }
  void Uint64(std::uint64_t value) override { writer_.Uint64(value); }
  // The writer refuses infinities and NaN after it has already written the separator before
  // them, which would leave broken text; null keeps the document valid.
  void Double(double value) override {
    if (std::isfinite(value)) {
      writer_.Double(value);
    } else {
      writer_.Null();
    }
  }
  void String(const InternedString& text) override { WriteText(text.View()); }
  void Binary(const BindingBlob& bytes) override {
    const std::string encoded = Base64Encode(bytes.data(), bytes.size());
    WriteText(encoded);
  }
  void Enum(const BindingEnumValue& value) override {
    const char* name = registry_ != nullptr ? EnumName(value) : nullptr;
    if (name != nullptr) {
      WriteText(name);
    } else {
      writer_.Int64(value.value);
    }
  }
  void StartArray(std::uint32_t) override { writer_.StartArray(); }
  void BeginElement(std::uint32_t) override {}
  void EndElement(std::uint32_t) override {}
  void EndArray() override { writer_.EndArray(); }
  void StartObject(std::uint32_t) override { writer_.StartObject(); }
  void Key(const InternedString& name) override {
    const std::string_view text = name.View();
    writer_.Key(text.data(), static_cast<rapidjson::SizeType>(text.size()));
  }
  void EndMember(const InternedString&) override {}
  void EndObject() override { writer_.EndObject(); }

 private:
  void WriteText(std::string_view text) {
    writer_.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
  }

  // The registry's name of the value (null when it has none). A document repeats a few enum
  // values, and each lookup in the registry takes its lock: the names found are kept for the
  // rest of the text.
  const char* EnumName(const BindingEnumValue& value) {
    const std::size_t slot =
        (value.typeId ^ static_cast<std::uint32_t>(value.value) * 31u) % std::size(enumNames_);
    KnownEnumName& known = enumNames_[slot];
    if (!known.set || known.value != value) {
      known = {value, registry_->EnumValueName(value.typeId, value.value), true};
    }
    return known.name;
  }

  struct KnownEnumName {
    BindingEnumValue value;
    const char* name = nullptr;
    bool set = false;
  };

  Writer& writer_;
  const BindingRegistry* registry_;
  KnownEnumName enumNames_[8];
};

template <typename Writer>
void WriteJson(const BindingProperty& value, const BindingRegistry* registry, JsonBuffer& buffer) {
  JsonAllocator allocator;
  Writer writer(buffer, &allocator);
  JsonWriterVisitor<Writer> visitor(writer, registry);
  value.Accept(visitor);
}

}  // namespace

BindingResult ParseJsonText(const char* text) {
  BindingResult result;
  if (text == nullptr) return result;
  const char* rest = text;
  while (IsJsonBlank(*rest)) ++rest;
  if (*rest == '\0') return result;

  // The recursive reader: the builder refuses the 513th open container, so the reader never
  // goes deeper than that on the stack.
  ValueBuilder builder(result.Value());
  JsonAllocator allocator;
  JsonReader reader(&allocator);
  rapidjson::StringStream stream(text);
  reader.Parse<rapidjson::kParseDefaultFlags>(stream, builder);
  if (!reader.HasParseError()) return result;

  const rapidjson::ParseErrorCode code = reader.GetParseErrorCode();
  std::size_t offset = reader.GetErrorOffset();
  // The builder stops the reader only at a bracket too deep, after the reader took the bracket:
  // the offset is the bracket's.
  if (code == rapidjson::kParseErrorTermination) --offset;
  char message[160];
  std::snprintf(message, sizeof message, "Error: %s at offset %u.",
                rapidjson::GetParseError_En(code), static_cast<unsigned>(offset));
  result.SetFailure(message);
  return result;
}

BindingResult ParseJson(const std::string& text) { return ParseJsonText(text.c_str()); }

std::string SerializeJson(const BindingProperty& value, const BindingRegistry* registry,
                          const char* separator) {
  if (value.IsEmpty()) return {};
  JsonAllocator allocator;
  const bool compact = separator == nullptr || *separator == '\0';
  std::atomic<std::size_t>& lastLength = compact ? lastCompactLength : lastPrettyLength;
  JsonBuffer buffer(&allocator, BufferCapacity(lastLength));
  if (compact) {
    WriteJson<CompactWriter>(value, registry, buffer);
  } else {
    WriteJson<PrettyWriter>(value, registry, buffer);
  }
  lastLength.store(buffer.GetSize(), std::memory_order_relaxed);
  if (compact) return std::string(buffer.GetString(), buffer.GetSize());
  const std::string_view pretty(buffer.GetString(), buffer.GetSize());
  if (std::strcmp(separator, "\n") == 0) return std::string(pretty);

  // Strings are written with escaped line feeds, so every raw one is a line break.
  const std::string_view replacement(separator);
  std::string text;
  text.reserve(pretty.size());
  for (const char c : pretty) {
    if (c == '\n') {
      text.append(replacement);
    } else {
      text.push_back(c);
    }
  }
  return text;
}

template <>
MaybeType<Failure, std::string> ToJsonText<BindingProperty>(const BindingProperty& value,
                                                            const BindingRegistry* registry,
                                                            const char* separator) {
  return SerializeJson(value, registry, separator);
}

template <>
MaybeType<Failure, std::string> ToJsonText<bool>(const bool& value, const BindingRegistry* registry,
                                                 const char* separator) {
  BindingProperty property;
  property.SetBool(value);
  return SerializeJson(property, registry, separator);
}

}  // namespace Zarn
