// The queue and map named in the free-form meta-data of a lobby invitation.
#pragma once

#include <cstdint>
#include <string>

#include "lobby/model/LegacyDataRecords.h"
#include "sdk/binding/BindingProperty.h"

namespace Zarn {
class BindingRegistry;
}  // namespace Zarn

namespace Zarn::Client::Lobby {

// Member "queueId" of `metaData`, or -1 when it is missing: when `metaData` is not a structure,
// has no such member, or the member is not an integer number (a text "420" or a double is not)
// within the signed 32-bit range.
[[nodiscard]] std::int32_t GameMetaDataQueueId(const BindingProperty& metaData) noexcept;

// Member "mapId" of `metaData`, read by the rule of GameMetaDataQueueId.
[[nodiscard]] std::int32_t GameMetaDataMapId(const BindingProperty& metaData) noexcept;

// Reads the JSON text `text` (a legacy lobby status's "gameMetaData") into `metaData` with the
// types of `registry` (null reads nothing); false when it does not read whole, what was read
// staying in `metaData`. A "gameId" that is no whole number from 0 to 2^64 - 1 (a negative one, a
// bool) reads as 0; a text of one is taken, a fraction cut off.
[[nodiscard]] bool ReadLcdsGameMetaData(const std::string& text, const BindingRegistry* registry,
                                        Api::LcdsGameMetaData& metaData);

// The game that an invitation's `metaData` names, read as ReadLcdsGameMetaData reads a status's:
// 0, no game, when its "gameId" is missing or reads as none.
[[nodiscard]] std::uint64_t GameMetaDataGameId(const BindingProperty& metaData,
                                               const BindingRegistry* registry);

}  // namespace Zarn::Client::Lobby
