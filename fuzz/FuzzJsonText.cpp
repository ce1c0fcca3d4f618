// Parses arbitrary bytes as JSON text: no crash, no read past the input, no leak, a message on
// every failure, and text written from what was read always reads back, compact or indented.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sdk/binding/JsonText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Zarn::BindingResult parsed = Zarn::ParseJson(text);
  if (!parsed.IsOk()) {
    if (parsed.ErrorMessage().empty()) std::abort();
    return 0;
  }
  for (const char* separator : {static_cast<const char*>(nullptr), "\n", "\r\n"}) {
    const std::string written = Zarn::SerializeJson(parsed.Value(), nullptr, separator);
    if (written.empty() != parsed.Value().IsEmpty()) std::abort();
    if (!Zarn::ParseJson(written).IsOk()) std::abort();
  }
  return 0;
}
