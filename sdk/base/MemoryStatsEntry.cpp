#include "sdk/base/MemoryStatsEntry.h"

#include "sdk/base/TrackingAllocator.h"

namespace Zarn::PluginEntry {

void GetMemoryStats(void*, MemoryStats* stats) noexcept {
  if (stats == nullptr) return;
  const MemoryCounters& c = TrackingAllocator::Counters();
  stats->peakLiveBytes = c.peakLiveBytes.load();
  stats->liveBlocksAtPeak = c.liveBlocksAtPeak.load();
  stats->bytesAllocated = c.bytesAllocated.load();
  stats->allocations = c.allocations.load();
  stats->bytesFreed = c.bytesFreed.load();
  stats->frees = c.frees.load();
  stats->reserved = 0;
}

}  // namespace Zarn::PluginEntry
