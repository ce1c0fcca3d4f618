#include "host/CommandShell.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "host/EditDistance.h"
#include "host/HostValue.h"
#include "host/InputFile.h"
#include "host/RecordWindow.h"
#include "host/ResourceEventName.h"
#include "host/WorldFile.h"
#include "sdk/base/Utf8.h"

namespace Zarn::Host {

namespace {

// Splits "word rest" at the first run of blanks; `rest` keeps its inner blanks.
void SplitWord(const std::string& text, std::string* word, std::string* rest) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) {
    word->clear();
    rest->clear();
    return;
  }
  const std::size_t end = text.find_first_of(" \t", begin);
  *word = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
  const std::size_t restBegin =
      end == std::string::npos ? std::string::npos : text.find_first_not_of(" \t", end);
  *rest = restBegin == std::string::npos ? std::string() : text.substr(restBegin);
  while (!rest->empty() && (rest->back() == ' ' || rest->back() == '\t' || rest->back() == '\r')) {
    rest->pop_back();
  }
}

// A printed line: compact JSON in which every byte that is not part of valid UTF-8 becomes the
// text \xHH. Such bytes can only stand inside strings (the rest is ASCII), where an escaped
// backslash followed by "xHH" is valid JSON.
std::string JsonLine(const rapidjson::Value& value) {
  const std::string text = JsonText(value);
  std::string line;
  line.reserve(text.size());
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Utf8CharacterLength(std::string_view(text).substr(i));
    if (length > 0) {
      line.append(text, i, length);
      i += length;
      continue;
    }
    const auto bad = static_cast<unsigned char>(text[i++]);
    line += "\\\\x";
    line += kHex[bad >> 4];
    line += kHex[bad & 0xF];
  }
  return line;
}

// Appends `line` to `lines`, one line after another. (Not `lines += "\n" + line`: GCC 12 at -O3
// warns of an overlapping copy there.)
void AppendLine(std::string* lines, const std::string& line) {
  if (!lines->empty()) lines->push_back('\n');
  lines->append(line);
}

rapidjson::Value TextValue(const std::string& text, rapidjson::Document::AllocatorType& allocator) {
  return rapidjson::Value(text.data(), static_cast<rapidjson::SizeType>(text.size()), allocator);
}

// An object of text members, in the order given.
rapidjson::Value TextObject(std::initializer_list<std::pair<const char*, std::string_view>> members,
                            rapidjson::Document::AllocatorType& allocator) {
  rapidjson::Value object(rapidjson::kObjectType);
  for (const auto& [name, text] : members) {
    object.AddMember(
        rapidjson::StringRef(name),
        rapidjson::Value(text.data(), static_cast<rapidjson::SizeType>(text.size()), allocator),
        allocator);
  }
  return object;
}

std::string EventJson(const std::string& path) {
  rapidjson::Document json(rapidjson::kObjectType);
  json.AddMember("event", TextValue(ResourceEventName(path), json.GetAllocator()),
                 json.GetAllocator());
  return JsonLine(json);
}

// A value of the reply's stream: the JSON it holds, or else its bytes as one string.
void StreamValue(const std::string& stream, rapidjson::Value* out,
                 rapidjson::Document::AllocatorType& allocator) {
  rapidjson::Document json;
  std::string error;
  if (ParseHostJson(stream, &json, &error)) {
    out->CopyFrom(json, allocator);
  } else {
    *out = TextValue(stream, allocator);
  }
}

// True for a plain decimal number: digits with an optional fraction and exponent (no sign, no
// hexadecimal, no "inf" or "nan").
bool IsDecimal(const std::string& text) {
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t begin = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i - begin;
  };
  std::size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == text.size();
}

// The refusal's detail for a path that does not begin with "/".
constexpr char kPathFromSlash[] = "the path begins with /";

// Where `text` goes wrong as JSON, after `label`: "body: invalid JSON at offset 5: ..."; empty
// when it is JSON, read into `*json`.
std::string JsonFault(const char* label, const std::string& text, rapidjson::Document* json) {
  std::string error;
  return ParseHostJson(text, json, &error) ? std::string() : label + error;
}

// The refusal of a command armed `depth` deep, past kMaxArmedNesting.
std::string ArmedTooDeep(int depth) {
  return "on-request: armed commands nest at most " + std::to_string(kMaxArmedNesting) +
         " deep, and this one would be " + std::to_string(depth) + " deep";
}

std::string Seconds(int64_t nanoseconds) {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  writer.Double(static_cast<double>(nanoseconds) / 1e9);
  return buffer.GetString();
}

// Whether `events PREFIX` shows the event `name` with `payload`: a prefix from "/" is compared with
// the path the payload names, any other with the event's name; no prefix shows every event.
bool ShowsEvent(std::string_view prefix, std::string_view name, const rapidjson::Value& payload) {
  if (!prefix.starts_with('/')) return name.starts_with(prefix);
  if (!payload.IsObject()) return false;
  const auto uri = payload.FindMember("uri");
  return uri != payload.MemberEnd() && uri->value.IsString() &&
         std::string_view(uri->value.GetString(), uri->value.GetStringLength()).starts_with(prefix);
}

}  // namespace

bool ReadCommandLine(std::istream& input, std::string* line, std::size_t* length) {
  line->clear();
  *length = 0;
  char chunk[1 << 16];
  for (;;) {
    input.getline(chunk, sizeof chunk);
    const auto got = static_cast<std::size_t>(input.gcount());
    // Nothing taken and no end of input: the stream failed before reading.
    if (input.bad() || (got == 0 && !input.eof())) return false;
    const bool full = input.fail() && !input.eof() && got == sizeof chunk - 1;
    // Without the "\n" that getline took out and counted.
    const std::size_t stored = full || input.eof() ? got : got - 1;
    if (line->size() <= kMaxCommandLine) {
      line->append(chunk, std::min(stored, kMaxCommandLine + 1 - line->size()));
    }
    *length += stored;
    if (full) {
      input.clear();
      continue;
    }
    // At the end of input only a line that holds something counts.
    return !input.eof() || got > 0 || *length > 0;
  }
}

std::string StartJson(const std::string& shortName, bool started) {
  rapidjson::Document json(rapidjson::kObjectType);
  json.AddMember("plugin", TextValue(shortName, json.GetAllocator()), json.GetAllocator());
  json.AddMember("started", started, json.GetAllocator());
  return JsonLine(json);
}

std::string ErrorJson(const std::string& message) {
  rapidjson::Document json(rapidjson::kObjectType);
  json.AddMember("error", TextValue(message, json.GetAllocator()), json.GetAllocator());
  return JsonLine(json);
}

std::string CommandShell::Fail(const std::string& message) {
  ++failures_;
  return ErrorJson(message);
}

std::string CommandShell::Refuse(const std::string& name, const std::string& why) {
  const Command* command = Find(name);
  const std::string arguments = command != nullptr ? command->arguments : "";
  return Fail(name + (arguments.empty() ? " takes no argument" : " takes " + arguments) +
              (why.empty() ? "" : "; " + why));
}

const std::vector<CommandShell::Command>& CommandShell::Commands() {
  using Shell = CommandShell;
  using Text = const std::string&;
  const auto call = [](Shell& shell, Text command, Text rest) { return shell.Call(command, rest); };
  const auto parties = [](Shell& shell, Text command, Text rest) {
    return shell.Parties(command, rest);
  };
  constexpr const char* kRouteCall = "calls the plugin's route; prints its status, error and body";
  // An argument in brackets may be left out.
  static const std::vector<Command> kCommands = {
      {"GET", "path [json body]", kRouteCall, call},
      {"POST", "path [json body]", kRouteCall, call},
      {"PUT", "path [json body]", kRouteCall, call},
      {"PATCH", "path [json body]", kRouteCall, call},
      {"DELETE", "path [json body]", kRouteCall, call},
      {"advance", "seconds",
       "moves the virtual clock on and runs the plugin's callbacks that fall due",
       [](Shell& shell, Text, Text rest) { return shell.AdvanceClock(rest); }},
      {"events", "[prefix]",
       "the events the plugin published since the last events; with a prefix, those whose path "
       "(a prefix from /) or name begins with it",
       [](Shell& shell, Text command, Text rest) {
         return rest.find_first_of(" \t") == std::string::npos ? shell.Events(rest)
                                                               : shell.Refuse(command);
       }},
      {"set", "path json", "changes a simulated sibling resource and delivers its event",
       [](Shell& shell, Text, Text rest) { return shell.Set(rest); }},
      {"delete", "path", "removes a simulated sibling resource and delivers its event",
       [](Shell& shell, Text, Text rest) { return shell.Delete(rest); }},
      {"stats", "", "the plugin's memory counters",
       [](Shell& shell, Text command, Text rest) {
         return rest.empty() ? shell.Stats() : shell.Refuse(command);
       }},
      {"lcds", "class json", "pushes a legacy-platform message of that class to its subscribers",
       [](Shell& shell, Text, Text rest) { return shell.PushLcds(rest); }},
      {"lcds-answer", "destination method class [json]",
       "the legacy platform answers that call with this body from now on",
       [](Shell& shell, Text, Text rest) { return shell.AnswerLcds(rest, false); }},
      {"lcds-throw", "destination method status text",
       "the legacy platform fails that call with this exception from now on",
       [](Shell& shell, Text, Text rest) { return shell.AnswerLcds(rest, true); }},
      {"proxy-reply", "uuid|next payload",
       "the service proxy's reply to an unanswered request (next: the oldest)",
       [](Shell& shell, Text, Text rest) { return shell.ProxyReply(rest); }},
      {"proxy-method", "service method payload", "delivers a service-proxy method event",
       [](Shell& shell, Text command, Text rest) { return shell.ProxyEvent(command, rest); }},
      {"proxy-async", "service method payload",
       "delivers a service's own message through the service proxy",
       [](Shell& shell, Text command, Text rest) { return shell.ProxyEvent(command, rest); }},
      {"on-request", "path command",
       "runs the command inside the plugin's next request of that path, while it waits",
       [](Shell& shell, Text, Text rest) { return shell.ArmOnRequest(rest); }},
      {"parties-act", "puuid method path [body]",
       "another player's request to the simulated parties service; prints the reply envelope",
       parties},
      {"parties-invite", "from to", "a player invites another into their party", parties},
      {"parties-accept", "puuid party", "the player accepts that party's invitation", parties},
      {"parties-decline", "puuid party", "the player declines that party's invitation", parties},
      {"parties-leave", "puuid", "the player leaves their party", parties},
      {"parties-player", "puuid", "the player as the parties service holds it", parties},
      {"parties-push", "none|notification|message",
       "how changes of the plugin's player reach the plugin", parties},
      {"parties-restriction", "json", "sends a queue-restriction notification", parties},
      {"parties-notify", "json", "sends a notification of this player state, whoever's it is",
       parties},
      {"parties-resume", "party utc-ms", "locks the party until that resume time", parties},
      {"parties-health", "text", "the health text the parties service answers", parties},
      {"parties-token", "text", "the comms token the parties service answers", parties},
      {"parties-script", "json",
       "answers the requests of one parties route as scripted (a world file's parties script)",
       parties},
      {"parties-requests", "", "the plugin's parties requests since the last parties-requests",
       parties},
      {"routes", "", "the plugin's routes, one line each, with their arguments",
       [](Shell& shell, Text command, Text rest) {
         return rest.empty() ? shell.Routes() : shell.Refuse(command);
       }},
      {"type", "[name]",
       "the fields of a body's type, or an enum's values; with no name, the types",
       [](Shell& shell, Text, Text rest) { return shell.Type(rest); }},
      {"help", "", "the shell's commands, one line each",
       [](Shell& shell, Text command, Text rest) {
         return rest.empty() ? Help() : shell.Refuse(command);
       }},
      {"quit", "", "shuts the plugin down and exits",
       [](Shell& shell, Text command, Text rest) -> std::string {
         return rest.empty() ? R"({"quit":true})" : shell.Refuse(command);
       },
       true},
  };
  return kCommands;
}

bool CommandShell::Execute(const std::string& line, std::string* output, std::size_t length) {
  output->clear();
  // A comment, however long, is no command.
  if (const std::size_t begin = line.find_first_not_of(" \t");
      begin != std::string::npos && line[begin] == '#') {
    return true;
  }
  length = std::max(length, line.size());
  if (length > kMaxCommandLine) {
    *output = Fail("a command line holds at most " + std::to_string(kMaxCommandLine) +
                   " bytes; this one holds " + std::to_string(length));
    return true;
  }
  if (const std::size_t nul = line.find('\0'); nul != std::string::npos) {
    *output = Fail("a command line must not hold a NUL byte (byte " + std::to_string(nul) + ")");
    return true;
  }
  std::string command;
  std::string rest;
  // Script files written elsewhere may end their lines with "\r\n".
  SplitWord(!line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line, &command,
            &rest);
  if (command.empty()) return true;

  const Command* found = Find(command);
  if (found == nullptr) {
    *output = Fail(UnknownCommand(command));
  } else {
    const int failures = failures_;
    *output = found->run(*this, command, rest);
    // A quit that was refused ends nothing.
    if (found->quits && failures_ == failures) return false;
  }
  host_.RunDue();
  return true;
}

const CommandShell::Command* CommandShell::Find(const std::string& name) {
  const std::vector<Command>& commands = Commands();
  const auto found = std::find_if(commands.begin(), commands.end(),
                                  [&](const Command& entry) { return name == entry.name; });
  return found == commands.end() ? nullptr : &*found;
}

std::string CommandShell::UnknownCommand(const std::string& word) {
  std::string capitals = word;
  for (char& c : capitals) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  std::string unknown = "unknown command: " + EchoOf(word);
  // "delete" is a command of its own and is found before this.
  if (capitals != word && Find(capitals) != nullptr && HostMethodCode(capitals) != 0) {
    unknown += "; route methods are written in capitals: " + capitals;
  } else if (word == "exit" || word == "q") {
    unknown += "; the command that ends a run is quit";
  } else if (const std::size_t slash = word.find('/');
             slash != std::string::npos && slash > 0 && Find(word.substr(0, slash)) != nullptr) {
    unknown += "; a space is missing after " + word.substr(0, slash);
  } else if (const Command* nearest = Nearest(word); nearest != nullptr) {
    unknown += std::string("; the nearest command is ") + nearest->name;
  }
  return unknown + "; help lists the shell's commands";
}

const CommandShell::Command* CommandShell::Nearest(const std::string& word) {
  // A word far longer than every command is near none, and its distances are not worth computing.
  const std::size_t allowed = NearEdits(word);
  const Command* nearest = nullptr;
  std::size_t best = allowed + 1;
  for (const Command& command : Commands()) {
    const std::string_view name = command.name;
    if (word.size() > name.size() + allowed) continue;
    // The first of equally near commands, in the table's order.
    if (const std::size_t distance = EditDistance(word, name); distance < best) {
      best = distance;
      nearest = &command;
    }
  }
  return nearest;
}

std::string CommandShell::Help() {
  std::string lines;
  rapidjson::Document::AllocatorType allocator;
  for (const Command& command : Commands()) {
    AppendLine(&lines, JsonLine(TextObject({{"command", command.name},
                                            {"arguments", command.arguments},
                                            {"effect", command.effect}},
                                           allocator)));
  }
  return lines;
}

std::string CommandShell::Routes() {
  if (!host_.Loaded()) return Fail("no plugin is loaded");
  std::string lines;
  rapidjson::Document::AllocatorType allocator;
  for (const RouteDescription& route : host_.Description().routes) {
    rapidjson::Value json = TextObject({{"method", route.method}, {"path", route.path}}, allocator);
    rapidjson::Value arguments(rapidjson::kArrayType);
    for (const ArgumentDescription& argument : route.arguments) {
      arguments.PushBack(
          TextObject(
              {{"name", argument.name}, {"source", argument.source}, {"type", argument.type}},
              allocator),
          allocator);
    }
    json.AddMember("arguments", arguments, allocator);
    AppendLine(&lines, JsonLine(json));
  }
  return lines;
}

std::string CommandShell::Type(const std::string& name) {
  if (!host_.Loaded()) return Fail("no plugin is loaded");
  if (name.empty()) {
    std::vector<std::string> names;
    for (const TypeDescription& type : host_.Description().types) names.push_back(type.name);
    std::sort(names.begin(), names.end());
    std::string lines;
    rapidjson::Document::AllocatorType allocator;
    for (const std::string& type : names) {
      AppendLine(&lines, JsonLine(TextObject({{"type", type}}, allocator)));
    }
    return lines;
  }
  // `routes` names a list or a map by what it holds: "vector<R>" answers R.
  std::string_view held = name;
  while (held.ends_with('>') && (held.starts_with("vector<") || held.starts_with("map<"))) {
    held = held.substr(held.find('<') + 1);
    held.remove_suffix(1);
  }
  const TypeDescription* type = host_.Description().FindType(std::string(held));
  if (type == nullptr) {
    return Fail("unknown type: " + EchoOf(name) + "; type with no name lists the types");
  }
  rapidjson::Document::AllocatorType allocator;
  rapidjson::Value json = TextObject({{"type", type->name}}, allocator);
  // A type with neither fields nor values reads as a record with no fields.
  if (type->fields.empty() && !type->enumerators.empty()) {
    rapidjson::Value values(rapidjson::kArrayType);
    for (const std::string& value : type->enumerators) {
      values.PushBack(TextValue(value, allocator), allocator);
    }
    json.AddMember("values", values, allocator);
  } else {
    rapidjson::Value fields(rapidjson::kArrayType);
    for (const FieldDescription& field : type->fields) {
      fields.PushBack(TextObject({{"name", field.name}, {"type", field.type}}, allocator),
                      allocator);
    }
    json.AddMember("fields", fields, allocator);
  }
  return JsonLine(json);
}

std::string CommandShell::Call(const std::string& method, const std::string& rest) {
  std::string path;
  std::string body;
  SplitWord(rest, &path, &body);
  if (path.empty() || path[0] != '/') return Refuse(method, kPathFromSlash);
  rapidjson::Document parsed;
  if (const std::string fault = body.empty() ? "" : JsonFault("body: ", body, &parsed);
      !fault.empty()) {
    return Refuse(method, fault);
  }
  if (!host_.Loaded()) return Fail("no plugin is loaded");
  const RouteAnswer answer = host_.CallRoute(method, path, body);
  rapidjson::Document json(rapidjson::kObjectType);
  auto& allocator = json.GetAllocator();
  json.AddMember("status", answer.status, allocator);
  rapidjson::Value error;
  // The plugin's error texts may repeat the path, however long.
  if (answer.error) error = TextValue(EchoOf(*answer.error), allocator);
  json.AddMember("error", error, allocator);
  rapidjson::Value value;
  if (answer.stream) {
    StreamValue(*answer.stream, &value, allocator);
  } else {
    rapidjson::Document inlineValue;
    inlineValue.Parse(answer.body.c_str(), answer.body.size());
    value.CopyFrom(inlineValue, allocator);
  }
  json.AddMember("body", value, allocator);
  return JsonLine(json);
}

std::string CommandShell::AdvanceClock(const std::string& rest) {
  if (!IsDecimal(rest)) return Refuse("advance", "a decimal number, 0 or more");
  const double seconds = std::strtod(rest.c_str(), nullptr);
  if (!(seconds <= kMaxAdvanceSeconds)) {
    return Fail("advance takes at most " + Seconds(SecondsToNanoseconds(kMaxAdvanceSeconds)) +
                " seconds (a year)");
  }
  const int64_t remaining = HostScheduler::kEnd - host_.Scheduler().Now();
  if (SecondsToNanoseconds(seconds) > remaining) {
    return Fail("the clock ends after a century: advance takes at most " + Seconds(remaining) +
                " seconds more");
  }
  const HostScheduler::Advanced advanced = host_.AdvanceBy(seconds, kMaxAdvanceCallbacks);
  const std::string clock = Seconds(host_.Scheduler().Now());
  if (advanced.stopped) {
    return Fail("advance stopped after " + std::to_string(advanced.ran) + " callbacks, at clock " +
                clock + "; the rest stays due");
  }
  rapidjson::Document json(rapidjson::kObjectType);
  auto& allocator = json.GetAllocator();
  json.AddMember("clock", static_cast<double>(host_.Scheduler().Now()) / 1e9, allocator);
  json.AddMember("ran", advanced.ran, allocator);
  return JsonLine(json);
}

std::string CommandShell::Events(const std::string& prefix) {
  rapidjson::Document json(rapidjson::kObjectType);
  auto& allocator = json.GetAllocator();
  rapidjson::Value list(rapidjson::kArrayType);
  unshownDropped_ += host_.DroppedEvents();
  for (PublishedEvent& event : host_.TakeNewEvents()) unshown_.push_back(std::move(event));
  // What a prefix left unshown is kept within the host's window too.
  unshownDropped_ += KeepLatest(unshown_, host_.RecordWindow());
  std::vector<PublishedEvent> left;
  for (PublishedEvent& event : unshown_) {
    rapidjson::Document payload;
    payload.Parse(event.payload.c_str(), event.payload.size());
    if (!ShowsEvent(prefix, event.name, payload)) {
      left.push_back(std::move(event));
      continue;
    }
    rapidjson::Value entry(rapidjson::kObjectType);
    entry.AddMember("name", rapidjson::Value(event.name.c_str(), allocator), allocator);
    entry.AddMember("payload", rapidjson::Value(payload, allocator), allocator);
    list.PushBack(entry, allocator);
  }
  unshown_ = std::move(left);
  json.AddMember("events", list, allocator);
  // Only when the window dropped some: the line stays as it was in every other run.
  if (unshownDropped_ != 0) {
    json.AddMember("dropped", static_cast<uint64_t>(unshownDropped_), allocator);
    unshownDropped_ = 0;
  }
  return JsonLine(json);
}

std::string CommandShell::Set(const std::string& rest) {
  std::string path;
  std::string value;
  SplitWord(rest, &path, &value);
  if (path.empty() || path[0] != '/') return Refuse("set", kPathFromSlash);
  if (value.empty()) return Refuse("set");
  rapidjson::Document json;
  if (const std::string fault = JsonFault("value: ", value, &json); !fault.empty()) {
    return Refuse("set", fault);
  }
  host_.SetResource(path, JsonText(json));
  return EventJson(path);
}

std::string CommandShell::Delete(const std::string& rest) {
  std::string path;
  std::string extra;
  SplitWord(rest, &path, &extra);
  if (path.empty() || !extra.empty()) return Refuse("delete");
  if (path[0] != '/') return Refuse("delete", kPathFromSlash);
  if (!host_.DeleteResource(path)) {
    // A route's path taken for a resource's: the route's DELETE is written in capitals.
    const std::string methods = host_.Loaded() ? host_.MethodsServing(path) : std::string();
    return Refuse(
        "delete",
        "no resource at " + EchoOf(path) +
            (methods.empty() ? ""
                             : ", which the plugin's routes serve: route methods are written "
                               "in capitals (" +
                                   methods + ")"));
  }
  return EventJson(path);
}

std::string CommandShell::Stats() {
  const std::optional<Zarn::MemoryStats> stats = host_.ReadMemoryStats();
  if (!stats) return Fail("no plugin has been loaded");
  rapidjson::Document json(rapidjson::kObjectType);
  auto& allocator = json.GetAllocator();
  // Named for what each counts: a reallocation is one free and one allocation, a reallocation of
  // null too, and blocks from before the counting began are freed without an allocation.
  json.AddMember("liveBytes", static_cast<int64_t>(stats->bytesAllocated - stats->bytesFreed),
                 allocator);
  json.AddMember("peakLiveBytes", stats->peakLiveBytes, allocator);
  json.AddMember("allocationsMinusFreesAtPeak", stats->liveBlocksAtPeak, allocator);
  json.AddMember("bytesAllocated", stats->bytesAllocated, allocator);
  json.AddMember("allocationsAndReallocations", stats->allocations, allocator);
  json.AddMember("bytesFreed", stats->bytesFreed, allocator);
  json.AddMember("freesAndReallocations", stats->frees, allocator);
  return JsonLine(json);
}

std::string CommandShell::PushLcds(const std::string& rest) {
  std::string className;
  std::string body;
  SplitWord(rest, &className, &body);
  if (className.empty() || body.empty()) return Refuse("lcds");
  // Pushed, a class that nobody takes would be dropped without a word.
  const std::vector<std::string> taken = legacy_.SubscribedClasses();
  if (std::find(taken.begin(), taken.end(), className) == taken.end()) {
    const std::string nearest = legacy_.NearestSubscribedClass(className);
    return Fail("lcds: no subscriber of the plugin takes " + EchoOf(className) +
                (nearest.empty() ? "; it subscribes to no legacy class"
                                 : "; the nearest class it takes is " + nearest));
  }
  if (std::string error; !legacy_.Push(className, body, &error)) {
    return Refuse("lcds", "body: " + error);
  }
  return R"({"pushed":true})";
}

std::string CommandShell::AnswerLcds(const std::string& rest, bool exception) {
  std::string destination;
  std::string method;
  std::string third;
  std::string tail;
  std::string afterDestination;
  std::string afterMethod;
  SplitWord(rest, &destination, &afterDestination);
  SplitWord(afterDestination, &method, &afterMethod);
  SplitWord(afterMethod, &third, &tail);
  const char* const command = exception ? "lcds-throw" : "lcds-answer";
  if (destination.empty() || method.empty() || third.empty() || (exception && tail.empty())) {
    return Refuse(command);
  }
  LcdsAnswer answer;
  if (exception) {
    char* end = nullptr;
    const unsigned long status = std::strtoul(third.c_str(), &end, 10);
    if (*end != '\0' || status > 999) return Refuse(command, "the status is a number up to 999");
    answer.exception = tail;
    answer.status = static_cast<uint32_t>(status);
  } else {
    rapidjson::Document json;
    if (const std::string fault = tail.empty() ? "" : JsonFault("body: ", tail, &json);
        !fault.empty()) {
      return Refuse(command, fault);
    }
    if (!tail.empty()) answer.body = tail;
    answer.typeName = third;
  }
  legacy_.Script(destination, method, answer);
  return R"({"scripted":true})";
}

std::string CommandShell::ProxyReply(const std::string& rest) {
  std::string uuid;
  std::string payload;
  SplitWord(rest, &uuid, &payload);
  if (uuid.empty() || payload.empty()) return Refuse("proxy-reply");
  ProxyMessage reply;
  reply.payload = payload;
  if (!proxy_.ReplyTo(uuid, reply)) {
    return Refuse("proxy-reply", "no unanswered request " + EchoOf(uuid));
  }
  return R"({"replied":true})";
}

std::string CommandShell::ProxyEvent(const std::string& command, const std::string& rest) {
  std::string service;
  std::string method;
  std::string afterService;
  std::string payload;
  SplitWord(rest, &service, &afterService);
  SplitWord(afterService, &method, &payload);
  if (service.empty() || method.empty() || payload.empty()) return Refuse(command);
  ProxyMessage message;
  message.payload = payload;
  if (command == "proxy-async") {
    proxy_.SendAsyncEvent(service, method, message);
  } else {
    proxy_.SendMethodEvent(service, method, message);
  }
  return R"({"sent":true})";
}

std::string CommandShell::ArmOnRequest(const std::string& rest) {
  std::string path;
  std::string command;
  SplitWord(rest, &path, &command);
  std::string word;
  std::string arguments;
  SplitWord(command, &word, &arguments);
  const Command* armed = Find(word);
  if (path.empty() || word.empty()) return Refuse("on-request");
  if (path[0] != '/') return Refuse("on-request", kPathFromSlash);
  if (armed != nullptr && armed->quits) return Refuse("on-request", "any command but quit");
  // Refused now: armed, it would fail only when its request comes, if ever.
  if (armed == nullptr) return Fail("on-request: " + UnknownCommand(word));
  const int depth = depth_ + 1;
  if (depth > kMaxArmedNesting) return Fail(ArmedTooDeep(depth));
  host_.OnRequest(path, [this, depth, command = std::move(command)] { RunArmed(command, depth); });
  return R"({"armed":true})";
}

void CommandShell::RunArmed(const std::string& command, int depth) {
  // Run inside another armed command's run, whoever armed it, it is one deeper than that one.
  const int nested = std::max(depth, depth_ + 1);
  if (nested > kMaxArmedNesting) {
    armedAnswers_.push_back(Fail(ArmedTooDeep(nested)));
    return;
  }
  struct Restore {
    int& depth;
    int outer;
    ~Restore() { depth = outer; }
  } restore{depth_, std::exchange(depth_, nested)};
  std::string answer;
  static_cast<void>(Execute(command, &answer));
  if (!answer.empty()) armedAnswers_.push_back(std::move(answer));
}

std::vector<std::string> CommandShell::TakeArmedAnswers() {
  std::vector<std::string> answers;
  answers.swap(armedAnswers_);
  return answers;
}

std::string CommandShell::Parties(const std::string& command, const std::string& rest) {
  std::vector<std::string> words;
  std::string tail = rest;
  // Up to three words, then the rest (a body) as it is.
  while (!tail.empty() && words.size() < 3) {
    std::string word;
    SplitWord(tail, &word, &tail);
    words.push_back(word);
  }
  const auto arguments = [&](std::size_t count) { return words.size() == count && tail.empty(); };
  // Printed as every answer is, bytes that are not UTF-8 escaped.
  const auto printed = [](const std::string& json) {
    rapidjson::Document parsed;
    std::string error;
    return ParseHostJson(json, &parsed, &error) ? JsonLine(parsed) : ErrorJson(error);
  };
  const auto reply = [&](const PartiesReply& answer) { return printed(EnvelopeJson(answer)); };
  if (command == "parties-act" && words.size() == 3) {
    return reply(parties_.Act(words[0], words[1], words[2], tail));
  }
  if (command == "parties-invite" && arguments(2)) {
    return reply(parties_.Invite(words[0], words[1]));
  }
  if (command == "parties-accept" && arguments(2)) {
    return reply(parties_.Accept(words[0], words[1]));
  }
  if (command == "parties-decline" && arguments(2)) {
    return reply(parties_.Decline(words[0], words[1]));
  }
  if (command == "parties-leave" && arguments(1)) return reply(parties_.Leave(words[0]));
  if (command == "parties-player" && arguments(1)) {
    const std::string player = parties_.PlayerJson(words[0]);
    return player.empty() ? Refuse(command, "no parties player " + EchoOf(words[0]))
                          : printed(player);
  }
  if (command == "parties-push" && arguments(1)) {
    const std::optional<PartiesPush> push = PartiesPushNamed(words[0]);
    if (!push) return Refuse(command);
    parties_.SetPush(*push);
    return R"({"push":true})";
  }
  if (command == "parties-health" || command == "parties-token") {
    if (rest.empty()) return Refuse(command);
    if (command == "parties-health") {
      parties_.SetHealth(rest);
    } else {
      parties_.SetCommsToken(rest);
    }
    return R"({"set":true})";
  }
  if (command == "parties-resume" && arguments(2)) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long millis = std::strtoull(words[1].c_str(), &end, 10);
    if (errno != 0 || end == words[1].c_str() || *end != '\0' || words[1][0] == '-') {
      return Refuse(command, "utc-ms is a count of milliseconds since 1970 (UTC)");
    }
    if (!parties_.SetActivityResume(words[0], millis)) {
      return Refuse(command, "no party " + EchoOf(words[0]));
    }
    return R"({"locked":true})";
  }
  // Without their argument, named as `help` names it.
  if ((command == "parties-restriction" || command == "parties-notify" ||
       command == "parties-script") &&
      rest.empty()) {
    return Refuse(command);
  }
  if (command == "parties-restriction" || command == "parties-notify") {
    const bool restriction = command == "parties-restriction";
    rapidjson::Document json;
    if (const std::string fault = JsonFault("", rest, &json); !fault.empty()) {
      return Refuse(command, fault);
    }
    if (!(restriction ? parties_.PushQueueRestriction(rest) : parties_.PushPlayer(rest))) {
      return Refuse(command, restriction ? "a queue restriction is a JSON object"
                                         : "a player state is a JSON object");
    }
    return R"({"sent":true})";
  }
  if (command == "parties-script") {
    rapidjson::Document json;
    std::string error;
    PartiesScript script;
    if (const std::string fault = JsonFault("", rest, &json); !fault.empty()) {
      return Refuse(command, fault);
    }
    if (!ReadPartiesScript(json, host_.MaxIdleYields(), &script, &error)) {
      return Refuse(command, error);
    }
    parties_.AddScript(std::move(script));
    return R"({"scripted":true})";
  }
  if (command == "parties-requests" && rest.empty()) {
    rapidjson::Document json(rapidjson::kObjectType);
    auto& allocator = json.GetAllocator();
    rapidjson::Value list(rapidjson::kArrayType);
    for (const PartiesRecord& record : parties_.Records()) {
      list.PushBack(
          TextObject({{"method", record.method}, {"url", record.url}, {"body", record.body}},
                     allocator),
          allocator);
    }
    json.AddMember("requests", list, allocator);
    // As `events` says it: only when the window dropped some.
    if (const std::size_t dropped = parties_.DroppedRecords(); dropped != 0) {
      json.AddMember("dropped", static_cast<uint64_t>(dropped), allocator);
    }
    parties_.ClearRecords();
    return JsonLine(json);
  }
  return Refuse(command);
}

}  // namespace Zarn::Host
