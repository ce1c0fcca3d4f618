// YAML request bodies and argument texts, read with libyaml's event parser into a
// BindingProperty; and the two tests that recognise YAML and JSON argument texts.
#pragma once

#include <cstddef>
#include <string_view>

#include "sdk/binding/BindingResult.h"

namespace Zarn {

// Reads the one document of `text` (UTF-8). Scalars are typed by tag or by content, aliases are
// resolved by copying, and every problem is a failed result whose message holds its line and
// column. An empty text, or empty documents, give the empty value. A second document fails
// unless the documents before it were empty. Nesting deeper than 512 levels (alias copies
// included) and alias copies beyond 100,000 nodes per document fail.
[[nodiscard]] BindingResult ParseYamlText(std::string_view text);

// Stores the scalar `text[0, length)` into `target`. `tag` is the scalar's resolved tag, or null
// when it has none; `quoted` is set for single- and double-quoted scalars. A failure is written
// into `result` (which may own `target`: after a failure `target` must not be used).
void ConvertYamlScalar(BindingResult& result, BindingProperty& target, const char* tag,
                       const char* text, std::size_t length, bool quoted);

// True when `text`, after leading spaces, begins with "---". Null gives false.
[[nodiscard]] bool IsYamlDocumentStart(const char* text);

// True when the first character of `text` that is not a space is "{" or "[". Null gives false.
[[nodiscard]] bool LooksLikeJson(const char* text);

}  // namespace Zarn
