// A plugin's names.
#pragma once

#include <string>

namespace Zarn::Client {

// What kind of plugin it is. Rendered in messages as "type:qualifier".
struct PluginKind {
  std::string type;       // "backend" or "frontend"
  std::string qualifier;  // empty for every kind of this system
};

// The kind of a back-end plugin: type "backend", no qualifier.
extern const PluginKind kBackendPluginKind;

struct PluginInfo {
  std::string fullName;   // the kind's prefix and the short name: "bfz-be-jyx-lobby"
  std::string shortName;  // "jyx-lobby"
  PluginKind kind;
};

// "type:qualifier".
[[nodiscard]] std::string FormatKind(const PluginKind& kind);

// Fills `*info` from the short name and the kind. The full name's prefix is "bfz-be-" for a
// back end, "bfz-fe-" for a front end and "bfz-xx-" for any other type, which is also logged as
// an error.
void GetFullNameFromShortNameAndType(PluginInfo* info, const std::string& shortName,
                                     const PluginKind& kind);

}  // namespace Zarn::Client
