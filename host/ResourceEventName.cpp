#include "host/ResourceEventName.h"

namespace Zarn::Host {

std::string ResourceEventName(std::string_view path) {
  std::string name = "OnJsonApiEvent";
  std::size_t kept = 0;
  std::size_t limit = 3;
  std::size_t pos = 0;
  while (pos < path.size() && kept < limit) {
    while (pos < path.size() && path[pos] == '/') ++pos;
    if (pos == path.size()) break;
    std::size_t end = path.find('/', pos);
    if (end == std::string_view::npos) end = path.size();
    std::string_view segment = path.substr(pos, end - pos);
    if (kept == 0 && segment == "jyx-platform-config") limit = 5;
    name += '_';
    name += segment;
    ++kept;
    pos = end;
  }
  return name;
}

}  // namespace Zarn::Host
