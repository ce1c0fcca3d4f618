#include "sdk/api/ApiRegistry.h"

namespace Zarn {

ApiRegistry::ApiRegistry() { Initialize(); }

ApiRegistry::~ApiRegistry() {
  // The descriptors point into the registry's records: free them before the records go.
  tables_.Release();
  Reset();
}

ApiRegistrySnapshot ApiRegistry::BuildSnapshot() {
  if (!BuildApiDescriptorTables(tables_, GetFunctions(), GetTypes(), GetEvents())) return {};
  ApiRegistrySnapshot snapshot = tables_.Snapshot();
  snapshot.functions = nullptr;
  snapshot.functionCount = 0;
  return snapshot;
}

}  // namespace Zarn
