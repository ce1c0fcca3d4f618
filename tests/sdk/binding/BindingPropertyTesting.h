// Helpers for tests that compare value trees: a compact text that shows every kind apart.
#pragma once

#include <cinttypes>
#include <cstdio>
#include <string>

#include "sdk/base/Encoding.h"
#include "sdk/binding/BindingProperty.h"
#include "sdk/binding/BindingPropertyVisitor.h"

namespace Zarn {

// Lets tests see where a value's memory comes from without creating an arena.
struct BindingPropertyTestPeer {
  [[nodiscard]] static const PropertyArena* ArenaOf(const BindingProperty& value) {
    return value.arena_;
  }
  [[nodiscard]] static bool OwnsArena(const BindingProperty& value) {
    return value.ownsArena_ != 0;
  }
};

}  // namespace Zarn

namespace Zarn::Testing {

// Renders a value as null, true/false, i:-5, u:5, f:1.500000, "text", blob:<Base64>,
// enum:<value>@<type id in hex>, [a,b] and {name:value,...} (members in name order).
class DescribingVisitor final : public BindingPropertyVisitor {
 public:
  std::string text;

  void Null() override { text += "null"; }
  void Bool(bool value) override { text += value ? "true" : "false"; }
  void Int64(std::int64_t value) override { text += "i:" + std::to_string(value); }
  void Uint64(std::uint64_t value) override { text += "u:" + std::to_string(value); }
  void Double(double value) override {
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "f:%f", value);
    text += buffer;
  }
  void String(const InternedString& value) override { text += '"' + value.Text() + '"'; }
  void Binary(const BindingBlob& bytes) override {
    text += "blob:" + Base64Encode(bytes.data(), bytes.size());
  }
  void Enum(const BindingEnumValue& value) override {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "enum:%" PRId32 "@%08" PRIX32, value.value, value.typeId);
    text += buffer;
  }
  void StartArray(std::uint32_t) override { text += '['; }
  void BeginElement(std::uint32_t index) override {
    if (index > 0) text += ',';
  }
  void EndElement(std::uint32_t) override {}
  void EndArray() override { text += ']'; }
  void StartObject(std::uint32_t) override {
    text += '{';
    first_ = true;
  }
  void Key(const InternedString& name) override {
    if (!first_) text += ',';
    first_ = false;
    text += name.Text() + ':';
  }
  void EndMember(const InternedString&) override { first_ = false; }
  void EndObject() override { text += '}'; }

 private:
  bool first_ = true;
};

[[nodiscard]] inline std::string Describe(const BindingProperty& value) {
  DescribingVisitor visitor;
  value.Accept(visitor);
  return visitor.text;
}

}  // namespace Zarn::Testing
