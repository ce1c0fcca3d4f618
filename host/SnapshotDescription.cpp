#include "host/SnapshotDescription.h"

#include <iterator>

#include "host/RouteCaller.h"
#include "sdk/binding/BindingTypeCode.h"

namespace Zarn::Host {

namespace {

std::string Text(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

std::vector<std::string> Texts(const char* const* texts, uint32_t count) {
  std::vector<std::string> copies;
  for (uint32_t i = 0; texts != nullptr && i < count; ++i) copies.push_back(Text(texts[i]));
  return copies;
}

// The name of a plain value's type code, "type N" for a code the SDK does not name.
std::string TypeCodeName(uint32_t code) {
  const char* name = BindingTypeName(static_cast<BindingTypeCode>(code));
  return *name != '\0' || code == 0 ? name : "type " + std::to_string(code);
}

std::string TypeText(uint32_t code, uint32_t elementCode, const std::string& typeName) {
  switch (static_cast<BindingTypeCode>(code)) {
    case BindingTypeCode::Vector:
    case BindingTypeCode::Map:
      return TypeCodeName(code) + "<" + (typeName.empty() ? TypeCodeName(elementCode) : typeName) +
             ">";
    case BindingTypeCode::Enum:
    case BindingTypeCode::Struct:
      if (!typeName.empty()) return typeName;
      break;
    default:
      break;
  }
  return TypeCodeName(code);
}

std::string SourceName(uint32_t source) {
  static const char* const kSources[] = {"any", "query", "path", "host", "header", "body"};
  return source < std::size(kSources) ? kSources[source] : "any";
}

// The routes of a snapshot, followed as RoutesOf follows them. The descriptors are packed:
// every field is copied before it is used.
std::vector<RouteDescription> DescribeRoutes(const ApiRegistrySnapshot& snapshot) {
  std::vector<RouteDescription> routes;
  const auto* route = reinterpret_cast<const ApiRouteDescriptor*>(snapshot.functions);
  for (uint32_t i = 0; route != nullptr && i < snapshot.functionCount; ++i) {
    RouteDescription copy;
    const uint32_t method = route->method;
    copy.method = HostMethodName(method);
    if (copy.method.empty()) copy.method = Text(route->methodName);
    copy.path = Text(route->routeTemplate);
    copy.function = Text(route->function.name);
    const ApiArgumentDescriptor* argument = route->function.arguments;
    const ApiArgumentSourceNode* source = route->argumentSources;
    const uint32_t count = route->function.argumentCount;
    for (uint32_t a = 0; argument != nullptr && a < count; ++a, argument = argument->next) {
      const uint32_t code = argument->typeCode;
      const uint32_t elementCode = argument->elementTypeCode;
      copy.arguments.push_back({Text(argument->name), SourceName(source ? source->source : 0),
                                TypeText(code, elementCode, Text(argument->typeName))});
      if (source != nullptr) source = source->next;
    }
    routes.push_back(std::move(copy));
    route = reinterpret_cast<const ApiRouteDescriptor*>(route->function.next);
  }
  return routes;
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
  description.routes = DescribeRoutes(*snapshot);

  const ApiTypeDescriptor* type = snapshot->types;
  for (uint32_t i = 0; type != nullptr && i < snapshot->typeCount; ++i, type = type->next) {
    TypeDescription copy;
    copy.name = Text(type->name);
    copy.size = type->size;
    copy.description = Text(type->description);
    copy.tags = Texts(type->tags, type->tagCount);
    const ApiFieldDescriptor* field = type->fields;
    for (uint32_t f = 0; field != nullptr && f < type->count; ++f, field = field->next) {
      const uint32_t code = field->typeCode;
      const uint32_t elementCode = field->elementTypeCode;
      copy.fields.push_back(
          {Text(field->name), TypeText(code, elementCode, Text(field->typeName))});
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
