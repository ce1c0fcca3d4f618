// The map that records keep from texts to values: a body's, a reply's or a message's keys.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>

#include "sdk/base/KeyedHash.h"

namespace Zarn {

// Placed by the keyed hash, so keys chosen to collide cost no more than others. Its order changes
// from run to run and shows nowhere: written as a value, a map becomes a structure, whose members
// go in name order.
template <typename T>
using KeyedMap = std::unordered_map<std::string, T, KeyedStringHash, std::equal_to<>>;

}  // namespace Zarn
