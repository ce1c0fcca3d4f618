// The host matches route templates with its own copy of the SDK's rules, since it links no SDK
// library: generated templates and paths go through both, so that the copies cannot drift apart.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

#include "host/RouteCaller.h"
#include "sdk/api/PathCaptures.h"
#include "sdk/api/RoutePattern.h"

namespace Zarn::Host {
namespace {

// Draws by the engine's raw output, which is the same on every standard library.
class Draw {
 public:
  explicit Draw(uint32_t seed) : engine_(seed) {}
  std::size_t Below(std::size_t n) { return engine_() % n; }
  bool OneIn(std::size_t n) { return Below(n) == 0; }
  char From(std::string_view bytes) { return bytes[Below(bytes.size())]; }

 private:
  std::mt19937 engine_;
};

// Literals hold letters, separators and a byte the SDK's expression escapes; paths also the
// bytes no reserved group takes, the start of a query and an escape.
constexpr std::string_view kLiteralBytes = "ab/.#";
constexpr std::string_view kPathBytes = "ab/.#?\n\r%";

// Segments of literals and captures of every kind, side by side or alone; now and then a brace
// left unbalanced, or no segment at all.
std::string Template(Draw& draw) {
  static const char* const kCaptures[] = {"{x}", "{y}", "{+r}", "{#f}", "{}", "{+}", "{a+#b}"};
  std::string text;
  for (std::size_t segments = draw.Below(5); segments > 0; --segments) {
    text += '/';
    for (std::size_t parts = draw.Below(3) + 1; parts > 0; --parts) {
      if (draw.OneIn(2)) {
        text += kCaptures[draw.Below(std::size(kCaptures))];
      } else {
        for (std::size_t n = draw.Below(3) + 1; n > 0; --n) text += draw.From(kLiteralBytes);
      }
    }
  }
  if (draw.OneIn(10)) text.insert(draw.Below(text.size() + 1), 1, draw.OneIn(2) ? '{' : '}');
  return text;
}

// A path the template would serve, captures filled mostly with bytes any group takes; then, for
// three in four, one byte inserted, removed or replaced, and now and then a query.
std::string PathFor(const std::string& routeTemplate, Draw& draw) {
  std::string path;
  for (std::size_t i = 0; i < routeTemplate.size(); ++i) {
    const std::size_t close = routeTemplate.find('}', i);
    if (routeTemplate[i] != '{' || close == std::string::npos) {
      if (routeTemplate[i] != '}') path += routeTemplate[i];
      continue;
    }
    if (routeTemplate.compare(i, 2, "{#") == 0) path += '#';
    for (std::size_t n = draw.Below(4); n > 0; --n) {
      path += draw.From(draw.OneIn(4) ? kPathBytes : std::string_view("ab."));
    }
    i = close;
  }
  const std::size_t at = draw.Below(path.size() + 1);
  switch (draw.Below(4)) {
    case 1:
      path.insert(at, 1, draw.From(kPathBytes));
      break;
    case 2:
      if (at < path.size()) path.erase(at, 1);
      break;
    case 3:
      if (at < path.size()) path[at] = draw.From(kPathBytes);
      break;
    default:
      break;
  }
  if (draw.OneIn(8)) path += "?q=/x";
  return path;
}

// The host's matcher answers only whether a path matches, so that is what is compared.
TEST(RouteMatchingAgreementTest, HostAndSdkAgreeOnGeneratedTemplatesAndPaths) {
  Draw draw(20261208);
  int matched = 0;
  int refused = 0;
  int differences = 0;
  for (int t = 0; t < 4000 && differences < 10; ++t) {
    const std::string routeTemplate = Template(draw);
    const RoutePattern pattern(nullptr, nullptr, routeTemplate);
    for (int p = 0; p < 8; ++p) {
      const std::string path = PathFor(routeTemplate, draw);
      PathCaptures captures;
      const bool sdk = RoutePattern::ExtractParameters(captures, path, pattern);
      ++(sdk ? matched : refused);
      if (RouteTemplateMatches(routeTemplate, path) != sdk) {
        ++differences;
        ADD_FAILURE() << "template " << testing::PrintToString(routeTemplate) << ", path "
                      << testing::PrintToString(path) << ": the SDK "
                      << (sdk ? "matches" : "refuses") << " it, the host does not";
      }
    }
  }
  // Both answers are common, or the comparison would say little.
  EXPECT_GT(matched, 5000);
  EXPECT_GT(refused, 5000);
}

}  // namespace
}  // namespace Zarn::Host
