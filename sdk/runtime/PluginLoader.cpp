#include "sdk/runtime/PluginLoader.h"

#include <string>

#include "sdk/api/FunctionName.h"
#include "sdk/base/Assertion.h"
#include "sdk/base/Format.h"
#include "sdk/runtime/PluginManagerTypes.h"

namespace Zarn::Client {

bool LoadPlugin(Plugin* plugin, PluginLoadResult* record, const char* shortName) {
  const PluginApiVersion& own = kPluginApiVersion;
  PluginApiVersion core;
  core.major = record->major;
  core.minor = record->minor;
  core.patch = record->patch;
  if (!IsPluginApiCompatible(own, core)) {
    const std::string message =
        Format("%1 which supports plugin API %2 is not compatible with core's plugin API %3",
               shortName, FormatVersion(own), FormatVersion(core));
    ReportAssertion("ALE-EECF0606", message.c_str(), nullptr, 0, nullptr);
    return false;
  }

  plugin->coreApiVersion_ = core;
  GetFullNameFromShortNameAndType(&plugin->info_, shortName, kBackendPluginKind);
  plugin->helpCategories_ = {"Plugins", std::string("Plugin ") + shortName};
  plugin->camelCaseName_ = MakeFunctionName("", shortName);
  RegisterPluginManagerTypes(*plugin, plugin->GetRegistry());
  plugin->OnRegisterApi();
  plugin->snapshot_ = plugin->GetRegistry().BuildSnapshot();

  record->major = own.major;
  record->minor = own.minor;
  record->patch = own.patch;
  record->entryPoints = plugin->EntryPoints();
  record->plugin = plugin;
  record->shortName = plugin->info_.shortName.c_str();
  record->snapshot = &plugin->snapshot_;
  return true;
}

}  // namespace Zarn::Client
