// The host's copy of what a plugin's registry snapshot describes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sdk/binding/ApiRecords.h"

namespace Zarn::Host {

// One field of a record type: its name and what it holds, named as an argument's type is.
struct FieldDescription {
  std::string name;
  std::string type;
};

struct TypeDescription {
  std::string name;
  uint32_t size = 0;
  std::string description;
  std::vector<std::string> tags;
  std::vector<FieldDescription> fields;  // in registration order
  std::vector<std::string> enumerators;  // when the type has no fields
};

struct EventDescription {
  std::string name;
  std::string payloadType;
  std::string description;
  std::vector<std::string> tags;
};

// One argument of a route: where the call binds it from and what it holds.
struct ArgumentDescription {
  std::string name;
  // "query", "path", "host", "header" or "body"; "any" for an argument the route gave no
  // source, which binds from whatever part of a call names it.
  std::string source;
  // "string", "uint64", ... for a plain value; a registered type's name; "vector<element>" or
  // "map<value>" for a list or a map.
  std::string type;
};

struct RouteDescription {
  std::string method;  // "GET", "POST", ...; the route's own text for a custom method
  std::string path;    // the route's template, "/jyx-lobby/v1/lobby/invitations/{id}" say
  std::string function;
  std::vector<ArgumentDescription> arguments;  // in the function's order
};

struct SnapshotDescription {
  std::vector<TypeDescription> types;
  std::vector<EventDescription> events;
  uint32_t routeCount = 0;
  std::vector<RouteDescription> routes;  // in the snapshot's order

  // The type or event of that name, or null.
  [[nodiscard]] const TypeDescription* FindType(const std::string& name) const;
  [[nodiscard]] const EventDescription* FindEvent(const std::string& name) const;
};

// Copies what `snapshot` describes. Each list is followed at most as far as its count and stops
// at a null link; null texts read as empty. A null snapshot gives an empty description.
[[nodiscard]] SnapshotDescription DescribeSnapshot(const ApiRegistrySnapshot* snapshot);

}  // namespace Zarn::Host
