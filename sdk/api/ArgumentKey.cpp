#include "sdk/api/ArgumentKey.h"

#include <limits>

#include "sdk/base/StringUtil.h"

namespace Zarn {
namespace {

// Below 0 when step `a` goes first, 0 when both are the same text, above 0 otherwise.
int CompareSteps(std::string_view a, std::string_view b) {
  std::uint64_t indexA = 0;
  std::uint64_t indexB = 0;
  const bool isIndexA = IsIndexStep(a) && ParseIndexStep(a, indexA) == IndexStep::kIndex;
  const bool isIndexB = IsIndexStep(b) && ParseIndexStep(b, indexB) == IndexStep::kIndex;
  if (isIndexA != isIndexB) return isIndexA ? -1 : 1;
  if (isIndexA && indexA != indexB) return indexA < indexB ? -1 : 1;
  return a.compare(b);
}

}  // namespace

IndexStep ParseIndexStep(std::string_view step, std::uint64_t& index) noexcept {
  if (!IsIndexStep(step)) return IndexStep::kMalformed;
  unsigned base = 10;
  std::size_t at = 0;
  if (step.size() > 2 && step[0] == '0' && (step[1] == 'x' || step[1] == 'X') &&
      DigitValue(step[2], 16) >= 0) {
    base = 16;
    at = 2;
  } else if (step[0] == '0') {
    base = 8;
  }
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  bool tooLarge = false;
  for (; at < step.size(); ++at) {
    const int digit = DigitValue(step[at], base);
    if (digit < 0) return IndexStep::kMalformed;
    if (value > (kMax - static_cast<unsigned>(digit)) / base) {
      tooLarge = true;
    } else {
      value = value * base + static_cast<unsigned>(digit);
    }
  }
  if (tooLarge) return IndexStep::kTooLarge;
  index = value;
  return IndexStep::kIndex;
}

bool ArgumentKeyLess(std::string_view a, std::string_view b) noexcept {
  while (true) {
    const std::size_t dotA = a.find('.');
    const std::size_t dotB = b.find('.');
    const int order = CompareSteps(a.substr(0, dotA), b.substr(0, dotB));
    if (order != 0) return order < 0;
    if (dotA == std::string_view::npos || dotB == std::string_view::npos) {
      return dotA == std::string_view::npos && dotB != std::string_view::npos;
    }
    a.remove_prefix(dotA + 1);
    b.remove_prefix(dotB + 1);
  }
}

}  // namespace Zarn
