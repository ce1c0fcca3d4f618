#include "host/SnapshotDescription.h"

namespace Zarn::Host {

namespace {

std::string Text(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

std::vector<std::string> Texts(const char* const* texts, uint32_t count) {
  std::vector<std::string> copies;
  for (uint32_t i = 0; texts != nullptr && i < count; ++i) copies.push_back(Text(texts[i]));
  return copies;
}

}  // namespace

const TypeDescription* SnapshotDescription::FindType(const std::string& name) const {
  for (const TypeDescription& type : types) {
    if (type.name == name) return &type;
  }
  return nullptr;
}

const EventDescription* SnapshotDescription::FindEvent(const std::string& name) const {
  for (const EventDescription& event : events) {
    if (event.name == name) return &event;
  }
  return nullptr;
}

SnapshotDescription DescribeSnapshot(const ApiRegistrySnapshot* snapshot) {
  SnapshotDescription description;
  if (snapshot == nullptr) return description;
  description.routeCount = snapshot->functionCount;

  const ApiTypeDescriptor* type = snapshot->types;
  for (uint32_t i = 0; type != nullptr && i < snapshot->typeCount; ++i, type = type->next) {
    TypeDescription copy;
    copy.name = Text(type->name);
    copy.size = type->size;
    copy.description = Text(type->description);
    copy.tags = Texts(type->tags, type->tagCount);
    const ApiFieldDescriptor* field = type->fields;
    for (uint32_t f = 0; field != nullptr && f < type->count; ++f, field = field->next) {
      copy.fields.push_back(Text(field->name));
    }
    const ApiEnumeratorDescriptor* value = type->enumerators;
    for (uint32_t e = 0; value != nullptr && e < type->count; ++e, value = value->next) {
      copy.enumerators.push_back(Text(value->name));
    }
    description.types.push_back(std::move(copy));
  }

  const ApiEventDescriptor* event = snapshot->events;
  for (uint32_t i = 0; event != nullptr && i < snapshot->eventCount; ++i, event = event->next) {
    description.events.push_back({Text(event->name), Text(event->payloadTypeName),
                                  Text(event->description), Texts(event->tags, event->tagCount)});
  }
  return description;
}

}  // namespace Zarn::Host
