#include "sdk/binding/BindingBuiltinTypes.h"

#include <cstddef>
#include <initializer_list>
#include <memory>

#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/FieldConverter.h"

namespace Zarn {
namespace {

using Code = BindingTypeCode;

struct EnumeratorSpec {
  const char* name;
  std::int32_t value;
  const char* description;
};

// Registers a built-in type with its tags, and its description when it is new.
template <typename T>
BindingTypeBuilder DeclareBuiltin(BindingRegistry& registry, const char* name,
                                  const char* description, std::initializer_list<const char*> tags,
                                  bool isEnum = false) {
  BindingTypeBuilder builder =
      registry.RegisterType(static_cast<std::uint32_t>(sizeof(T)), name, TypeId<T>(), isEnum);
  if (!builder.Exists()) builder.Type()->description = description;
  for (const char* tag : tags) builder.AddTag(tag);
  return builder;
}

template <typename T>
BindingTypeInfo* DeclareBuiltinEnum(BindingRegistry& registry, const char* name,
                                    const char* description,
                                    std::initializer_list<const char*> tags,
                                    std::initializer_list<EnumeratorSpec> enumerators) {
  BindingTypeBuilder builder = DeclareBuiltin<T>(registry, name, description, tags, true);
  for (const EnumeratorSpec& e : enumerators) builder.AddEnumValue(e.name, e.value, e.description);
  return builder.Type();
}

BindingTypeDescriptor Scalar(Code code) { return {code, Code::None, nullptr}; }
BindingTypeDescriptor Record(BindingTypeInfo* type) { return {Code::Struct, Code::None, type}; }
BindingTypeDescriptor ListOf(Code element, BindingTypeInfo* type = nullptr) {
  return {Code::Vector, element, type};
}

}  // namespace

// Each field gets its name, offset, identity, descriptor and the converter of its native type.
#define ZARN_BUILTIN_FIELD(builder, Record, member, name, description, descriptor)                \
  (builder).AddField((name), (description), static_cast<std::uint32_t>(offsetof(Record, member)), \
                     &TypeId<decltype(Record::member)>(), (descriptor), {}, 0,                    \
                     std::make_unique<FieldConverter<decltype(Record::member)>>(), false)

void BindingRegistry::RegisterBuiltins() {
  RegisterHelpTypes();
  RegisterAsyncTypes();
  BindingTypeInfo* payload = FindTypeById(TypeId<BindingCallbackEvent>().id);
  RegisterEvent("OnCallback", payload)
      .SetDescription("Fired when a callback is invoked.")
      .AddTag("$builtin");
}

void BindingRegistry::RegisterAsyncTypes() {
  const std::initializer_list<const char*> kAsync = {"$builtin", "async"};
  DeclareBuiltinEnum<BindingAsyncState>(
      *this, "BindingAsyncState", "Possible states of an asynchronous operation.", kAsync,
      {{"None", 0, "Invalid state"},
       {"Running", 1, "The operation is in flight"},
       {"Cancelling", 2, "A request to cancel the operation has been made"},
       {"Cancelled", 3, "The operation was cancelled"},
       {"Succeeded", 4, "The operation completed successfully"},
       {"Failed", 5, "The operation encountered an error"}});

  {
    auto b = DeclareBuiltin<BindingGenericEvent>(
        *this, "BindingGenericEvent", "Represents generic data for an event.", {"$builtin"});
    ZARN_BUILTIN_FIELD(b, BindingGenericEvent, data, "data", "Event data", Scalar(Code::Object));
  }
  {
    auto b = DeclareBuiltin<BindingCallbackEvent>(
        *this, "BindingCallbackEvent",
        "Represents the parameters of a call to a provided callback.", {"$builtin"});
    ZARN_BUILTIN_FIELD(b, BindingCallbackEvent, id, "id", "ID of the callback being invoked",
                       Scalar(Code::Uint32));
    ZARN_BUILTIN_FIELD(b, BindingCallbackEvent, parameters, "parameters", "Callback parameters",
                       ListOf(Code::Object));
  }
  {
    auto b = DeclareBuiltin<BindingGenericAsyncEvent>(
        *this, "BindingGenericAsyncEvent", "Represents generic data for an asynchronous event.",
        kAsync);
    ZARN_BUILTIN_FIELD(b, BindingGenericAsyncEvent, asyncToken, "asyncToken",
                       "Asynchronous operation token", Scalar(Code::Uint32));
    ZARN_BUILTIN_FIELD(b, BindingGenericAsyncEvent, data, "data", "Event data",
                       Scalar(Code::Object));
  }
  {
    auto b = DeclareBuiltin<BindingAsyncFailureEvent>(
        *this, "BindingAsyncFailureEvent", "Represents a failed asynchronous operation.", kAsync);
    ZARN_BUILTIN_FIELD(b, BindingAsyncFailureEvent, asyncToken, "asyncToken",
                       "Asynchronous operation token", Scalar(Code::Uint32));
    ZARN_BUILTIN_FIELD(b, BindingAsyncFailureEvent, error, "error", "Error message",
                       Scalar(Code::String));
  }
  {
    auto b = DeclareBuiltin<BindingAsyncCancelEvent>(
        *this, "BindingAsyncCancelEvent", "Represents a cancelled asynchronous operation.", kAsync);
    ZARN_BUILTIN_FIELD(b, BindingAsyncCancelEvent, asyncToken, "asyncToken",
                       "Asynchronous operation token", Scalar(Code::Uint32));
  }
}

void BindingRegistry::RegisterHelpTypes() {
  const std::initializer_list<const char*> kHelp = {"$builtin", "help"};
  DeclareBuiltinEnum<BindingHelpFormat>(
      *this, "BindingHelpFormat", "Help format for binding functions and types.", kHelp,
      {{"Full", 1, "Native help format"}, {"Epytext", 2, "Python epytext format"}});

  auto identifier = DeclareBuiltin<BindingFullTypeIdentifier>(
      *this, "BindingFullTypeIdentifier", "Describes the type of a value.", kHelp);
  ZARN_BUILTIN_FIELD(identifier, BindingFullTypeIdentifier, type, "type", "", Scalar(Code::String));
  ZARN_BUILTIN_FIELD(identifier, BindingFullTypeIdentifier, elementType, "elementType", "",
                     Scalar(Code::String));
  BindingTypeInfo* identifierType = identifier.Type();

  auto argument = DeclareBuiltin<BindingFullArgumentHelp>(*this, "BindingFullArgumentHelp",
                                                          "Describes a function parameter.", kHelp);
  ZARN_BUILTIN_FIELD(argument, BindingFullArgumentHelp, name, "name", "", Scalar(Code::String));
  ZARN_BUILTIN_FIELD(argument, BindingFullArgumentHelp, description, "description", "",
                     Scalar(Code::String));
  ZARN_BUILTIN_FIELD(argument, BindingFullArgumentHelp, type, "type", "", Record(identifierType));
  ZARN_BUILTIN_FIELD(argument, BindingFullArgumentHelp, optional, "optional", "",
                     Scalar(Code::Bool));

  auto function = DeclareBuiltin<BindingFullFunctionHelp>(*this, "BindingFullFunctionHelp",
                                                          "Describes a function.", kHelp);
  ZARN_BUILTIN_FIELD(function, BindingFullFunctionHelp, name, "name", "", Scalar(Code::String));
  ZARN_BUILTIN_FIELD(function, BindingFullFunctionHelp, nameSpace, "nameSpace", "",
                     Scalar(Code::String));
  ZARN_BUILTIN_FIELD(function, BindingFullFunctionHelp, arguments, "arguments", "",
                     ListOf(Code::Struct, argument.Type()));
  ZARN_BUILTIN_FIELD(function, BindingFullFunctionHelp, returns, "returns", "",
                     Record(identifierType));
  ZARN_BUILTIN_FIELD(function, BindingFullFunctionHelp, description, "description", "",
                     Scalar(Code::String));
  ZARN_BUILTIN_FIELD(function, BindingFullFunctionHelp, help, "help", "", Scalar(Code::String));
  ZARN_BUILTIN_FIELD(function, BindingFullFunctionHelp, threadSafe, "threadSafe", "",
                     Scalar(Code::Bool));
  ZARN_BUILTIN_FIELD(function, BindingFullFunctionHelp, async, "async", "", Scalar(Code::String));
  ZARN_BUILTIN_FIELD(function, BindingFullFunctionHelp, tags, "tags", "", ListOf(Code::String));

  auto enumerator = DeclareBuiltin<BindingFullEnumValueHelp>(*this, "BindingFullEnumValueHelp",
                                                             "Describes an enumerator.", kHelp);
  ZARN_BUILTIN_FIELD(enumerator, BindingFullEnumValueHelp, name, "name", "", Scalar(Code::String));
  ZARN_BUILTIN_FIELD(enumerator, BindingFullEnumValueHelp, description, "description", "",
                     Scalar(Code::String));
  ZARN_BUILTIN_FIELD(enumerator, BindingFullEnumValueHelp, value, "value", "", Scalar(Code::Int32));

  auto field = DeclareBuiltin<BindingFullFieldHelp>(*this, "BindingFullFieldHelp",
                                                    "Describes a member of a struct.", kHelp);
  ZARN_BUILTIN_FIELD(field, BindingFullFieldHelp, name, "name", "", Scalar(Code::String));
  ZARN_BUILTIN_FIELD(field, BindingFullFieldHelp, description, "description", "",
                     Scalar(Code::String));
  ZARN_BUILTIN_FIELD(field, BindingFullFieldHelp, offset, "offset", "", Scalar(Code::Uint32));
  ZARN_BUILTIN_FIELD(field, BindingFullFieldHelp, type, "type", "", Record(identifierType));
  ZARN_BUILTIN_FIELD(field, BindingFullFieldHelp, optional, "optional", "", Scalar(Code::Bool));

  auto type = DeclareBuiltin<BindingFullTypeHelp>(*this, "BindingFullTypeHelp",
                                                  "Describes a struct or enum type.", kHelp);
  ZARN_BUILTIN_FIELD(type, BindingFullTypeHelp, name, "name", "", Scalar(Code::String));
  ZARN_BUILTIN_FIELD(type, BindingFullTypeHelp, nameSpace, "nameSpace", "", Scalar(Code::String));
  ZARN_BUILTIN_FIELD(type, BindingFullTypeHelp, size, "size", "", Scalar(Code::Uint32));
  ZARN_BUILTIN_FIELD(type, BindingFullTypeHelp, description, "description", "",
                     Scalar(Code::String));
  ZARN_BUILTIN_FIELD(type, BindingFullTypeHelp, tags, "tags", "", ListOf(Code::String));
  ZARN_BUILTIN_FIELD(type, BindingFullTypeHelp, fields, "fields", "",
                     ListOf(Code::Struct, field.Type()));
  ZARN_BUILTIN_FIELD(type, BindingFullTypeHelp, values, "values", "",
                     ListOf(Code::Struct, enumerator.Type()));

  auto event = DeclareBuiltin<BindingFullEventHelp>(*this, "BindingFullEventHelp",
                                                    "Describes an event.", kHelp);
  ZARN_BUILTIN_FIELD(event, BindingFullEventHelp, name, "name", "", Scalar(Code::String));
  ZARN_BUILTIN_FIELD(event, BindingFullEventHelp, nameSpace, "nameSpace", "", Scalar(Code::String));
  ZARN_BUILTIN_FIELD(event, BindingFullEventHelp, type, "type", "", Record(identifierType));
  ZARN_BUILTIN_FIELD(event, BindingFullEventHelp, description, "description", "",
                     Scalar(Code::String));
  ZARN_BUILTIN_FIELD(event, BindingFullEventHelp, tags, "tags", "", ListOf(Code::String));

  auto api = DeclareBuiltin<BindingFullApiHelp>(*this, "BindingFullApiHelp",
                                                "Describes the exposed native API.", kHelp);
  ZARN_BUILTIN_FIELD(api, BindingFullApiHelp, functions, "functions", "",
                     ListOf(Code::Struct, function.Type()));
  ZARN_BUILTIN_FIELD(api, BindingFullApiHelp, types, "types", "",
                     ListOf(Code::Struct, type.Type()));
  ZARN_BUILTIN_FIELD(api, BindingFullApiHelp, events, "events", "",
                     ListOf(Code::Struct, event.Type()));
}

#undef ZARN_BUILTIN_FIELD

}  // namespace Zarn
