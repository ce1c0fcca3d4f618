#include "sdk/api/FunctionName.h"

#include <cctype>

namespace Zarn {
namespace {

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

std::string MakeFunctionName(std::string_view prefix, std::string_view path) {
  std::string text;
  if (!prefix.empty()) {
    text += prefix[0];
    for (char c : prefix.substr(1)) text += Lower(c);
    text += '/';
  }
  text += path;

  std::string name;
  name.reserve(text.size() + 8);
  bool capitalise = true;
  for (char c : text) {
    switch (c) {
      case '!':
      case '+':
      case '-':
      case '.':
      case '/':
      case '_':
        capitalise = true;
        break;
      case '{':
        name += "By";
        capitalise = true;
        break;
      case '}':
        break;
      default:
        name += capitalise ? Upper(c) : c;
        capitalise = false;
        break;
    }
  }
  return name;
}

std::string MakeFunctionNameFromMethod(HttpMethod method, std::string_view path) {
  return MakeFunctionName(HttpMethodToString(method), path);
}

}  // namespace Zarn
