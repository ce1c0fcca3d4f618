// The host's own side of host values: building them from JSON for the plugin and reading the
// plugin's back into JSON. The host never links the plugin's libraries, so it keeps its own
// conversions over the boundary layout.
#pragma once

#include <rapidjson/document.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sdk/binding/ApiRecords.h"

namespace Zarn::Host {

// Deepest nesting the host builds or reads.
inline constexpr int kMaxHostValueDepth = 512;

// Builds `*out` (which must hold nothing) from `json`; every block comes from the host's own
// heap and is released with FreeHostObject. Objects become structures whose entries own their
// names; integers become signed values unless they only fit unsigned. Returns false (and leaves
// `*out` empty) when the JSON nests deeper than kMaxHostValueDepth.
[[nodiscard]] bool JsonToHostObject(const rapidjson::Value& json, ApiObject* out);

// Releases what JsonToHostObject built and zeroes `*object`.
void FreeHostObject(ApiObject* object);

// Reads a host value that the plugin owns into JSON, without changing or freeing it. Texts are
// read up to their NUL; blobs become base64 text. Returns false, with `*error` set, for an
// unknown kind or a value nested deeper than kMaxHostValueDepth; `out` then holds what was read.
[[nodiscard]] bool HostObjectToJson(const ApiObject& object, rapidjson::Value& out,
                                    rapidjson::Document::AllocatorType& allocator,
                                    std::string* error);

// How a JSON error names where it stands: by byte offset, for text on one line, or by line and
// column (from 1; a column counts characters, not bytes), for a file.
enum class JsonPlace : uint8_t { kOffset, kLineAndColumn };

// Parses `text` as one JSON value (iteratively, so deep input cannot exhaust the stack),
// stopping at the first value nested deeper than kMaxHostValueDepth. A NUL byte is invalid JSON
// where it stands. Sets `*error` on failure: "invalid JSON at offset N: " (or "at line L, column
// C: ") and what was expected there.
[[nodiscard]] bool ParseHostJson(const std::string& text, rapidjson::Document* json,
                                 std::string* error, JsonPlace place = JsonPlace::kOffset);

// The text of the JSON string `arguments[index]` (the compact JSON of a request's positional
// values); "" when there is no such argument or it is not a string.
[[nodiscard]] std::string StringArgument(const std::vector<std::string>& arguments,
                                         std::size_t index);

// Compact JSON text of a value.
[[nodiscard]] std::string JsonText(const rapidjson::Value& value);

}  // namespace Zarn::Host
