// A bounded history: long runs of the stand-in host keep only the latest of what they record.
#pragma once

#include <cstddef>
#include <vector>

namespace Zarn::Host {

// The window of lobby-host: how many of each kind of record (events, requests, log lines, ...)
// it keeps at least, and half of what it keeps at most.
inline constexpr std::size_t kLobbyHostRecordWindow = 1000;

// Keeps the latest `window` to 2 * `window` entries of `records`, dropping the oldest in one block
// when there are more, so that each entry is moved a bounded number of times. 0 keeps all.
// Returns how many were dropped.
template <typename T>
std::size_t KeepLatest(std::vector<T>& records, std::size_t window) {
  if (window == 0 || records.size() <= 2 * window) return 0;
  const std::size_t dropped = records.size() - window;
  records.erase(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(dropped));
  return dropped;
}

}  // namespace Zarn::Host
