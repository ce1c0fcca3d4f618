// How a lobby record or enum is registered: the record's fields are listed once, as key and
// member, and the list must name every member of the record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>

#include "lobby/model/LobbyTypeContext.h"
#include "sdk/binding/BindingBuilders.h"
#include "sdk/binding/PluginTypeDeclaration.h"
#include "sdk/binding/TypeRegistry.h"

namespace Zarn::Client::Lobby {

namespace RecordRegistrationDetail {

// Converts to any member type; only ever named in unevaluated checks.
struct AnyMember {
  template <typename T>
  operator T() const;
};

// The number of members of the aggregate T: the most initializers that T{...} accepts.
template <typename T, typename... Given>
constexpr std::size_t MemberCount() {
  if constexpr (requires { T{Given{}..., AnyMember{}}; }) {
    return MemberCount<T, Given..., AnyMember>();
  } else {
    return sizeof...(Given);
  }
}

template <typename Record, typename Member>
std::uint32_t OffsetIn(const Record& record, Member Record::*member) {
  return static_cast<std::uint32_t>(reinterpret_cast<const char*>(std::addressof(record.*member)) -
                                    reinterpret_cast<const char*>(std::addressof(record)));
}

}  // namespace RecordRegistrationDetail

// One field of a record: its wire key and the member that holds it.
template <typename Record, typename Member>
struct FieldSpec {
  const char* key;
  Member Record::*member;
};

template <typename Record, typename Member>
constexpr FieldSpec<Record, Member> Field(const char* key, Member Record::*member) noexcept {
  return {key, member};
}

// One enumerator: its wire name and its value.
template <typename Enum>
struct EnumSpec {
  const char* name;
  Enum value;
};

// Registers T as a type of the plugin under the context's prefix and tags, and records it in
// the context. Gives the builder, marked existing when the name was registered before.
template <typename T>
BindingTypeBuilder DeclareType(LobbyTypeContext& context, const char* typeName) {
  BindingTypeBuilder builder =
      DeclarePluginType<T>(*context.registry, context.prefix, context.tags, typeName);
  if (context.registered != nullptr) context.registered->push_back(builder.Type());
  return builder;
}

// Registers the record with its fields, in the order given, which is the order of the members.
// Each field is registered with an empty description and no flags: every field is written, and
// none is required on reading. `kOffWire` members, declared after the fields, are not on the
// wire.
template <typename Record, std::size_t kOffWire = 0, typename... Members>
void RegisterRecord(LobbyTypeContext& context, const char* typeName,
                    FieldSpec<Record, Members>... fields) {
  static_assert(sizeof...(Members) + kOffWire == RecordRegistrationDetail::MemberCount<Record>(),
                "every member of a record is registered as a field");
  TypeRegistry type(DeclareType<Record>(context, typeName));
  const Record probe{};
  (type.AddMember<Members>(fields.key, RecordRegistrationDetail::OffsetIn(probe, fields.member),
                           ""),
   ...);
}

// Registers the enum with its values in the order given. A name registered before keeps its
// first values.
template <typename Enum>
void RegisterEnum(LobbyTypeContext& context, const char* typeName,
                  std::initializer_list<EnumSpec<Enum>> values) {
  BindingTypeBuilder type = DeclareType<Enum>(context, typeName);
  if (type.Exists()) return;
  for (const EnumSpec<Enum>& value : values) {
    type.AddEnumValue(value.name, static_cast<std::int32_t>(value.value), "");
  }
}

}  // namespace Zarn::Client::Lobby
