// The host's copy of what a plugin's registry snapshot describes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sdk/binding/ApiRecords.h"

namespace Zarn::Host {

struct TypeDescription {
  std::string name;
  uint32_t size = 0;
  std::string description;
  std::vector<std::string> tags;
  std::vector<std::string> fields;       // in registration order
  std::vector<std::string> enumerators;  // when the type has no fields
};

struct EventDescription {
  std::string name;
  std::string payloadType;
  std::string description;
  std::vector<std::string> tags;
};

struct SnapshotDescription {
  std::vector<TypeDescription> types;
  std::vector<EventDescription> events;
  uint32_t routeCount = 0;

  // The type or event of that name, or null.
  [[nodiscard]] const TypeDescription* FindType(const std::string& name) const;
  [[nodiscard]] const EventDescription* FindEvent(const std::string& name) const;
};

// Copies what `snapshot` describes. Each list is followed at most as far as its count and stops
// at a null link; null texts read as empty. A null snapshot gives an empty description.
[[nodiscard]] SnapshotDescription DescribeSnapshot(const ApiRegistrySnapshot* snapshot);

}  // namespace Zarn::Host
