#include "sdk/base/LogLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "sdk/base/BoundaryRecords.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogMessage.h"
#include "sdk/base/PerfCounter.h"
#include "sdk/platform/ThreadId.h"
#include "tests/sdk/platform/SteadyClockTesting.h"

namespace Zarn {
namespace {

std::string Render(const char* format, const LogRecord& record,
                   std::uint32_t size = kLogLineBufferSize) {
  std::string buffer(size + 8, '\x7f');
  FormatLine(buffer.data(), size, format, &record);
  const std::size_t length = std::strlen(buffer.c_str());
  EXPECT_LT(length, size) << "the line must stay inside its buffer";
  return buffer.substr(0, length);
}

std::string Message(std::uint32_t size, const char* format, ...) {
  std::string buffer(size + 8, '\x7f');
  va_list arguments;
  va_start(arguments, format);
  FormatLogMessage(buffer.data(), size, format, arguments);
  va_end(arguments);
  return buffer.c_str();
}

LogRecord SampleRecord(const char* message) {
  LogRecord record{};
  record.time = {2026, 12, 7, 8, 57, 5, 123};
  record.level = 2;
  record.channels = kLogChannelDbg | kLogChannelXtr;
  record.message = message;
  return record;
}

TEST(FormatLineTest, ExpandsEveryCode) {
  char thread[32];
  std::snprintf(
      thread, sizeof(thread), "%p",
      reinterpret_cast<void*>(static_cast<std::uintptr_t>(Platform::GetCurrentThreadId())));
  const LogRecord record = SampleRecord("hello");
  struct Case {
    const char* format;
    std::string expected;
  };
  const Case cases[] = {
      {"#D", "2026-12-07T08:57:05.123\n"},
      {"#G", "DBG;XTR\n"},
      {"#L", " ERROR\n"},
      {"#M", "hello\n"},
      {"#T", std::string(thread) + "\n"},
      {"#D| #L| #G| #M", "2026-12-07T08:57:05.123|  ERROR| DBG;XTR| hello\n"},
      {"##", "#\n"},
      {"a##b", "a#b\n"},
      {"#Z#-", "Z-\n"},
      {"ends in #", "ends in \n"},
      {"#", "\n"},
      {"", "\n"},
      {"plain text", "plain text\n"},
      {"#M\n", "hello\n"},
      {"two\n\n", "two\n\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(Render(c.format, record), c.expected);
  }
  EXPECT_EQ(Render(nullptr, record), "\n");
  EXPECT_EQ(Render("#E", record), "<unknown>\n");  // no logging state in this test
}

TEST(FormatLineTest, MessageEndingInLineFeedGetsNoSecondOne) {
  const LogRecord record = SampleRecord("done\n");
  EXPECT_EQ(Render("#L| #M", record), " ERROR| done\n");
  const LogRecord empty = SampleRecord("");
  EXPECT_EQ(Render("#M", empty), "\n");
}

TEST(FormatLineTest, ProcessClockHasSecondsAndMilliseconds) {
  const LogRecord record = SampleRecord("");
  EXPECT_THAT(Render("[#H]", record), testing::MatchesRegex("\\[[0-9]{6}\\.[0-9]{3}\\]\n"));
}

// The process clock as it reads 40 days after its first reading.
std::int64_t FortyDaysOn(void*) {
  constexpr std::int64_t kFortyDays = std::int64_t{40} * 24 * 3600 * 1'000'000'000;
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
             .count() +
         kFortyDays;
}

TEST(FormatLineTest, ProcessClockStaysWellFormedAfterWeeks) {
  static_cast<void>(PerfCounter::Now());  // the first reading
  const Platform::ScopedSteadyClockSource later(&FortyDaysOn, nullptr);
  const LogRecord record = SampleRecord("");
  EXPECT_THAT(Render("[#H]", record), testing::MatchesRegex("\\[345[0-9]{4}\\.[0-9]{3}\\]\n"));
}

TEST(FormatLineTest, FullLinesGiveUpTwoCharactersForTheLineFeed) {
  const std::string message(5000, 'm');
  const LogRecord record = SampleRecord(message.c_str());
  EXPECT_EQ(Render("#M", record), std::string(4091, 'm') + "\n");
  // Literal text fills the buffer the same way.
  const std::string literal(5000, 'l');
  EXPECT_EQ(Render(literal.c_str(), record), std::string(4091, 'l') + "\n");
  // Nor inside a character.
  std::string accents;
  for (int i = 0; i < 2500; ++i) accents += "\xC3\xA9";
  const LogRecord accented = SampleRecord(accents.c_str());
  EXPECT_EQ(Render("#M", accented), accents.substr(0, 4090) + "\n");
  // A line one character short of full keeps everything.
  const std::string fits(4092, 'f');
  const LogRecord fitting = SampleRecord(fits.c_str());
  EXPECT_EQ(Render("#M", fitting), fits + "\n");

  struct Small {
    std::uint32_t size;
    std::string expected;
  };
  const Small smalls[] = {{2, "\n"}, {3, "\n"}, {4, "\n"}, {5, "\n"}, {6, "m\n"}, {8, "mmm\n"}};
  for (const Small& small : smalls) {
    SCOPED_TRACE(small.size);
    EXPECT_EQ(Render("#M", record, small.size), small.expected);
  }
  char one = 'q';
  FormatLine(&one, 1, "#M", &record);
  EXPECT_EQ(one, '\0');
}

TEST(MaskToNamesTest, JoinsTheNamesOfTheSetBits) {
  struct Case {
    std::uint64_t mask;
    std::uint32_t size;
    const char* expected;
  };
  const Case cases[] = {
      {0, 64, ""},
      {kLogChannelDbg, 64, "DBG"},
      {kLogChannelDbg | kLogChannelXtr, 64, "DBG;XTR"},
      {0xFF, 64, "DBG;GEN;XTR;PRF;MEM;DSK;NET;TST"},
      {1ull << 63, 64, "???"},
      {kLogChannelTst | 1ull << 62, 64, "TST;???"},
      {kLogChannelDbg | kLogChannelGen, 6, "DBG;G"},
      {kLogChannelDbg | kLogChannelGen, 4, "DBG"},
      {kLogChannelDbg, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mask << " in " << c.size);
    char buffer[80];
    std::memset(buffer, 'z', sizeof(buffer));
    MaskToNames(buffer, c.size, c.mask);
    EXPECT_STREQ(buffer, c.expected);
  }
}

TEST(LogTimeTest, IsoAndFileForms) {
  const LogTime time{2026, 1, 2, 3, 4, 5, 6};
  char buffer[64];
  FormatIsoTime(buffer, sizeof(buffer), &time);
  EXPECT_STREQ(buffer, "2026-01-02T03:04:05.006");
  FormatFileTime(buffer, sizeof(buffer), &time);
  EXPECT_STREQ(buffer, "2026-01-02T03-04-05");
  FormatIsoTime(buffer, 5, &time);
  EXPECT_STREQ(buffer, "2026");
  FormatFileTime(buffer, 1, &time);
  EXPECT_STREQ(buffer, "");
}

TEST(LogLevelTest, NamesAreSixCharactersRightAligned) {
  const char* const expected[] = {"  OKAY", "  WARN", " ERROR", "ALWAYS"};
  for (std::int32_t level = 0; level < 4; ++level) {
    SCOPED_TRACE(level);
    EXPECT_STREQ(GetLevelName(level), expected[level]);
    EXPECT_STREQ(LogApi::GetTable()->GetLevelName(level), expected[level]);
  }
  for (std::int32_t level : {-1, 4, 1000}) {
    SCOPED_TRACE(level);
    EXPECT_EQ(std::strlen(GetLevelName(level)), 6u);
  }
}

}  // namespace
}  // namespace Zarn

namespace Zarn {
namespace {

// A caller's text cannot start a line: "%s" texts are escaped, all else is printf's.
TEST(FormatLogMessageTest, EscapesTheControlCharactersLineEndsAndStrayBytesOfTextsOnly) {
  const char* const null = nullptr;
  const std::pair<std::string, std::string> rows[] = {
      {Message(64, "type=%s", "open\n[plugin error] Forged"), "type=open\\n[plugin error] Forged"},
      {Message(64, "%s|%s", "\r\t\x01", "\x1f\x7f\x80"), "\\r\\t\\x01|\\x1F\\x7F\\x80"},
      {Message(64, "[%-5s|%.3s|%4.2s|%*s]", "a\n", "ab\ncd", "xyz", 4, "\n"),
       "[a\\n  |ab\\n|  xy|  \\n]"},
      {Message(64, "%s %.*s", null, 1, "\x02\x03"), "(null) \\x02"},
      {Message(64, "line\n%s \\n", "c:\\d \\u0041"), "line\nc:\\d \\u0041 \\n"},
      {Message(64, "%d %u %llu %lld %x %c %5.1f %% %zu %p", -1, 2u, 3ull, -4ll, 255u, 'k', 2.25,
               std::size_t{6}, static_cast<void*>(nullptr)),
       "-1 2 3 -4 ff k   2.2 % 6 (nil)"},
      {Message(64, "a%1$s b", "x"), "a"},
      {Message(8, "%s", "abcdefghij"), "abcdefg"},
      {Message(8, "%d%s", 12, "\n\n\n"), "12\\n\\n\\"},
      // The C1 controls and Unicode line ends; bytes that are no part of valid UTF-8 (overlong,
      // surrogate, beyond U+10FFFF, cut short); other characters as they are.
      {Message(64, "%s", "a\xC2\x85|\xC2\x84\xC2"), "a\\u0085|\\u0084\\xC2"},
      {Message(64, "%s|%s|%s", "\xC2\x80", "\xC2\x9B[2J",
               "\xC2\x9D"
               "0;x\xC2\x9F"),
       "\\u0080|\\u009b[2J|\\u009d0;x\\u009f"},
      {Message(64, "%s|%s|%s|%s", "\x85", "\x80", "\xFF", "\xC0\x8A"),
       "\\x85|\\x80|\\xFF|\\xC0\\x8A"},
      {Message(64, "%s|%s|%s", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82x"),
       "\\xED\\xA0\\x80|\\xF4\\x90\\x80\\x80|\\xE2\\x82x"},
      {Message(64, "%s", "\xC3\xA9 \xC3\x85 \xE2\x82\xAC \xF4\x8F\xBF\xBF \xC2\xA0"),
       "\xC3\xA9 \xC3\x85 \xE2\x82\xAC \xF4\x8F\xBF\xBF \xC2\xA0"},
      {Message(64, "%s", "open\xE2\x80\xA8[plugin error] Forged"),
       "open\\u2028[plugin error] Forged"},
      {Message(64, "[%8s|%.2s|%s]", "\xE2\x80\xA9", "\xE2\x80\xA9", "\xC3\xA9\xE2\x80\xA7\xE2\x80"),
       "[  \\u2029|\\xE2\\x80|\xC3\xA9\xE2\x80\xA7\\xE2\\x80]"},
      {Message(8, "ab%s", "\xE2\x80\xA8"), "ab\\u202"},
      // A message cut to size ends where a character ends.
      {Message(7, "abc%s", "de\xC3\xA9"), "abcde"},
      {Message(7, "ab%s",
               "cd\xE2\x82\xAC"
               "f"),
       "abcd"},
      {Message(5, "%5s", "\xC3\xA9\xC3\xA9"), " \xC3\xA9"},
  };
  for (const auto& [got, expected] : rows) EXPECT_EQ(got, expected);
}

}  // namespace
}  // namespace Zarn
