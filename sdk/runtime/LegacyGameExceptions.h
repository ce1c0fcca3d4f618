// The HTTP-like status that a failed legacy-platform call stands for, chosen by the name of the
// legacy exception class that its failure text mentions.
#pragma once

#include <cstdint>
#include <string_view>

namespace Zarn::Client {

// The status of the first exception class of the table (in table order, not in order of
// appearance) that `text` names; 500 when it names none. When `text` contains
// "com.zarnworks.platform.game.", only the part after its first occurrence is searched.
[[nodiscard]] int32_t MapLegacyGameExceptionToStatus(std::string_view text);

}  // namespace Zarn::Client
