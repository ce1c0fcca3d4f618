#include "sdk/runtime/PluginInfo.h"

#include "sdk/base/Format.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogPrintf.h"

namespace Zarn::Client {

std::string FormatKind(const PluginKind& kind) { return kind.type + ":" + kind.qualifier; }

void GetFullNameFromShortNameAndType(PluginInfo* info, const std::string& shortName,
                                     const PluginKind& kind) {
  const char* prefix = "bfz-xx-";
  if (kind.type == "backend") {
    prefix = "bfz-be-";
  } else if (kind.type == "frontend") {
    prefix = "bfz-fe-";
  } else {
    const std::string message =
        Format("GetFullNameFromShortNameAndType(\"%1\", \"%2\") called with an unknown type",
               shortName, FormatKind(kind));
    LogPrintf(kLogLevelError, 1, 0, "            Plugin Manager| %s", message.c_str());
  }
  info->fullName = prefix + shortName;
  info->shortName = shortName;
  info->kind = kind;
}

}  // namespace Zarn::Client
