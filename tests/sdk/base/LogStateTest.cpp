#include "sdk/base/LogState.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "sdk/base/BoundaryRecords.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogLine.h"
#include "sdk/base/LogPrintf.h"
#include "sdk/base/MemoryHooks.h"
#include "sdk/base/TrackingAllocator.h"
#include "sdk/platform/ThreadId.h"
#include "tests/sdk/base/LogTesting.h"

namespace Zarn {
namespace {

using Testing::DebugOutputCapture;
using Testing::RecordedLine;
using Testing::RecordingLogTarget;

std::vector<std::string> Messages(const RecordingLogTarget& target) {
  std::vector<std::string> messages;
  for (const RecordedLine& line : target.Lines()) messages.push_back(line.message);
  return messages;
}

// Each test starts from a freshly created state and tears it down at the end. The standard
// error target is detached so the tests write nothing to the console.
class LogStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api->Init();
    LogTargetInterface* stdErr = api->GetStdErrTarget();
    stdErr->Detach(stdErr);
  }
  void TearDown() override { api->Shutdown(); }

  static void Write(std::int32_t level, std::uint64_t channels, const char* message) {
    LogPrintf(level, static_cast<std::uint32_t>(channels),
              static_cast<std::uint32_t>(channels >> 32), "%s", message);
  }

  const LogApi* api = LogApi::GetTable();
};

TEST_F(LogStateTest, CreatedStateHasTheDefaultSettingsAndTargets) {
  // Re-attach the standard error target to see the list exactly as creation leaves it.
  api->Shutdown();
  api->Init();
  EXPECT_EQ(api->GetVersion(), 1);
  EXPECT_EQ(api->GetLevel(), 1);
  EXPECT_EQ(api->GetExcludeMask(), 4u);

  struct Expected {
    LogTargetInterface* target;
    const char* name;
    const char* format;
    std::uint64_t include;
    std::uint64_t exclude;
    bool attached;
  };
  const Expected cases[] = {
      {api->GetStdErrTarget(), "StdErrLogTarget", "#E(#T): #L| #M", 1, 2, true},
      {api->GetStdOutTarget(), "StdOutLogTarget", "#M", 2, 1, false},
      {api->GetDebuggerTarget(), "DebuggerConsoleLogTarget", "#E(#T): #L| #M", 1, 0, true},
  };
  const LogRecord record{};
  for (const Expected& expected : cases) {
    SCOPED_TRACE(expected.name);
    LogTargetInterface* target = expected.target;
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(target->GetVersion(target), 1);
    EXPECT_STREQ(target->GetName(target), expected.name);
    EXPECT_STREQ(target->GetFormat(target, &record), expected.format);
    EXPECT_EQ(target->GetLevel(target), 1);
    EXPECT_EQ(target->GetIncludeMask(target), expected.include);
    EXPECT_EQ(target->GetExcludeMask(target), expected.exclude);
    EXPECT_EQ(target->IsAttached(target), expected.attached);
    EXPECT_EQ(api->FindTarget(expected.name), expected.attached ? target : nullptr);
  }
  EXPECT_STRNE(api->GetModuleName(), "<unknown>");
  EXPECT_STREQ(api->GetModuleName(), "test_sdk_base_log");
}

TEST_F(LogStateTest, TableEntriesReachTheirOperations) {
  // The formatting entries are the module's own functions, in their places.
  EXPECT_EQ(api->RegisterChannel, &RegisterChannel);
  EXPECT_EQ(api->MaskToNames, &MaskToNames);
  EXPECT_EQ(api->FormatLine, &FormatLine);
  EXPECT_EQ(api->GetLevelName, &GetLevelName);
  EXPECT_EQ(api->FormatIsoTime, &FormatIsoTime);
  EXPECT_EQ(api->FormatFileTime, &FormatFileTime);

  LogState* state = LogState::Current();
  EXPECT_FALSE(state->IsReserved());
  api->SetReserved();
  EXPECT_TRUE(state->IsReserved());
  api->ClearReserved();
  EXPECT_FALSE(state->IsReserved());

  LogTime time{};
  api->GetLocalTime(&time);
  EXPECT_GE(time.year, 2024);
  EXPECT_GE(time.month, 1);
  EXPECT_LE(time.month, 12);
}

TEST_F(LogStateTest, LinesAreFilteredByTheStateThenByEachTarget) {
  RecordingLogTarget open("Open");  // level 1, no masks
  RecordingLogTarget dbgOnly("DbgOnly");
  RecordingLogTarget noNet("NoNet");
  open.Attach();
  dbgOnly.Configure({1, kLogChannelDbg, 0, "#M"});
  noNet.Configure({2, 0, kLogChannelNet, "#M"});
  DebugOutputCapture debugger;

  struct Case {
    const char* message;
    std::int32_t level;
    std::uint64_t channels;
    bool open, dbgOnly, noNet, debugger;
  };
  const Case cases[] = {
      {"level 0 is below the threshold", 0, 0, false, false, false, false},
      {"mask 0 passes every channel filter", 2, 0, true, true, true, true},
      {"XTR is excluded by the state", 3, kLogChannelXtr, false, false, false, false},
      {"XTR with DBG is still excluded", 3, kLogChannelXtr | kLogChannelDbg, false, false, false,
       false},
      {"GEN misses the DBG include masks", 2, kLogChannelGen, true, false, true, false},
      {"DBG reaches the DBG targets", 1, kLogChannelDbg, true, true, false, true},
      {"NET is excluded by one target", 2, kLogChannelNet, true, false, false, false},
      {"DBG with NET meets an include and an exclude", 2, kLogChannelDbg | kLogChannelNet, true,
       true, false, true},
      {"a high channel passes open targets", 3, 1ull << 63, true, false, true, false},
  };
  for (const Case& c : cases) Write(c.level, c.channels, c.message);

  const std::vector<std::string> openLines = Messages(open);
  const std::vector<std::string> dbgLines = Messages(dbgOnly);
  const std::vector<std::string> netLines = Messages(noNet);
  const std::vector<std::string> debuggerLines = debugger.Texts();
  auto contains = [](const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& line : lines) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(contains(openLines, c.message), c.open);
    EXPECT_EQ(contains(dbgLines, c.message), c.dbgOnly);
    EXPECT_EQ(contains(netLines, c.message), c.noNet);
    EXPECT_EQ(contains(debuggerLines, c.message), c.debugger);
  }

  // The state's own switches.
  api->Disable();
  Write(3, 0, "while disabled");
  api->Enable();
  api->SetLevel(3);
  Write(2, 0, "below a raised threshold");
  api->SetLevel(0);
  api->SetExcludeMask(0, 0x80000000u);
  Write(0, 1ull << 63, "excluded by the high half");
  Write(0, 0, "level 0 after lowering");
  EXPECT_EQ(api->GetExcludeMask(), 1ull << 63);
  const std::vector<std::string> later = Messages(open);
  EXPECT_FALSE(contains(later, "while disabled"));
  EXPECT_FALSE(contains(later, "below a raised threshold"));
  EXPECT_FALSE(contains(later, "excluded by the high half"));
  EXPECT_FALSE(contains(later, "level 0 after lowering"));  // the target's own threshold is 1
  open.Interface()->SetLevel(open.Interface(), 0);
  Write(0, 0, "level 0 after lowering both");
  EXPECT_TRUE(contains(Messages(open), "level 0 after lowering both"));
}

TEST_F(LogStateTest, SetMasksStoresIncludeWithoutTheExcludedBits) {
  RecordingLogTarget target;
  LogTargetInterface* table = target.Interface();
  struct Case {
    std::uint64_t include, exclude, storedInclude;
  };
  const Case cases[] = {
      {3, 1, 2},
      {0, 0, 0},
      {0xFF, 0, 0xFF},
      {0xF0, 0x0F, 0xF0},
      {~0ull, 1ull << 63, ~0ull >> 1},
      {1ull << 40 | 1, 1ull << 40, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.include << " & ~" << c.exclude);
    table->SetMasks(table, c.include, c.exclude);
    EXPECT_EQ(table->GetIncludeMask(table), c.storedInclude);
    EXPECT_EQ(table->GetExcludeMask(table), c.exclude);
    target.Configure({1, c.include, c.exclude, "#M"});
    EXPECT_EQ(table->GetIncludeMask(table), c.storedInclude);
    EXPECT_EQ(table->GetExcludeMask(table), c.exclude);
  }
}

TEST_F(LogStateTest, ConfigureReattachesAtTheEndOfTheList) {
  std::vector<std::string> order;
  // Records the order in which targets are called for one line.
  class OrderTarget : public RecordingLogTarget {
   public:
    OrderTarget(const char* name, std::vector<std::string>* order)
        : RecordingLogTarget(name), order_(order) {}
    bool Write(const LogRecord& record) noexcept override {
      order_->push_back(GetName());
      return RecordingLogTarget::Write(record);
    }

   private:
    std::vector<std::string>* order_;
  };
  OrderTarget first("First", &order);
  OrderTarget second("Second", &order);
  first.Attach();
  second.Attach();
  first.Attach();  // already attached: stays where it is
  Write(2, 0, "one");
  EXPECT_THAT(order, testing::ElementsAre("First", "Second"));

  first.Configure({2, 0, 0, "#L #M"});
  EXPECT_TRUE(first.IsAttached());
  EXPECT_EQ(first.GetLevel(), 2);
  EXPECT_STREQ(first.GetFormat(LogRecord{}), "#L #M");
  order.clear();
  Write(2, 0, "two");
  EXPECT_THAT(order, testing::ElementsAre("Second", "First"));

  // Configuring a detached target attaches it.
  second.Detach();
  EXPECT_FALSE(second.IsAttached());
  second.Configure({1, 0, 0, "#M"});
  order.clear();
  Write(2, 0, "three");
  EXPECT_THAT(order, testing::ElementsAre("First", "Second"));

  // A target's Reset detaches it.
  second.Reset();
  order.clear();
  Write(2, 0, "four");
  EXPECT_THAT(order, testing::ElementsAre("First"));
}

TEST_F(LogStateTest, FindAddAndRemoveTargetsThroughTheTable) {
  RecordingLogTarget plugin("PluginLogTarget");
  EXPECT_EQ(api->FindTarget("PluginLogTarget"), nullptr);
  plugin.Attach();
  EXPECT_EQ(api->FindTarget("PluginLogTarget"), plugin.Interface());
  EXPECT_EQ(api->FindTarget("PluginLogTarge"), nullptr);    // exact match only
  EXPECT_EQ(api->FindTarget("PluginLogTargetX"), nullptr);  // exact match only
  EXPECT_EQ(api->FindTarget(nullptr), nullptr);

  // A second target with the same name is found only after the first one.
  RecordingLogTarget twin("PluginLogTarget");
  twin.Attach();
  EXPECT_EQ(api->FindTarget("PluginLogTarget"), plugin.Interface());
  plugin.Detach();
  EXPECT_EQ(api->FindTarget("PluginLogTarget"), twin.Interface());
  twin.Detach();

  // AddTarget appends without a duplicate check and leaves the attached flag alone.
  RecordingLogTarget added("Added");
  api->AddTarget(added.Interface());
  api->AddTarget(added.Interface());
  EXPECT_FALSE(added.IsAttached());
  Write(2, 0, "twice");
  EXPECT_THAT(Messages(added), testing::ElementsAre("twice", "twice"));

  // RemoveTarget removes every occurrence.
  api->RemoveTarget(added.Interface());
  Write(2, 0, "gone");
  EXPECT_THAT(Messages(added), testing::ElementsAre("twice", "twice"));
}

TEST_F(LogStateTest, BaseTargetInterfaceWritesNothingUntilRouted) {
  // A target that never routes the interface's Write to its virtual Write.
  class Unrouted : public LogTarget {
   public:
    bool Write(const LogRecord&) noexcept override {
      ++calls;
      return true;
    }
    int calls = 0;
  };
  Unrouted target;
  EXPECT_STREQ(target.GetName(), "LogTarget");
  EXPECT_STREQ(target.GetFormat(LogRecord{}), "#D| #L| #G| #M");
  LogRecord record{};
  record.message = "";
  EXPECT_FALSE(target.Interface()->Write(target.Interface(), &record));
  target.Attach();
  Write(3, 0, "ignored");
  EXPECT_EQ(target.calls, 0);
}

TEST_F(LogStateTest, DebuggerTargetRendersItsLineFormat) {
  DebugOutputCapture debugger;
  LogPrintf(2, 1, 0, "value %d of %s", 42, "answer");
  const std::vector<std::string> texts = debugger.Texts();
  ASSERT_EQ(texts.size(), 1u);
  char thread[32];
  std::snprintf(
      thread, sizeof(thread), "%p",
      reinterpret_cast<void*>(static_cast<std::uintptr_t>(Platform::GetCurrentThreadId())));
  EXPECT_EQ(texts[0],
            std::string("test_sdk_base_log(") + thread + "):  ERROR| value 42 of answer\n");
}

TEST_F(LogStateTest, LongMessagesAreCutAtEveryStage) {
  RecordingLogTarget target;
  target.Attach();
  DebugOutputCapture debugger;
  LogState::Current()->Debugger().Configure({1, 0, 0, "#M"});

  const std::string message(5000, 'x');
  Write(2, 0, message.c_str());
  EXPECT_THAT(Messages(target), testing::ElementsAre(std::string(4095, 'x')));
  EXPECT_THAT(debugger.Texts(), testing::ElementsAre(std::string(4091, 'x') + "\n"));
}

TEST_F(LogStateTest, ShutdownWithoutInitLeavesTheStateInPlace) {
  // The fixture's Init is matched here; the state goes.
  EXPECT_EQ(api->Shutdown(), 0);
  EXPECT_EQ(LogState::Current(), nullptr);

  // A line creates a state that no Init counted; unmatched Shutdowns leave it as it is.
  LogPrintf(0, 0, 0, "creates the state");
  LogState* state = LogState::Current();
  ASSERT_NE(state, nullptr);
  api->SetLevel(3);
  EXPECT_EQ(api->Shutdown(), 0);
  EXPECT_EQ(api->Shutdown(), 0);
  EXPECT_EQ(LogState::Current(), state);
  EXPECT_EQ(api->GetLevel(), 3);

  // The count did not go below zero: Init then Shutdown still tears the state down, and the
  // next Init creates a fresh one.
  api->Init();
  EXPECT_EQ(api->Shutdown(), 0);
  EXPECT_EQ(LogState::Current(), nullptr);
  api->Init();
  ASSERT_NE(LogState::Current(), nullptr);
  EXPECT_EQ(api->GetLevel(), 1);

  // Nested users: only the last Shutdown tears down.
  api->Init();
  EXPECT_EQ(api->Shutdown(), 1);
  EXPECT_NE(LogState::Current(), nullptr);
}

TEST_F(LogStateTest, TeardownDetachesEveryTargetAndAWriteRecreatesTheState) {
  RecordingLogTarget target;
  target.Attach();
  RecordingLogTarget added;
  api->AddTarget(added.Interface());
  api->AddTarget(target.Interface());
  EXPECT_EQ(api->Shutdown(), 0);
  EXPECT_EQ(LogState::Current(), nullptr);
  EXPECT_FALSE(target.IsAttached());
  EXPECT_EQ(api->GetStdErrTarget(), nullptr);
  EXPECT_EQ(api->FindTarget("RecordingLogTarget"), nullptr);

  // A line without a state creates one, with the default targets only.
  DebugOutputCapture debugger;
  LogPrintf(2, 1, 0, "recreated");
  ASSERT_NE(LogState::Current(), nullptr);
  EXPECT_TRUE(Messages(target).empty());
  EXPECT_EQ(debugger.Texts().size(), 1u);
  api->GetStdErrTarget()->Detach(api->GetStdErrTarget());
  api->Init();  // balances the fixture's TearDown
}

void* RefuseAlloc(std::size_t, void*) { return nullptr; }
void PlainFree(void* block, void*) { std::free(block); }
void* PlainRealloc(void* block, std::size_t size, void*) { return std::realloc(block, size); }
char* PlainStrDup(const char*, void*) { return nullptr; }
std::size_t NoSize(const void*, void*) { return 0; }

TEST(LogStateCreationTest, WithoutMemoryForTheStateLinesAreDropped) {
  ASSERT_EQ(LogState::Current(), nullptr);
  MemoryHooks::EnsureInitialized();
  MemoryHooks::SetAllocator(&RefuseAlloc, &PlainFree, &PlainRealloc, &PlainStrDup, &NoSize,
                            nullptr);
  DebugOutputCapture debugger;
  LogPrintf(3, 1, 0, "dropped");
  const LogApi* api = LogApi::GetTable();
  api->Init();
  EXPECT_EQ(LogState::Current(), nullptr);
  EXPECT_EQ(api->GetStdErrTarget(), nullptr);
  RecordingLogTarget target;
  target.Attach();
  EXPECT_FALSE(target.IsAttached());
  api->Shutdown();
  TrackingAllocator::Install();

  LogPrintf(3, 1, 0, "kept");
  ASSERT_NE(LogState::Current(), nullptr);
  api->Init();
  api->Shutdown();
  EXPECT_THAT(debugger.Texts(), testing::ElementsAre(testing::HasSubstr("kept")));
}

TEST_F(LogStateTest, ConcurrentWritersAndReconfigurationLoseNothing) {
  RecordingLogTarget steady("Steady");
  steady.Attach();
  RecordingLogTarget moving("Moving");
  moving.Attach();
  DebugOutputCapture debugger;

  constexpr int kWriters = 4;
  constexpr int kLinesEach = 400;
  std::atomic<bool> writing{true};
  std::thread configurer([&] {
    std::int32_t level = 0;
    while (writing.load()) {
      moving.Configure({level, 0, 0, level == 0 ? "#M" : "#L| #M"});
      level ^= 1;
    }
  });
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([w] {
      for (int i = 0; i < kLinesEach; ++i) {
        LogPrintf(2, 1, 0, "writer %d line %d", w, i);
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  writing.store(false);
  configurer.join();

  constexpr std::size_t kTotal = kWriters * kLinesEach;
  const std::vector<std::string> steadyLines = Messages(steady);
  EXPECT_EQ(steadyLines.size(), kTotal);
  EXPECT_LE(Messages(moving).size(), kTotal);
  // Every writer's lines arrive complete and in its own order.
  std::vector<int> next(kWriters, 0);
  for (const std::string& line : steadyLines) {
    int writer = -1;
    int index = -1;
    ASSERT_EQ(std::sscanf(line.c_str(), "writer %d line %d", &writer, &index), 2) << line;
    ASSERT_GE(writer, 0);
    ASSERT_LT(writer, kWriters);
    EXPECT_EQ(index, next[writer]++);
  }
  const std::vector<std::string> texts = debugger.Texts();
  EXPECT_EQ(texts.size(), kTotal);
  for (const std::string& text : texts) {
    EXPECT_THAT(text, testing::MatchesRegex(".*\\):  ERROR\\| writer [0-9] line [0-9]+\n")) << text;
  }
}

}  // namespace
}  // namespace Zarn
