// The plugin's memory-statistics C entry, one of the three entries the loader gives the host.
#pragma once

#include "sdk/base/BoundaryRecords.h"

namespace Zarn::PluginEntry {

// Fills `*stats` from the process's tracking-allocator counters, each read atomically, and
// zeroes its last word. `plugin` is not read. A null `stats` is ignored.
void GetMemoryStats(void* plugin, MemoryStats* stats) noexcept;

}  // namespace Zarn::PluginEntry
