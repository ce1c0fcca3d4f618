#include "sdk/base/LogChannels.h"

#include <array>
#include <atomic>
#include <bit>
#include <utility>

namespace Zarn {

namespace {

constexpr int kChannelCount = 64;
constexpr int kFirstFreeIndex = 8;

// Each name is three characters and a terminator, kept as one atomic word so that a reader
// never sees half of a name being registered.
using PackedName = std::uint32_t;

constexpr PackedName Pack(const char (&name)[4]) {
  return std::bit_cast<PackedName>(std::array<char, 4>{name[0], name[1], name[2], '\0'});
}

struct ChannelTable {
  std::atomic<PackedName> names[kChannelCount];
  std::atomic<int> lastUsed;
};

template <std::size_t... I>
constexpr ChannelTable MakeTable(std::index_sequence<I...>) {
  constexpr PackedName initial[kFirstFreeIndex] = {Pack("DBG"), Pack("GEN"), Pack("XTR"),
                                                   Pack("PRF"), Pack("MEM"), Pack("DSK"),
                                                   Pack("NET"), Pack("TST")};
  return ChannelTable{{(I < kFirstFreeIndex ? initial[I] : Pack("???"))...}, kFirstFreeIndex - 1};
}

// Constant-initialized, so registrations from other static initializers find it ready.
constinit ChannelTable table = MakeTable(std::make_index_sequence<kChannelCount>{});

PackedName PackPrefix(const char* name) {
  std::array<char, 4> bytes{};
  for (std::size_t i = 0; i < 3 && name[i] != '\0'; ++i) {
    bytes[i] = name[i];
  }
  return std::bit_cast<PackedName>(bytes);
}

}  // namespace

const char* GetLevelName(std::int32_t level) noexcept {
  static constexpr const char* kNames[] = {"  OKAY", "  WARN", " ERROR", "ALWAYS"};
  if (level < kLogLevelOkay || level > kLogLevelAlways) {
    return "  ????";
  }
  return kNames[level];
}

void RegisterChannel(std::uint64_t* mask, const char* name) noexcept {
  if (mask == nullptr) {
    return;
  }
  *mask = 0;
  if (name == nullptr) {
    return;
  }
  const PackedName wanted = PackPrefix(name);
  int last = table.lastUsed.load(std::memory_order_acquire);
  for (int i = 0; i <= last; ++i) {
    if (table.names[i].load(std::memory_order_acquire) == wanted) {
      *mask = 1ull << i;
      return;
    }
  }
  // Take the next entry, but never step past the last one: once the table is full the index
  // stays at 63 and a new name is not stored.
  do {
    if (last >= kChannelCount - 1) {
      return;
    }
  } while (!table.lastUsed.compare_exchange_weak(last, last + 1, std::memory_order_acq_rel));
  const int index = last + 1;
  table.names[index].store(wanted, std::memory_order_release);
  *mask = 1ull << index;
}

void MaskToNames(char* buffer, std::uint32_t size, std::uint64_t mask) noexcept {
  if (buffer == nullptr || size == 0) {
    return;
  }
  std::uint32_t used = 0;
  bool first = true;
  for (int bit = 0; bit < kChannelCount; ++bit) {
    if ((mask & (1ull << bit)) == 0) {
      continue;
    }
    const auto packed =
        std::bit_cast<std::array<char, 4>>(table.names[bit].load(std::memory_order_acquire));
    char piece[5];
    std::size_t length = 0;
    if (!first) {
      piece[length++] = ';';
    }
    first = false;
    for (std::size_t i = 0; i < 3 && packed[i] != '\0'; ++i) {
      piece[length++] = packed[i];
    }
    for (std::size_t i = 0; i < length && size - used > 1; ++i) {
      buffer[used++] = piece[i];
    }
  }
  buffer[used] = '\0';
}

}  // namespace Zarn
