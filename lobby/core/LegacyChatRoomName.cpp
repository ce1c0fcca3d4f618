#include "lobby/core/LegacyChatRoomName.h"

#include <vector>

#include "sdk/base/Digest.h"
#include "sdk/base/Encoding.h"

namespace Zarn::Client::Lobby {

std::string MakeLegacyChatRoomName(const std::string& id, const std::string& prefix) {
  if (id.empty() || prefix.empty()) return std::string();
  // Only ASCII letters fold: other bytes, UTF-8 included, hash as given.
  std::string folded = id;
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  const std::vector<std::uint8_t> digest = Sha1Digest(folded);
  return prefix + "~" + BytesToHex(digest);
}

}  // namespace Zarn::Client::Lobby
