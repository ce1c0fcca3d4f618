// The plugin's registry of callable functions: a binding registry that also describes itself to
// the host.
#pragma once

#include "sdk/binding/ApiDescriptorTables.h"
#include "sdk/binding/ApiRecords.h"
#include "sdk/binding/BindingRegistry.h"

namespace Zarn {

class ApiRegistry : public BindingRegistry {
 public:
  // Already holds the built-in types and the "OnCallback" event.
  ApiRegistry();
  ~ApiRegistry() override;

  // Describes the registry to the host: the type and event descriptors, with the function pair
  // replaced by one route descriptor per function the plugin serves (none are served yet, so
  // the route list is empty). The arrays belong to this registry and stay valid until the next
  // build or its destruction, provided the registry does not change. All zero when memory ran
  // out.
  [[nodiscard]] ApiRegistrySnapshot BuildSnapshot();

 private:
  ApiDescriptorTables tables_;
};

}  // namespace Zarn
