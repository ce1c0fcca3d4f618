// The binding value against standard containers of the same shapes: a structure of 1,000
// members against std::map<std::string, std::variant<...>>, a collection of 10,000 strings
// against std::vector<std::string>, and a collection of 1,000 records of 8 members (the same 8
// names in each) against a std::vector of such maps. Each is built, copied and destroyed, once
// with distinct texts and once with texts drawn from 100 values. The global allocation operators
// go through the allocator hooks for both sides, as in the plugin.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "sdk/binding/BindingProperty.h"

namespace {

using Zarn::BindingProperty;
using StdValue =
    std::variant<std::monostate, bool, std::int64_t, std::uint64_t, double, std::string>;
using StdStructure = std::map<std::string, StdValue>;
using StdCollection = std::vector<std::string>;

constexpr int kMembers = 1000;
constexpr int kElements = 10000;
constexpr int kRepeatedTexts = 100;
constexpr int kRecords = 1000;

// Field names of the kind the lobby's records carry.
const std::string kRecordKeys[] = {"summonerId",
                                   "puuid",
                                   "isLeader",
                                   "ready",
                                   "firstPositionPreference",
                                   "secondPositionPreference",
                                   "allowedChangeActivity",
                                   "summonerIconId"};
constexpr int kRecordMembers = static_cast<int>(std::size(kRecordKeys));

// Texts of the length of typical ids and names, beyond the standard string's inline buffer.
std::vector<std::string> Texts(int count, bool repeated) {
  std::vector<std::string> texts;
  for (int i = 0; i < count; ++i) {
    texts.push_back("player-name-or-id-" + std::to_string(repeated ? i % kRepeatedTexts : i));
  }
  return texts;
}

const std::vector<std::string>& Keys() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> result;
    for (int i = 0; i < kMembers; ++i) result.push_back("memberFieldName" + std::to_string(i));
    return result;
  }();
  return keys;
}

const std::vector<std::string>& MemberTexts(bool repeated) {
  static const std::vector<std::string> distinct = Texts(kMembers, false);
  static const std::vector<std::string> drawn = Texts(kMembers, true);
  return repeated ? drawn : distinct;
}

const std::vector<std::string>& ElementTexts(bool repeated) {
  static const std::vector<std::string> distinct = Texts(kElements, false);
  static const std::vector<std::string> drawn = Texts(kElements, true);
  return repeated ? drawn : distinct;
}

const std::vector<std::string>& RecordTexts(bool repeated) {
  static const std::vector<std::string> distinct = Texts(kRecords * kRecordMembers, false);
  static const std::vector<std::string> drawn = Texts(kRecords * kRecordMembers, true);
  return repeated ? drawn : distinct;
}

// --- Builders

void Build(BindingProperty& structure, bool repeated) {
  const std::vector<std::string>& texts = MemberTexts(repeated);
  for (int i = 0; i < kMembers; ++i) structure.Member(Keys()[i]).SetString(texts[i]);
}

void Build(StdStructure& structure, bool repeated) {
  const std::vector<std::string>& texts = MemberTexts(repeated);
  for (int i = 0; i < kMembers; ++i) structure[Keys()[i]] = texts[i];
}

struct ValueCollection {
  BindingProperty value;
};

void Build(ValueCollection& collection, bool repeated) {
  const std::vector<std::string>& texts = ElementTexts(repeated);
  for (const std::string& text : texts) collection.value.Append().SetString(text);
}

void Build(StdCollection& collection, bool repeated) {
  for (const std::string& text : ElementTexts(repeated)) collection.push_back(text);
}

struct ValueRecords {
  BindingProperty value;
};
using StdRecords = std::vector<StdStructure>;

void Build(ValueRecords& records, bool repeated) {
  const std::vector<std::string>& texts = RecordTexts(repeated);
  records.value.MakeCollection();
  records.value.Reserve(kRecords);
  for (int r = 0; r < kRecords; ++r) {
    BindingProperty& record = records.value.Append();
    for (int m = 0; m < kRecordMembers; ++m) {
      record.Member(kRecordKeys[m]).SetString(texts[r * kRecordMembers + m]);
    }
  }
}

void Build(StdRecords& records, bool repeated) {
  const std::vector<std::string>& texts = RecordTexts(repeated);
  records.reserve(kRecords);
  for (int r = 0; r < kRecords; ++r) {
    StdStructure& record = records.emplace_back();
    for (int m = 0; m < kRecordMembers; ++m) record[kRecordKeys[m]] = texts[r * kRecordMembers + m];
  }
}

// --- The three operations, for any of the four shapes

template <class Shape>
void BM_Build(benchmark::State& state) {
  const bool repeated = state.range(0) != 0;
  for (auto _ : state) {
    Shape shape;
    Build(shape, repeated);
    benchmark::DoNotOptimize(&shape);
  }
}

template <class Shape>
void BM_Copy(benchmark::State& state) {
  Shape source;
  Build(source, state.range(0) != 0);
  for (auto _ : state) {
    Shape copy(source);
    benchmark::DoNotOptimize(&copy);
  }
}

template <class Shape>
void BM_Destroy(benchmark::State& state) {
  const bool repeated = state.range(0) != 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto shape = std::make_unique<Shape>();
    Build(*shape, repeated);
    state.ResumeTiming();
    shape.reset();
  }
}

#define JYX_SHAPE_BENCHMARKS(Shape)                                         \
  BENCHMARK_TEMPLATE(BM_Build, Shape)->ArgName("repeated")->Arg(0)->Arg(1); \
  BENCHMARK_TEMPLATE(BM_Copy, Shape)->ArgName("repeated")->Arg(0)->Arg(1);  \
  BENCHMARK_TEMPLATE(BM_Destroy, Shape)->ArgName("repeated")->Arg(0)->Arg(1)

JYX_SHAPE_BENCHMARKS(BindingProperty);
JYX_SHAPE_BENCHMARKS(StdStructure);
JYX_SHAPE_BENCHMARKS(ValueCollection);
JYX_SHAPE_BENCHMARKS(StdCollection);
JYX_SHAPE_BENCHMARKS(ValueRecords);
JYX_SHAPE_BENCHMARKS(StdRecords);

}  // namespace
