// Reads arbitrary text as YAML: no crash, no leak, and every failure carries a message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sdk/binding/YamlText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Zarn::BindingResult result =
      Zarn::ParseYamlText(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!result.IsOk() && result.ErrorMessage().empty()) std::abort();
  return 0;
}
