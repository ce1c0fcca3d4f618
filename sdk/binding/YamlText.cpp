#include "sdk/binding/YamlText.h"

#include <yaml.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "sdk/base/Format.h"
#include "sdk/base/KeyedHash.h"
#include "sdk/binding/BindingConvert.h"
#include "sdk/binding/BindingProperty.h"

namespace Zarn {
namespace {

constexpr const char kStrTag[] = "tag:yaml.org,2002:str";
constexpr const char kIntTag[] = "tag:yaml.org,2002:int";
constexpr const char kFloatTag[] = "tag:yaml.org,2002:float";
constexpr const char kBoolTag[] = "tag:yaml.org,2002:bool";

constexpr std::size_t kMaxDepth = 512;
// Nodes that alias copies may add to one document: enough for any sane body, and what stops
// exponential expansion ("billion laughs") early.
constexpr std::size_t kAliasNodeBudget = 100000;

constexpr std::string_view kTrueWords[] = {"true", "True", "TRUE", "y",  "Y", "yes",
                                           "Yes",  "YES",  "on",   "On", "ON"};
constexpr std::string_view kFalseWords[] = {"false", "False", "FALSE", "n",   "N",  "no",
                                            "No",    "NO",    "off",   "Off", "OFF"};
constexpr std::string_view kNullWords[] = {"", "~", "null", "Null", "NULL"};

template <std::size_t N>
bool IsOneOf(std::string_view text, const std::string_view (&words)[N]) {
  return std::find(std::begin(words), std::end(words), text) != std::end(words);
}

bool IsDecimalInteger(std::string_view text) {
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A decimal integer within 64 bits, read exactly: YAML's integers are decimal ("010" is ten),
// and a 20-digit unsigned value must not pass through a double. False when it does not fit.
bool ConvertDecimalInteger(BindingProperty& target, std::string_view text) {
  const char* const last = text.data() + text.size();
  if (text.front() == '-') {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (error != std::errc() || end != last) return false;
    target.SetInt64(value);
    return true;
  }
  const char* const first = text.data() + (text.front() == '+' ? 1 : 0);
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last) return false;
  target.SetUint64(value);
  return true;
}

// The whole text read as a finite double. As JSON reads numbers, an integer outside the 64-bit
// ranges stays a double; other integral values within them become integers.
bool ConvertNumber(BindingProperty& target, std::string_view text) {
  const bool integer = IsDecimalInteger(text);
  if (integer && ConvertDecimalInteger(target, text)) return true;
  const std::string terminated(text);
  char* end = nullptr;
  const double value = std::strtod(terminated.c_str(), &end);
  if (terminated.empty() || end != terminated.c_str() + terminated.size() ||
      !std::isfinite(value)) {
    return false;
  }
  if (!integer && value == std::trunc(value)) {
    if (value < 0 && value >= -9223372036854775808.0) {
      target.SetInt64(static_cast<std::int64_t>(value));
      return true;
    }
    if (value >= 0 && value < 18446744073709551616.0) {
      target.SetUint64(static_cast<std::uint64_t>(value));
      return true;
    }
  }
  target.SetDouble(value);
  return true;
}

void ConvertTaggedScalar(BindingResult& result, BindingProperty& target, const char* tag,
                         std::string_view text) {
  if (std::strcmp(tag, kStrTag) == 0) {
    target.SetString(std::string(text));
  } else if (std::strcmp(tag, kIntTag) == 0) {
    BindingProperty source;
    source.SetString(std::string(text));
    if (!text.empty() && text.front() == '-') {
      const std::int64_t value = BindingConvert::AssignSigned(
          result, source, "yaml", std::numeric_limits<std::int64_t>::min(),
          std::numeric_limits<std::int64_t>::max(), "int64_t");
      if (result.IsOk()) target.SetInt64(value);
    } else {
      const std::uint64_t value = BindingConvert::AssignUnsigned(
          result, source, "yaml", std::numeric_limits<std::uint64_t>::max(), "uint64_t");
      if (result.IsOk()) target.SetUint64(value);
    }
  } else if (std::strcmp(tag, kFloatTag) == 0) {
    BindingProperty source;
    source.SetString(std::string(text));
    const double value =
        BindingConvert::AssignFloat(result, source, "yaml", -std::numeric_limits<double>::max(),
                                    std::numeric_limits<double>::max(), "double");
    if (result.IsOk()) target.SetDouble(value);
  } else if (std::strcmp(tag, kBoolTag) == 0) {
    // A word that is no bool leaves the target as it was.
    if (IsOneOf(text, kTrueWords)) {
      target.SetBool(true);
    } else if (IsOneOf(text, kFalseWords)) {
      target.SetBool(false);
    }
  } else {
    result.SetFailure(Format("Unsupported YAML tag '%1'.", tag));
  }
}

// One step from a container to a node within it.
struct Step {
  enum Kind : std::uint8_t { kIndex, kMember } kind;
  std::size_t index = 0;
  std::string name;

  bool operator==(const Step& other) const {
    return kind == other.kind && (kind == kIndex ? index == other.index : name == other.name);
  }
};

using Path = std::vector<Step>;

struct Anchor {
  enum Kind : std::uint8_t {
    kKey,     // a mapping key: its text
    kScalar,  // a scalar value: its path, and its text for use as a key
    kNode,    // a sequence or mapping: its path
  } kind;
  std::string text;
  // A scalar that could stand as a key (no tag, or the str tag).
  bool keyable = false;
  Path path;
};

struct Mark {
  std::size_t line;
  std::size_t column;
};

// The events of one libyaml parse, turned into a value. Nodes are built in place in the result;
// an anchor remembers the path to its node, and an alias copies what that path leads to.
class YamlReader {
 public:
  explicit YamlReader(std::string_view text) : text_(text) {}

  BindingResult Read();

 private:
  struct Frame {
    BindingProperty* value;  // the open sequence or mapping
    Step step;               // from the enclosing container; unused for the root
    std::string anchor;      // empty when the node has none
    bool structure = false;
    bool hasKey = false;
    std::string key;
  };

  void Handle(const yaml_event_t& event);
  void HandleScalar(const yaml_event_t& event, const Mark& mark);
  void HandleKeyScalar(const yaml_event_t& event, const Mark& mark);
  void HandleContainerStart(const yaml_event_t& event, const Mark& mark, bool structure);
  void HandleAlias(const char* name, const Mark& mark);
  void HandleKeyAlias(const char* name, const Mark& mark);

  bool WaitingForKey() const {
    return !frames_.empty() && frames_.back().structure && !frames_.back().hasKey;
  }
  // The node that the next value fills: a new element, the member of the pending key, or the
  // root. `step` receives the step to it from its container.
  BindingProperty& NextTarget(Step& step, bool& isRoot);
  Path PathTo(const Step& step, bool isRoot) const;
  // Stores an anchor, or fails when the name is taken. False after a failure.
  bool AddAnchor(const char* name, Anchor anchor, const Mark& mark);

  void Fail(std::string message) { result_.SetFailure(std::move(message)); }

  std::string_view text_;
  BindingResult result_;
  std::vector<Frame> frames_;
  // Keyed by the document's own names, which may be chosen to collide: placed by KeyedHash.
  std::unordered_map<std::string, Anchor, KeyedStringHash, std::equal_to<>> anchors_;
  std::size_t aliasNodes_ = 0;
};

Mark StartOf(const yaml_event_t& event) {
  return Mark{event.start_mark.line + 1, event.start_mark.column + 1};
}

std::string Located(const char* message, const Mark& mark) {
  return Format(message, mark.line, mark.column);
}

std::string Located(const char* message, const char* text, const Mark& mark) {
  return Format(message, text, mark.line, mark.column);
}

// Counts `value`'s nodes (itself included) into `nodes`, stopping once `limit` is passed, and
// raises `depth` to the number of container levels below and including `value`.
void Measure(const BindingProperty& value, std::size_t level, std::size_t limit, std::size_t& nodes,
             std::size_t& depth) {
  if (++nodes > limit) return;
  if (value.IsCollection()) {
    depth = std::max(depth, level + 1);
    for (std::size_t i = 0; i < value.Size() && nodes <= limit; ++i) {
      Measure(value.At(i), level + 1, limit, nodes, depth);
    }
  } else if (value.IsStructure()) {
    depth = std::max(depth, level + 1);
    for (auto it = value.MembersBegin(); it != value.MembersEnd() && nodes <= limit; ++it) {
      Measure(it.Value(), level + 1, limit, nodes, depth);
    }
  }
}

// The node at `path` from `root`, looked up without changing anything; the shared empty value
// when a step no longer leads anywhere (a repeated key replaced what the anchor marked).
const BindingProperty& Resolve(const BindingProperty& root, const Path& path) {
  const BindingProperty* node = &root;
  for (const Step& step : path) {
    node = step.kind == Step::kIndex ? &node->At(step.index) : &node->FindMember(step.name);
  }
  return *node;
}

bool IsPrefix(const Path& prefix, const Path& path) {
  return prefix.size() <= path.size() && std::equal(prefix.begin(), prefix.end(), path.begin());
}

BindingResult YamlReader::Read() {
  yaml_parser_t parser;
  if (!yaml_parser_initialize(&parser)) {
    result_.SetFailure("YAML parser error: out of memory. At line: 0 col: 0");
    return std::move(result_);
  }
  yaml_parser_set_encoding(&parser, YAML_UTF8_ENCODING);
  const char* input = text_.empty() ? "" : text_.data();
  yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char*>(input),
                               text_.size());
  bool parserFailed = false;
  while (result_.IsOk()) {
    yaml_event_t event;
    if (!yaml_parser_parse(&parser, &event)) {
      parserFailed = true;
      break;
    }
    const bool end = event.type == YAML_STREAM_END_EVENT;
    Handle(event);
    yaml_event_delete(&event);
    if (end) break;
  }
  if (parserFailed && result_.IsOk()) {
    Fail(Format("YAML parser error: %1. At line: %2 col: %3",
                parser.problem != nullptr ? parser.problem : "out of memory",
                parser.problem_mark.line, parser.problem_mark.column));
  }
  yaml_parser_delete(&parser);
  return std::move(result_);
}

void YamlReader::Handle(const yaml_event_t& event) {
  const Mark mark = StartOf(event);
  switch (event.type) {
    case YAML_DOCUMENT_START_EVENT:
      if (!result_.Value().IsEmpty()) return Fail("Multi-document YAML is not supported.");
      // Anchors and the copy budget belong to one document.
      anchors_.clear();
      aliasNodes_ = 0;
      return;
    case YAML_SCALAR_EVENT:
      return WaitingForKey() ? HandleKeyScalar(event, mark) : HandleScalar(event, mark);
    case YAML_SEQUENCE_START_EVENT:
      return HandleContainerStart(event, mark, false);
    case YAML_MAPPING_START_EVENT:
      return HandleContainerStart(event, mark, true);
    case YAML_SEQUENCE_END_EVENT:
    case YAML_MAPPING_END_EVENT:
      if (!frames_.empty()) frames_.pop_back();
      return;
    case YAML_ALIAS_EVENT: {
      const char* name = reinterpret_cast<const char*>(event.data.alias.anchor);
      return WaitingForKey() ? HandleKeyAlias(name, mark) : HandleAlias(name, mark);
    }
    default:
      return;
  }
}

BindingProperty& YamlReader::NextTarget(Step& step, bool& isRoot) {
  isRoot = frames_.empty();
  if (isRoot) return result_.Value();
  Frame& top = frames_.back();
  if (!top.structure) {
    step = Step{Step::kIndex, top.value->Size(), {}};
    return top.value->Append();
  }
  top.hasKey = false;
  step = Step{Step::kMember, 0, std::move(top.key)};
  top.key.clear();
  return top.value->Member(step.name);
}

Path YamlReader::PathTo(const Step& step, bool isRoot) const {
  Path path;
  if (frames_.size() > 1) {
    path.reserve(frames_.size());
    for (std::size_t i = 1; i < frames_.size(); ++i) path.push_back(frames_[i].step);
  }
  if (!isRoot) path.push_back(step);
  return path;
}

bool YamlReader::AddAnchor(const char* name, Anchor anchor, const Mark& mark) {
  if (name == nullptr) return true;
  if (!anchors_.emplace(name, std::move(anchor)).second) {
    Fail(Located("Duplicate occurrence of anchor \"%1\". At line: %2 col: %3", name, mark));
    return false;
  }
  return true;
}

void YamlReader::HandleKeyScalar(const yaml_event_t& event, const Mark& mark) {
  const auto& scalar = event.data.scalar;
  const char* tag = reinterpret_cast<const char*>(scalar.tag);
  if (tag != nullptr && std::strcmp(tag, kStrTag) != 0) {
    return Fail(Located(
        "Invalid mapping key. Only string scalar keys are allowed. At line: %1 col: %2", mark));
  }
  std::string key(reinterpret_cast<const char*>(scalar.value), scalar.length);
  if (scalar.anchor != nullptr && !AddAnchor(reinterpret_cast<const char*>(scalar.anchor),
                                             Anchor{Anchor::kKey, key, true, {}}, mark)) {
    return;
  }
  Frame& top = frames_.back();
  top.key = std::move(key);
  top.hasKey = true;
}

void YamlReader::HandleScalar(const yaml_event_t& event, const Mark& mark) {
  const auto& scalar = event.data.scalar;
  const char* tag = reinterpret_cast<const char*>(scalar.tag);
  const char* anchor = reinterpret_cast<const char*>(scalar.anchor);
  if (anchor != nullptr && anchors_.contains(anchor)) {
    return Fail(
        Located("Duplicate occurrence of anchor \"%1\". At line: %2 col: %3", anchor, mark));
  }
  Step step{};
  bool isRoot = false;
  BindingProperty& target = NextTarget(step, isRoot);
  const bool quoted = scalar.style == YAML_SINGLE_QUOTED_SCALAR_STYLE ||
                      scalar.style == YAML_DOUBLE_QUOTED_SCALAR_STYLE;
  ConvertYamlScalar(result_, target, tag, reinterpret_cast<const char*>(scalar.value),
                    scalar.length, quoted);
  if (!result_.IsOk() || anchor == nullptr) return;
  Anchor entry{Anchor::kScalar,
               std::string(reinterpret_cast<const char*>(scalar.value), scalar.length),
               tag == nullptr || std::strcmp(tag, kStrTag) == 0, PathTo(step, isRoot)};
  (void)AddAnchor(anchor, std::move(entry), mark);
}

void YamlReader::HandleContainerStart(const yaml_event_t& event, const Mark& mark, bool structure) {
  if (WaitingForKey()) {
    return Fail(Located(structure ? "Unexpected start of mapping. At line: %1 col: %2"
                                  : "Unexpected start of sequence. At line: %1 col: %2",
                        mark));
  }
  if (frames_.size() >= kMaxDepth) {
    return Fail(Located("Maximum nesting depth of 512 exceeded. At line: %1 col: %2", mark));
  }
  const yaml_char_t* rawAnchor =
      structure ? event.data.mapping_start.anchor : event.data.sequence_start.anchor;
  const char* anchor = reinterpret_cast<const char*>(rawAnchor);
  Step step{};
  bool isRoot = false;
  BindingProperty& target = NextTarget(step, isRoot);
  if (anchor != nullptr &&
      !AddAnchor(anchor, Anchor{Anchor::kNode, {}, false, PathTo(step, isRoot)}, mark)) {
    return;
  }
  // A repeated key's new container replaces the old value whole.
  target.Reset();
  if (structure) {
    target.MakeStructure();
  } else {
    target.MakeCollection();
  }
  frames_.push_back(
      Frame{&target, std::move(step), anchor != nullptr ? anchor : "", structure, false, {}});
}

void YamlReader::HandleAlias(const char* name, const Mark& mark) {
  for (const Frame& frame : frames_) {
    if (frame.anchor == name) {
      return Fail(Located("Cannot deserialize cyclic aliases. Alias \"%1\". At line: %2 col: %3",
                          name, mark));
    }
  }
  const auto found = anchors_.find(name);
  if (found == anchors_.end()) {
    return Fail(Located("Undefined alias encountered: \"%1\". At line: %2 col: %3", name, mark));
  }
  const Anchor& anchor = found->second;
  if (anchor.kind == Anchor::kKey) {
    if (++aliasNodes_ > kAliasNodeBudget) {
      return Fail(Located("Alias expansion limit exceeded. At line: %1 col: %2", mark));
    }
    Step step{};
    bool isRoot = false;
    NextTarget(step, isRoot).SetString(anchor.text);
    return;
  }
  // A repeated key can make the stored path lead to the node being filled or to one that
  // encloses it; copying that would never end.
  Step step{};
  bool isRoot = false;
  BindingProperty& target = NextTarget(step, isRoot);
  const Path targetPath = PathTo(step, isRoot);
  if (IsPrefix(anchor.path, targetPath)) {
    return Fail(Located("Cannot deserialize cyclic aliases. Alias \"%1\". At line: %2 col: %3",
                        name, mark));
  }
  const BindingProperty& source = Resolve(result_.Value(), anchor.path);
  std::size_t nodes = 0;
  std::size_t depth = 0;
  const std::size_t budget = kAliasNodeBudget - aliasNodes_;
  Measure(source, 0, budget, nodes, depth);
  if (nodes > budget) {
    return Fail(Located("Alias expansion limit exceeded. At line: %1 col: %2", mark));
  }
  if (frames_.size() + depth > kMaxDepth) {
    return Fail(Located("Maximum nesting depth of 512 exceeded. At line: %1 col: %2", mark));
  }
  aliasNodes_ += nodes;
  // The source may lie inside the target (a repeated key whose old value held the anchor).
  target.CopyFrom(source);
}

void YamlReader::HandleKeyAlias(const char* name, const Mark& mark) {
  const auto found = anchors_.find(name);
  if (found == anchors_.end()) {
    return Fail(Located("Undefined alias encountered: \"%1\". At line: %2 col: %3", name, mark));
  }
  const Anchor& anchor = found->second;
  if (anchor.kind == Anchor::kKey || (anchor.kind == Anchor::kScalar && anchor.keyable)) {
    Frame& top = frames_.back();
    top.key = anchor.text;
    top.hasKey = true;
    return;
  }
  Fail(Located("Invalid mapping key. Only string scalar keys are allowed. At line: %1 col: %2",
               mark));
}

}  // namespace

BindingResult ParseYamlText(std::string_view text) { return YamlReader(text).Read(); }

void ConvertYamlScalar(BindingResult& result, BindingProperty& target, const char* tag,
                       const char* text, std::size_t length, bool quoted) {
  const std::string_view view(text != nullptr ? text : "", text != nullptr ? length : 0);
  if (tag != nullptr) return ConvertTaggedScalar(result, target, tag, view);
  if (quoted) {
    target.SetString(std::string(view));
  } else if (IsOneOf(view, kNullWords)) {
    target.Reset();
  } else if (ConvertNumber(target, view)) {
  } else if (IsOneOf(view, kTrueWords)) {
    target.SetBool(true);
  } else if (IsOneOf(view, kFalseWords)) {
    target.SetBool(false);
  } else {
    target.SetString(std::string(view));
  }
}

bool IsYamlDocumentStart(const char* text) {
  if (text == nullptr) return false;
  while (*text == ' ') ++text;
  return std::strncmp(text, "---", 3) == 0;
}

bool LooksLikeJson(const char* text) {
  if (text == nullptr) return false;
  while (*text == ' ') ++text;
  return *text == '{' || *text == '[';
}

}  // namespace Zarn
