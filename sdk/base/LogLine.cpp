#include "sdk/base/LogLine.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "sdk/base/LogChannels.h"
#include "sdk/base/LogState.h"
#include "sdk/base/PerfCounter.h"
#include "sdk/base/Utf8.h"
#include "sdk/platform/ThreadId.h"

namespace Zarn {

namespace {

// Writes `text` into the `room` bytes at `out`, cut and terminated; returns the characters
// written.
std::uint32_t PutText(char* out, std::uint32_t room, const char* text) {
  std::uint32_t length = 0;
  while (length + 1 < room && text[length] != '\0') {
    out[length] = text[length];
    ++length;
  }
  out[length] = '\0';
  return length;
}

// The characters that snprintf wrote into `room` bytes, given what it returned.
std::uint32_t Written(int result, std::uint32_t room) {
  if (result <= 0) {
    return 0;
  }
  const auto wanted = static_cast<std::uint32_t>(result);
  return wanted < room ? wanted : room - 1;
}

// Expands the code `code` of a line format into the `room` bytes at `out` (room >= 1).
std::uint32_t Expand(char code, char* out, std::uint32_t room, const LogRecord& record) {
  switch (code) {
    case 'D':
      FormatIsoTime(out, room, &record.time);
      return static_cast<std::uint32_t>(std::strlen(out));
    case 'E':
      return PutText(out, room, LogModuleName());
    case 'G':
      MaskToNames(out, room, record.channels);
      return static_cast<std::uint32_t>(std::strlen(out));
    case 'H': {
      // Single precision, as the clock has always been rendered in log lines.
      const float seconds = static_cast<float>(PerfCounter::Now());
      const int whole = static_cast<int>(seconds);
      // Reduced before the conversion to int: after about 25 days the milliseconds since the
      // first reading no longer fit an int.
      const int milliseconds = static_cast<int>(std::fmod(std::trunc(seconds * 1000.0f), 1000.0f));
      return Written(std::snprintf(out, room, "%06d.%03d", whole, milliseconds), room);
    }
    case 'L':
      return PutText(out, room, GetLevelName(record.level));
    case 'M':
      return PutText(out, room, record.message != nullptr ? record.message : "");
    case 'T': {
      const auto thread = static_cast<std::uintptr_t>(Platform::GetCurrentThreadId());
      return Written(std::snprintf(out, room, "%p", reinterpret_cast<void*>(thread)), room);
    }
    default: {
      const char literal[2] = {code, '\0'};
      return PutText(out, room, literal);
    }
  }
}

}  // namespace

void FormatLine(char* buffer, std::uint32_t size, const char* format,
                const LogRecord* record) noexcept {
  if (buffer == nullptr || size == 0) {
    return;
  }
  if (size < 2) {
    buffer[0] = '\0';
    return;
  }
  // The text area leaves two bytes for the closing line feed and the terminator.
  const std::uint32_t area = size - 2;
  std::uint32_t used = 0;
  if (format != nullptr && record != nullptr) {
    for (const char* cursor = format; *cursor != '\0' && area - used > 1; ++cursor) {
      if (*cursor != '#') {
        buffer[used++] = *cursor;
        continue;
      }
      if (cursor[1] == '\0') {
        break;
      }
      ++cursor;
      used += Expand(*cursor, buffer + used, area - used, *record);
    }
  }
  const bool filled = area > 1 && used >= area - 1;
  if (filled) {
    used = Utf8CharacterBoundary(buffer, used >= 2 ? used - 2 : 0);
  } else if (used > 0 && buffer[used - 1] == '\n') {
    buffer[used] = '\0';
    return;
  }
  buffer[used++] = '\n';
  buffer[used] = '\0';
}

void FormatIsoTime(char* buffer, std::uint32_t size, const LogTime* time) noexcept {
  if (buffer == nullptr || size == 0 || time == nullptr) {
    if (buffer != nullptr && size != 0) buffer[0] = '\0';
    return;
  }
  std::snprintf(buffer, size, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", time->year, time->month,
                time->day, time->hour, time->minute, time->second, time->milliseconds);
}

void FormatFileTime(char* buffer, std::uint32_t size, const LogTime* time) noexcept {
  if (buffer == nullptr || size == 0 || time == nullptr) {
    if (buffer != nullptr && size != 0) buffer[0] = '\0';
    return;
  }
  std::snprintf(buffer, size, "%04d-%02d-%02dT%02d-%02d-%02d", time->year, time->month, time->day,
                time->hour, time->minute, time->second);
}

}  // namespace Zarn
