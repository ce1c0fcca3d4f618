#include "sdk/binding/HostValueConversion.h"

#include <bit>
#include <exception>
#include <new>
#include <string>

#include "sdk/base/Format.h"
#include "sdk/base/MemoryHooks.h"
#include "sdk/binding/ApiObject.h"
#include "sdk/binding/BindingRegistry.h"

namespace Zarn {
namespace {

std::uint32_t Low(std::uint64_t bits) { return static_cast<std::uint32_t>(bits); }
std::uint32_t High(std::uint64_t bits) { return static_cast<std::uint32_t>(bits >> 32); }
std::uint64_t Join(std::uint32_t low, std::uint32_t high) {
  return (static_cast<std::uint64_t>(high) << 32) | low;
}

bool ToObject(ApiObject& target, const BindingProperty& value, const BindingRegistry* registry,
              unsigned depth) {
  switch (value.Kind()) {
    case BindingPropertyKind::Empty:
      DestroyApiObject(target);
      return true;
    case BindingPropertyKind::Bool:
      target.SetBool(value.GetBool());
      return true;
    case BindingPropertyKind::Signed: {
      const auto bits = static_cast<std::uint64_t>(value.GetInt64());
      target.SetInt64(Low(bits), High(bits));
      return true;
    }
    case BindingPropertyKind::Unsigned:
      target.SetUint64(Low(value.GetUint64()), High(value.GetUint64()));
      return true;
    case BindingPropertyKind::Float: {
      const auto bits = std::bit_cast<std::uint64_t>(value.GetDouble());
      // The double's bits in the two words, under the float kind.
      target.SetUint64(Low(bits), High(bits));
      target.kind = kApiObjectFloat;
      return true;
    }
    case BindingPropertyKind::String:
      return target.SetString(value.GetString());
    case BindingPropertyKind::Blob: {
      const auto bytes = value.GetBlob();
      return target.SetBlob(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    }
    case BindingPropertyKind::Enum: {
      const BindingEnumValue number = value.GetEnum();
      const char* name =
          registry != nullptr ? registry->EnumValueName(number.typeId, number.value) : nullptr;
      if (name != nullptr) return target.SetString(name);
      const auto bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(number.value));
      target.SetInt64(Low(bits), High(bits));
      return true;
    }
    case BindingPropertyKind::Collection: {
      DestroyApiObject(target);
      if (depth >= kMaxHostValueDepth) return false;
      const auto count = static_cast<std::uint32_t>(value.Size());
      ApiObject* elements = AllocateApiObjects(count);
      if (count != 0 && elements == nullptr) return false;
      // Owned by the target from here, so that a failure below releases what was converted.
      target.SetCollection(elements, count);
      for (std::uint32_t i = 0; i < count; ++i) {
        if (!ToObject(elements[i], value.At(i), registry, depth + 1)) return false;
      }
      return true;
    }
    case BindingPropertyKind::Structure: {
      DestroyApiObject(target);
      if (depth >= kMaxHostValueDepth) return false;
      const auto count = static_cast<std::uint32_t>(value.Size());
      ApiObjectEntry* entries = AllocateApiObjectEntries(count);
      if (count != 0 && entries == nullptr) return false;
      target.SetStructure(entries, count);
      std::uint32_t i = 0;
      for (auto member = value.MembersBegin(); member != value.MembersEnd(); ++member, ++i) {
        ApiObjectEntry& entry = entries[i];
        entry.name = MemoryHooks::StrDup(member.Name().CStr());
        if (entry.name == nullptr) return false;
        entry.ownsName = 1;
        if (!ToObject(entry.value, member.Value(), registry, depth + 1)) return false;
      }
      return true;
    }
  }
  DestroyApiObject(target);
  return true;
}

// Reads host values; every failure is a message, nothing of the input is trusted.
class FromObject {
 public:
  explicit FromObject(std::string_view name) : name_(name) {}

  // Empty when the conversion succeeded, else the failure message.
  std::string failure;

  bool Convert(BindingProperty& target, const ApiObject& object, unsigned depth) {
    switch (object.kind) {
      case kApiObjectEmpty:
        target.Reset();
        return true;
      case kApiObjectBool:
        target.SetBool((object.a.word & 0xFFu) != 0);
        return true;
      case kApiObjectSigned:
        target.SetInt64(static_cast<std::int64_t>(Join(object.a.word, object.b)));
        return true;
      case kApiObjectUnsigned:
        target.SetUint64(Join(object.a.word, object.b));
        return true;
      case kApiObjectFloat:
        target.SetDouble(std::bit_cast<double>(Join(object.a.word, object.b)));
        return true;
      case kApiObjectBorrowedString:
      case kApiObjectOwnedString:
        target.SetString(object.a.text != nullptr ? object.a.text : "");
        return true;
      case kApiObjectBorrowedBlob:
      case kApiObjectOwnedBlob:
        if (!CheckArray(object, object.a.bytes != nullptr)) return false;
        target.SetBlob(std::span<const std::uint8_t>(object.a.bytes, object.b));
        return true;
      case kApiObjectCollection:
        return CheckNesting(depth) && CheckArray(object, object.a.elements != nullptr) &&
               ConvertCollection(target, object, depth);
      case kApiObjectStructure:
        return CheckNesting(depth) && CheckArray(object, object.a.entries != nullptr) &&
               ConvertStructure(target, object, depth);
      default:
        return Fail(
            Format("Couldn't assign value to '%1' of type object because the input is of an "
                   "incompatible type '%2'.",
                   name_, ApiObjectKindName(object.kind)));
    }
  }

  bool Fail(std::string message) {
    failure = std::move(message);
    return false;
  }

 private:
  bool CheckNesting(unsigned depth) {
    if (depth < kMaxHostValueDepth) return true;
    return Fail(
        Format("Couldn't assign value to '%1' because the input is nested deeper than %2 "
               "levels.",
               name_, kMaxHostValueDepth));
  }

  // A count must have an array behind it and stay within what a collection may hold.
  bool CheckArray(const ApiObject& object, bool hasPointer) {
    const char* kindName = ApiObjectKindName(object.kind);
    const std::uint32_t count = object.b;
    if (!hasPointer && count != 0) {
      return Fail(
          Format("Couldn't assign value to '%1' because the input %2 has no data for its "
                 "count of %3.",
                 name_, kindName, count));
    }
    if (count > BindingProperty::kMaxCollectionSize) {
      return Fail(Format(
          "Couldn't assign value to '%1' because the input %2 has a count of %3, "
          "more than %4.",
          name_, kindName, count, static_cast<std::uint32_t>(BindingProperty::kMaxCollectionSize)));
    }
    return true;
  }

  bool ConvertCollection(BindingProperty& target, const ApiObject& object, unsigned depth) {
    target.MakeCollection();
    target.Reserve(object.b);
    for (std::uint32_t i = 0; i < object.b; ++i) {
      if (!Convert(target.At(i), object.a.elements[i], depth + 1)) return false;
    }
    return true;
  }

  bool ConvertStructure(BindingProperty& target, const ApiObject& object, unsigned depth) {
    target.MakeStructure();
    for (std::uint32_t i = 0; i < object.b; ++i) {
      const ApiObjectEntry& entry = object.a.entries[i];
      if (entry.name == nullptr) {
        return Fail(
            Format("Couldn't assign value to '%1' because entry %2 of the input "
                   "structure has no name.",
                   name_, i));
      }
      if (!Convert(target.Member(entry.name), entry.value, depth + 1)) return false;
    }
    return true;
  }

  std::string name_;
};

}  // namespace

bool PropertyToApiObject(ApiObject& target, const BindingProperty& value,
                         const BindingRegistry* registry) noexcept {
  if (ToObject(target, value, registry, 0)) return true;
  DestroyApiObject(target);
  return false;
}

bool ApiObjectToProperty(ApiCallResult& result, BindingProperty& target, const ApiObject& object,
                         std::string_view name) noexcept {
  try {
    FromObject reader(name);
    if (reader.Convert(target, object, 0)) return true;
    result.SetError(reader.failure.c_str());
  } catch (const std::bad_alloc&) {
    result.SetError("Couldn't assign value: out of memory.");
  } catch (const std::exception& e) {
    result.SetError(e.what());
  }
  return false;
}

}  // namespace Zarn
