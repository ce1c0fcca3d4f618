// The string-to-string table of request texts: header arguments, path captures, query arguments.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>

#include "sdk/base/Fnv1a.h"

namespace Zarn {

using TextMap = std::unordered_map<std::string, std::string, Fnv1aStringHash, std::equal_to<>>;

}  // namespace Zarn
