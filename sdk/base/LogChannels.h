// Log levels and the process-wide table of log channels. A channel is one bit of a 64-bit mask,
// named by three characters; a mask of 0 names no channel and passes every channel filter.
#pragma once

#include <cstdint>

namespace Zarn {

inline constexpr std::int32_t kLogLevelOkay = 0;
inline constexpr std::int32_t kLogLevelWarn = 1;
inline constexpr std::int32_t kLogLevelError = 2;
inline constexpr std::int32_t kLogLevelAlways = 3;

// The channels the table starts with (bits 0 to 7).
inline constexpr std::uint64_t kLogChannelDbg = 1ull << 0;
inline constexpr std::uint64_t kLogChannelGen = 1ull << 1;
inline constexpr std::uint64_t kLogChannelXtr = 1ull << 2;
inline constexpr std::uint64_t kLogChannelPrf = 1ull << 3;
inline constexpr std::uint64_t kLogChannelMem = 1ull << 4;
inline constexpr std::uint64_t kLogChannelDsk = 1ull << 5;
inline constexpr std::uint64_t kLogChannelNet = 1ull << 6;
inline constexpr std::uint64_t kLogChannelTst = 1ull << 7;

// The six-character, right-aligned name of `level` ("  OKAY" .. "ALWAYS"); a level outside 0..3
// is named "  ????".
[[nodiscard]] const char* GetLevelName(std::int32_t level) noexcept;

// Writes into `*mask` (not null) the channel known by the first three characters of `name`,
// taking the next free bit for a name not seen yet. Safe to call from static initializers and
// from several threads. When all 64 bits are taken, or `name` is null, a new name gets 0 and
// the table is not changed.
void RegisterChannel(std::uint64_t* mask, const char* name) noexcept;

// Writes the names of the bits set in `mask`, from bit 0 upwards, separated by ";" ("DBG;XTR");
// a mask of 0 gives the empty text. Cut to `size` bytes and always terminated.
void MaskToNames(char* buffer, std::uint32_t size, std::uint64_t mask) noexcept;

}  // namespace Zarn
