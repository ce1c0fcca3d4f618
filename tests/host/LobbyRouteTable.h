// The lobby's route table as the tests expect it, in registration order, shared by the tests
// that compare the plugin's routes with it.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace Zarn::Host::LobbyRouteTableTesting {

// One argument as the route table gives it: name, source (1 query, 2 path, 5 body) and type.
struct Argument {
  std::string name;
  uint32_t source;
  std::string type;
  friend bool operator==(const Argument&, const Argument&) = default;
};

struct Route {
  int number;
  std::string method;
  std::string path;
  std::string function;
  std::vector<Argument> arguments;
};

std::ostream& operator<<(std::ostream& out, const Argument& argument);

inline constexpr uint32_t kQuery = 1;
inline constexpr uint32_t kPath = 2;
inline constexpr uint32_t kBody = 5;

// The route table of the lobby's REST API, in registration order.
const std::vector<Route>& ExpectedRoutes();

// What `described` (routes as "METHOD /path", in any order) lacks of the table and holds
// besides it, for a failure message: "missing: PUT /a; extra: GET /b, GET /b".
std::string RouteDifference(std::vector<std::string> described);

}  // namespace Zarn::Host::LobbyRouteTableTesting
