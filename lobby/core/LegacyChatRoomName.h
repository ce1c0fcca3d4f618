// The room name part of a legacy chat room address.
#pragma once

#include <string>

namespace Zarn::Client::Lobby {

// `prefix` + "~" + the lower-case hexadecimal SHA-1 of `id` with its ASCII capitals made small;
// empty when `id` or `prefix` is empty.
[[nodiscard]] std::string MakeLegacyChatRoomName(const std::string& id, const std::string& prefix);

}  // namespace Zarn::Client::Lobby
