// Records of this layer that cross the host boundary. Their layout is fixed: little-endian,
// fixed-width fields, the sizes and offsets checked below.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

namespace Zarn {

// What the memory-statistics entry writes for the host: 14 32-bit words, the tracking
// allocator's six counters (low word first) followed by two zero words.
struct MemoryStats {
  std::uint64_t peakLiveBytes;
  std::uint64_t liveBlocksAtPeak;
  std::uint64_t bytesAllocated;
  std::uint64_t allocations;
  std::uint64_t bytesFreed;
  std::uint64_t frees;
  std::uint64_t reserved;  // always 0
};

static_assert(sizeof(MemoryStats) == 56);
static_assert(offsetof(MemoryStats, peakLiveBytes) == 0);
static_assert(offsetof(MemoryStats, liveBlocksAtPeak) == 8);
static_assert(offsetof(MemoryStats, bytesAllocated) == 16);
static_assert(offsetof(MemoryStats, allocations) == 24);
static_assert(offsetof(MemoryStats, bytesFreed) == 32);
static_assert(offsetof(MemoryStats, frees) == 40);
static_assert(offsetof(MemoryStats, reserved) == 48);

// The logging module's C tables: the record a log target receives, the 12-entry table that
// every log target embeds and the 26-entry table of the logging state. Both tables are flat
// tables of plain functions, so that a target written outside this module can be attached by
// its interface alone. Their order is fixed.

// Local time fields, each a signed 32-bit value (the day of the week is not kept).
struct LogTime {
  std::int32_t year;
  std::int32_t month;
  std::int32_t day;
  std::int32_t hour;
  std::int32_t minute;
  std::int32_t second;
  std::int32_t milliseconds;
};

// One line as the targets receive it; built on the writer's stack for the time of one write.
struct LogRecord {
  LogTime time;            // when the line was written
  std::int32_t level;      // 0 "  OKAY" .. 3 "ALWAYS"
  std::uint64_t channels;  // channel mask; 0 passes every channel filter
  const char* message;     // formatted message, zero-terminated, at most 4095 characters
};

// The table embedded in every log target. Each entry takes the table's own address first and
// acts on the target that embeds it; that address is the target's identity in the state.
struct LogTargetInterface {
  std::int32_t (*GetVersion)(LogTargetInterface* self);  // 1
  void (*SetLevel)(LogTargetInterface* self, std::int32_t level);
  std::int32_t (*GetLevel)(LogTargetInterface* self);
  // Stores `exclude`, and `include` without the excluded bits.
  void (*SetMasks)(LogTargetInterface* self, std::uint64_t include, std::uint64_t exclude);
  std::uint64_t (*GetIncludeMask)(LogTargetInterface* self);
  std::uint64_t (*GetExcludeMask)(LogTargetInterface* self);
  const char* (*GetName)(LogTargetInterface* self);
  const char* (*GetFormat)(LogTargetInterface* self, const LogRecord* record);
  void (*Attach)(LogTargetInterface* self);  // appends to the state's list unless attached
  void (*Detach)(LogTargetInterface* self);  // removes every occurrence when attached
  bool (*IsAttached)(LogTargetInterface* self);
  bool (*Write)(LogTargetInterface* self, const LogRecord* record);
};

// The logging state's table, returned by LogApi::GetTable. Masks passed by value as two 32-bit
// halves take the low half first. Buffers written by the formatting entries are always
// terminated and cut to their size. Entries that act on the state (SetLevel .. AddTarget,
// FindTarget .. GetDebuggerTarget) do nothing, or give null or the initial value, when there is
// no state yet.
struct LogApi {
  std::int32_t (*GetVersion)();  // 1
  void (*Init)();                // counts a user; the first creates the state
  std::int32_t (*Shutdown)();    // uncounts a user; the last tears the state down
  void (*SetLevel)(std::int32_t level);
  std::int32_t (*GetLevel)();
  void (*SetExcludeMask)(std::uint32_t maskLow, std::uint32_t maskHigh);
  std::uint64_t (*GetExcludeMask)();
  void (*Disable)();
  void (*Enable)();
  void (*SetReserved)();
  void (*ClearReserved)();
  void (*AddTarget)(LogTargetInterface* target);     // no duplicate check
  void (*RemoveTarget)(LogTargetInterface* target);  // every occurrence
  LogTargetInterface* (*FindTarget)(const char* name);
  LogTargetInterface* (*GetStdOutTarget)();
  LogTargetInterface* (*GetStdErrTarget)();
  LogTargetInterface* (*GetDebuggerTarget)();
  void (*RegisterChannel)(std::uint64_t* mask, const char* name);
  void (*MaskToNames)(char* buffer, std::uint32_t size, std::uint64_t mask);
  void (*FormatLine)(char* buffer, std::uint32_t size, const char* format, const LogRecord* record);
  const char* (*GetLevelName)(std::int32_t level);
  const char* (*GetModuleName)();
  void (*GetLocalTime)(LogTime* time);
  void (*FormatIsoTime)(char* buffer, std::uint32_t size, const LogTime* time);
  void (*FormatFileTime)(char* buffer, std::uint32_t size, const LogTime* time);
  void (*Write)(std::int32_t level, std::uint32_t maskLow, std::uint32_t maskHigh,
                const char* format, va_list arguments);

  // The process's table; never null.
  [[nodiscard]] static const LogApi* GetTable() noexcept;

  // Writes one line (what the Write entry does, with the mask whole): creates the state when
  // missing (dropping the line when it cannot), filters by the state's disabled flag,
  // threshold and exclusion mask, formats the message (cut to 4095 characters, with the control
  // characters, line ends and stray bytes of "%s" texts escaped: FormatLogMessage), stamps it with
  // the local time and hands it to every attached target that lets it through. A null `format`
  // writes nothing. Never throws; allocates nothing once the state exists.
  static void WriteMessage(std::int32_t level, std::uint64_t channels, const char* format,
                           va_list arguments) noexcept;
  // WriteMessage with `text` as the message as it is, line breaks included: for the SDK's own
  // multi-line reports. A null `text` writes nothing.
  static void WriteReport(std::int32_t level, std::uint64_t channels, const char* text) noexcept;
};

static_assert(sizeof(LogTargetInterface) == 12 * sizeof(void (*)()));
static_assert(sizeof(LogApi) == 26 * sizeof(void (*)()));
static_assert(sizeof(LogTime) == 28);
static_assert(offsetof(LogRecord, level) == 28);
static_assert(offsetof(LogRecord, channels) == 32);
static_assert(offsetof(LogRecord, message) == 40);
static_assert(offsetof(LogApi, Write) == 25 * sizeof(void (*)()));
static_assert(offsetof(LogTargetInterface, Write) == 11 * sizeof(void (*)()));

}  // namespace Zarn
