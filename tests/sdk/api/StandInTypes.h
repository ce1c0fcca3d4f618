// Records, a list of records, an enum and an optional text of the kinds the lobby's route
// handlers use, registered like the lobby's types.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sdk/binding/BindingRegistry.h"
#include "sdk/binding/TypeRegistry.h"

namespace Zarn::Testing {

enum class Availability : std::int32_t { Available = 0, Disabled = 1 };

struct Member {
  std::string name;
  std::int32_t level = 0;
  bool operator==(const Member&) const = default;
};

struct Party {
  std::string id;
  std::vector<Member> members;
  std::optional<std::string> note;
  Availability availability = Availability::Available;
  std::uint64_t version = 0;
  bool operator==(const Party&) const = default;
};

}  // namespace Zarn::Testing

ZARN_TYPE_ID(Zarn::Testing::Availability, Zarn::Fnv1a32("Zarn::Testing::Availability"));
ZARN_TYPE_ID(Zarn::Testing::Member, Zarn::Fnv1a32("Zarn::Testing::Member"));
ZARN_TYPE_ID(Zarn::Testing::Party, Zarn::Fnv1a32("Zarn::Testing::Party"));

namespace Zarn::Testing {

inline void RegisterStandInTypes(BindingRegistry& registry) {
  BindingTypeBuilder availability =
      registry.RegisterType(sizeof(Availability), "Availability", TypeId<Availability>(), true);
  availability.AddEnumValue("Available", 0, "").AddEnumValue("Disabled", 1, "");
  TypeRegistry(registry.RegisterType(sizeof(Member), "Member", TypeId<Member>(), false))
      .AddMember<std::string>("name", offsetof(Member, name), "")
      .AddMember<std::int32_t>("level", offsetof(Member, level), "");
  TypeRegistry(registry.RegisterType(sizeof(Party), "Party", TypeId<Party>(), false))
      .AddMember<std::string>("id", offsetof(Party, id), "")
      .AddMember<std::vector<Member>>("members", offsetof(Party, members), "")
      .AddMember<std::optional<std::string>>("note", offsetof(Party, note), "")
      .AddMember<Availability>("availability", offsetof(Party, availability), "")
      .AddMember<std::uint64_t>("version", offsetof(Party, version), "");
}

}  // namespace Zarn::Testing
