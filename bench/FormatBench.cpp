// The positional formatter against the C library's snprintf on the same messages. Each message
// is measured twice: into a caller's buffer (FormatToBuffer vs snprintf) and as a returned
// string (Format vs snprintf into a stack buffer copied into a string).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "sdk/base/Format.h"

namespace {

const char* const kPath = "/jyx-summoner/v1/summoners";
const uint64_t kSummonerId = 2743981234567ULL;
const std::string kError = "Connection reset by peer";
const std::string kPlugin = "jyx-lobby";
const int kWidth = 42;
const unsigned kFlags = 0xBEEFu;
const double kElapsed = 12.3456;

template <class... Args>
std::size_t ToBuffer(char* buffer, std::size_t size, const char* format, const Args&... args) {
  const void* const values[] = {static_cast<const void*>(&args)...};
  return Zarn::FormatToBuffer(buffer, size, format, Zarn::kFormatArgTable<Args...>, values,
                              sizeof...(Args));
}

template <class... Args>
std::string SnprintfString(const char* format, Args... args) {
  char buffer[4096];
  int n = std::snprintf(buffer, sizeof buffer, format, args...);
  return std::string(buffer, n < 0 ? 0 : std::min<std::size_t>(n, sizeof buffer - 1));
}

// ---- "Error requesting %1 for %2: %3": text, 64-bit id, string object ----

void BM_Request_Format(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        Zarn::Format("Error requesting %1 for %2: %3", kPath, kSummonerId, kError));
  }
}
void BM_Request_Snprintf(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(SnprintfString("Error requesting %s for %llu: %s", kPath,
                                            static_cast<unsigned long long>(kSummonerId),
                                            kError.c_str()));
  }
}
void BM_Request_FormatToBuffer(benchmark::State& state) {
  char buffer[256];
  for (auto _ : state) {
    benchmark::DoNotOptimize(ToBuffer(buffer, sizeof buffer, "Error requesting %1 for %2: %3",
                                      kPath, kSummonerId, kError));
    benchmark::ClobberMemory();
  }
}
void BM_Request_SnprintfToBuffer(benchmark::State& state) {
  char buffer[256];
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        std::snprintf(buffer, sizeof buffer, "Error requesting %s for %llu: %s", kPath,
                      static_cast<unsigned long long>(kSummonerId), kError.c_str()));
    benchmark::ClobberMemory();
  }
}

// ---- "%1 which supports plugin API %2 is not compatible with core's plugin API %3" ----

const char* const kIncompatible =
    "%1 which supports plugin API %2 is not compatible with core's plugin API %3";
const char* const kIncompatiblePrintf =
    "%s which supports plugin API %s is not compatible with core's plugin API %s";

void BM_Incompatible_Format(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(Zarn::Format(kIncompatible, kPlugin, "18.0.0", "17.2.1"));
  }
}
void BM_Incompatible_Snprintf(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        SnprintfString(kIncompatiblePrintf, kPlugin.c_str(), "18.0.0", "17.2.1"));
  }
}

// ---- explicit specifications: "%1$05d at %2$08x in %3$.2f ms" ----

void BM_Specs_FormatToBuffer(benchmark::State& state) {
  char buffer[256];
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        ToBuffer(buffer, sizeof buffer, "%1$05d at %2$08x in %3$.2f ms", kWidth, kFlags, kElapsed));
    benchmark::ClobberMemory();
  }
}
void BM_Specs_SnprintfToBuffer(benchmark::State& state) {
  char buffer[256];
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        std::snprintf(buffer, sizeof buffer, "%05d at %08x in %.2f ms", kWidth, kFlags, kElapsed));
    benchmark::ClobberMemory();
  }
}

// ---- "Timer: %1" ----

void BM_Timer_Format(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(Zarn::Format("Timer: %1", "LOBBY.TIMEOUT.COUNTDOWN.TIMER"));
  }
}
void BM_Timer_Snprintf(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(SnprintfString("Timer: %s", "LOBBY.TIMEOUT.COUNTDOWN.TIMER"));
  }
}

BENCHMARK(BM_Request_Format);
BENCHMARK(BM_Request_Snprintf);
BENCHMARK(BM_Request_FormatToBuffer);
BENCHMARK(BM_Request_SnprintfToBuffer);
BENCHMARK(BM_Incompatible_Format);
BENCHMARK(BM_Incompatible_Snprintf);
BENCHMARK(BM_Specs_FormatToBuffer);
BENCHMARK(BM_Specs_SnprintfToBuffer);
BENCHMARK(BM_Timer_Format);
BENCHMARK(BM_Timer_Snprintf);

}  // namespace
