#include "lobby/core/GameMetaData.h"

#include <limits>
#include <string>
#include <string_view>

#include "sdk/binding/JsonText.h"
#include "sdk/binding/TypedConversions.h"

namespace Zarn::Client::Lobby {
namespace {

constexpr std::int32_t kMissing = -1;

std::int32_t ReadId(const BindingProperty& metaData, std::string_view key) noexcept {
  const BindingProperty& member = metaData.FindMember(key);
  constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kHighest = std::numeric_limits<std::int32_t>::max();
  switch (member.Kind()) {
    case BindingPropertyKind::Signed: {
      const std::int64_t value = member.GetInt64();
      if (value < kLowest || value > kHighest) return kMissing;
      return static_cast<std::int32_t>(value);
    }
    case BindingPropertyKind::Unsigned: {
      const std::uint64_t value = member.GetUint64();
      if (value > static_cast<std::uint64_t>(kHighest)) return kMissing;
      return static_cast<std::int32_t>(value);
    }
    default:
      return kMissing;
  }
}

bool ReadMetaData(const BindingProperty& parsed, const BindingRegistry* registry,
                  Api::LcdsGameMetaData& metaData) {
  if (registry == nullptr) return false;
  BindingResult read;
  ReadValue(read, metaData, parsed, *registry);
  return read.IsOk();
}

}  // namespace

std::int32_t GameMetaDataQueueId(const BindingProperty& metaData) noexcept {
  return ReadId(metaData, "queueId");
}

std::int32_t GameMetaDataMapId(const BindingProperty& metaData) noexcept {
  return ReadId(metaData, "mapId");
}

bool ReadLcdsGameMetaData(const std::string& text, const BindingRegistry* registry,
                          Api::LcdsGameMetaData& metaData) {
  const BindingResult parsed = ParseJson(text);
  return parsed.IsOk() && ReadMetaData(parsed.Value(), registry, metaData);
}

std::uint64_t GameMetaDataGameId(const BindingProperty& metaData, const BindingRegistry* registry) {
  // The game id is read first: whatever follows it does not undo it.
  Api::LcdsGameMetaData read;
  static_cast<void>(ReadMetaData(metaData, registry, read));
  return read.gameId;
}

}  // namespace Zarn::Client::Lobby
