#include "sdk/api/PathMatcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "sdk/api/QueryString.h"
#include "sdk/api/RoutePattern.h"

namespace Zarn {
namespace {

constexpr std::string_view kPathAlphabet = "/ab.#\n\r(+%1\xc3";

std::string RandomText(std::mt19937& random, std::string_view alphabet, std::size_t maxLength) {
  std::string text(std::uniform_int_distribution<std::size_t>(0, maxLength)(random), ' ');
  for (char& c : text) {
    c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
  }
  return text;
}

// A path that often matches: the template's literals kept, each parameter replaced by a random
// text, then sometimes one character mutated.
std::string PathFor(std::mt19937& random, std::string_view routeTemplate) {
  std::string path;
  bool inParameter = false;
  for (const char c : routeTemplate) {
    if (c == '{') {
      inParameter = true;
      path += RandomText(random, kPathAlphabet, 4);
    } else if (c == '}') {
      inParameter = false;
    } else if (!inParameter) {
      path.push_back(c);
    }
  }
  if (!path.empty() && random() % 4 == 0) {
    path[random() % path.size()] = kPathAlphabet[random() % kPathAlphabet.size()];
  }
  return path;
}

TEST(PathMatcherTest, AgreesWithTheRegularExpression) {
  // Groups and literals, the literals drawn from every character the expression escapes.
  std::mt19937 random(20261207);
  constexpr std::string_view kLiterals = "/a.#(\n*+?[]|^$\\";
  for (int round = 0; round < 4000; ++round) {
    PathMatcher matcher;
    std::string expression;
    const int tokens = static_cast<int>(random() % 6);
    for (int t = 0; t < tokens; ++t) {
      switch (random() % 4) {
        case 0:
          matcher.AppendGroup(PathMatcher::Group::Segment);
          expression += "([^/]*)";
          break;
        case 1:
          matcher.AppendGroup(PathMatcher::Group::Any);
          expression += "(.*)";
          break;
        default: {
          const char c = kLiterals[random() % kLiterals.size()];
          matcher.AppendLiteral(c);
          if (std::string_view(".(*+?[]|^$\\").find(c) != std::string_view::npos) {
            expression.push_back('\\');
          }
          expression.push_back(c);
        }
      }
    }
    const std::regex regex(expression, std::regex::ECMAScript | std::regex::optimize);
    for (int p = 0; p < 20; ++p) {
      const std::string path = RandomText(random, "/a.#(\n\r*", 9);
      SCOPED_TRACE("expression " + expression + " against " + path);
      std::smatch expected;
      std::vector<std::string_view> captures(matcher.GroupCount());
      const bool matched = matcher.FullMatch(path, captures);
      ASSERT_EQ(matched, std::regex_match(path, expected, regex));
      if (!matched) continue;
      ASSERT_EQ(captures.size() + 1, expected.size());
      for (std::size_t i = 0; i < captures.size(); ++i) {
        EXPECT_EQ(captures[i], expected[i + 1].str()) << "group " << i + 1;
      }
    }
  }
}

TEST(PathMatcherTest, RoutePatternAgreesWithItsExpression) {
  std::mt19937 random(7);
  constexpr std::string_view kTemplateAlphabet = "/ab.-(#";
  for (int round = 0; round < 3000; ++round) {
    // Distinct names, so that every capture keeps its own place, in template order.
    std::string routeTemplate;
    const int pieces = static_cast<int>(random() % 5);
    for (int i = 0; i < pieces; ++i) {
      routeTemplate += RandomText(random, kTemplateAlphabet, 3);
      if (random() % 3 != 0) {
        routeTemplate += std::string("{") + "\0\0+#"[random() % 4] + "p" + std::to_string(i) + "}";
      }
    }
    routeTemplate.erase(std::remove(routeTemplate.begin(), routeTemplate.end(), '\0'),
                        routeTemplate.end());
    if (routeTemplate.find('{') == std::string::npos) continue;  // literals are compared exactly
    std::vector<RouteParameter> parameters;
    const std::regex regex(RoutePattern::TemplateToRegex(routeTemplate, parameters),
                           std::regex::ECMAScript | std::regex::optimize);
    const RoutePattern pattern(nullptr, nullptr, routeTemplate);
    for (int p = 0; p < 20; ++p) {
      const std::string path = PathFor(random, routeTemplate);
      SCOPED_TRACE("template " + routeTemplate + " against " + path);
      std::smatch expected;
      PathCaptures captures;
      const bool matched = RoutePattern::ExtractParameters(captures, path, pattern);
      ASSERT_EQ(matched, std::regex_match(path, expected, regex));
      if (!matched) continue;
      ASSERT_EQ(captures.size(), parameters.size());
      for (std::size_t i = 0; i < parameters.size(); ++i) {
        EXPECT_EQ(captures.At(i).name, parameters[i].name);
        const MaybeType<Failure, std::string> decoded = UrlDecode(expected[i + 1].str());
        ASSERT_TRUE(decoded.HasValue()) << "the alphabet spells no NUL";
        EXPECT_EQ(captures.At(i).value, *decoded);
      }
    }
  }
}

}  // namespace
}  // namespace Zarn
