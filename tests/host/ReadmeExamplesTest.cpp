// The READMEs' examples, run as a reader runs them, from the repository's root: each prints what
// its README shows (README.md, "Checks and presets", gives the rules).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace Zarn::Host {
namespace {

constexpr const char* kReadmes[] = {"README.md", "host/README.md", "host/worlds/README.md",
                                    "bench/README.md", "lobby/README.md"};
// The top README's length: what a newcomer reads before the reference beside the code.
constexpr std::size_t kReadmeLines = 450;

struct Example {
  std::string file;  // from the repository's root
  int line = 0;      // the line of its block
  std::vector<std::string> commands;
  std::vector<std::string> shown;  // what the README shows the commands print; may be empty
};

// Named in a failure by where it stands.
void PrintTo(const Example& example, std::ostream* out) {
  *out << example.file << ":" << example.line;
}

std::vector<std::string> LinesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The examples of one README: its indented blocks, each cut into commands (a line that ends in
// "\" or "|" goes on in the next), of which those that call scripts/run-host run; when the next
// block, before any heading, calls no script, it holds the lines they print, and then every
// command of scripts/ in the block runs.
std::vector<Example> ExamplesOf(const std::string& file) {
  const std::vector<std::string> lines = LinesOf(std::string(JYX_SOURCE_DIR) + "/" + file);
  struct Block {
    int line = 0;
    bool afterHeading = false;  // a heading came between it and the block before
    std::vector<std::string> lines;
  };
  std::vector<Block> blocks;
  bool heading = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].starts_with("#")) heading = true;
    if (!lines[i].starts_with("    ") || (i > 0 && !lines[i - 1].empty())) continue;
    Block block{static_cast<int>(i + 1), heading, {}};
    // A block in a list item is indented further.
    std::size_t indent = std::string::npos;
    for (; i < lines.size() && lines[i].starts_with("    "); ++i) {
      block.lines.push_back(lines[i]);
      indent = std::min(indent, lines[i].find_first_not_of(' '));
    }
    for (std::string& line : block.lines) line.erase(0, indent);
    blocks.push_back(block);
    heading = false;
  }
  const auto callsScript = [](const std::string& text) {
    return text.find("scripts/") != std::string::npos;
  };
  std::vector<Example> examples;
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    std::vector<std::string> commands;
    std::string command;
    for (const std::string& line : blocks[b].lines) {
      command += (command.empty() ? "" : "\n") + line;
      if (line.ends_with("\\") || line.ends_with("|")) continue;
      commands.push_back(command);
      command.clear();
    }
    if (!command.empty()) commands.push_back(command);
    Example example{file, blocks[b].line, {}, {}};
    const bool shows =
        b + 1 < blocks.size() && !blocks[b + 1].afterHeading &&
        std::none_of(blocks[b + 1].lines.begin(), blocks[b + 1].lines.end(), callsScript);
    if (shows) example.shown = blocks[b + 1].lines;
    for (const std::string& c : commands) {
      if (c.find("scripts/run-host") != std::string::npos || (shows && callsScript(c))) {
        example.commands.push_back(c);
      }
    }
    if (!example.commands.empty()) examples.push_back(example);
  }
  return examples;
}

std::vector<Example> AllExamples() {
  std::vector<Example> all;
  for (const char* file : kReadmes) {
    for (Example& example : ExamplesOf(file)) all.push_back(std::move(example));
  }
  return all;
}

// `text` with every `from` replaced by `to`.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

// Whether `line` is one that the shown `pattern` stands for: "..." in it stands for any text.
bool LineMatches(std::string_view pattern, std::string_view line) {
  const std::size_t dots = pattern.find("...");
  if (dots == std::string_view::npos) return pattern == line;
  if (!line.starts_with(pattern.substr(0, dots))) return false;
  line.remove_prefix(dots);
  pattern.remove_prefix(dots + 3);
  for (std::size_t at = 0; at <= line.size(); ++at) {
    if (LineMatches(pattern, line.substr(at))) return true;
  }
  return false;
}

// Whether `printed[j...]` are the lines `shown[i...]` stand for: a line "..." stands for any
// lines, none included.
bool LinesMatch(const std::vector<std::string>& shown, std::size_t i,
                const std::vector<std::string>& printed, std::size_t j) {
  if (i == shown.size()) return j == printed.size();
  if (shown[i] == "...") {
    for (std::size_t k = j; k <= printed.size(); ++k) {
      if (LinesMatch(shown, i + 1, printed, k)) return true;
    }
    return false;
  }
  return j < printed.size() && LineMatches(shown[i], printed[j]) &&
         LinesMatch(shown, i + 1, printed, j + 1);
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "  " + line.substr(0, 400) + "\n";
  return text;
}

// Runs `example` from the repository's root as a reader runs it: what is wrong with what it
// printed and how it exited, empty when nothing is. Every command must exit with 0: one whose
// status matters shows it (`; echo "exit $?"`), among the lines shown.
std::string RunExample(const Example& example) {
  // scripts/run-host builds the shipping preset, then runs its lobby-host in the default world:
  // here, the lobby-host of this build.
  const std::string runHost = std::string("'") + JYX_TEST_LOBBY_HOST + "' --world '" +
                              JYX_SOURCE_DIR + "/host/worlds/default.json'";
  const std::string base = ::testing::TempDir() + "readme-" + Replaced(example.file, "/", "-") +
                           std::to_string(example.line);
  std::ofstream script(base + ".sh", std::ios::binary);
  script << "cd '" << JYX_SOURCE_DIR << "' || exit 99\n";
  for (const std::string& command : example.commands) {
    const std::string text =
        Replaced(Replaced(command, "build/i386/", std::string(JYX_BUILD_DIR) + "/"),
                 "scripts/run-host", runHost);
    script << "{ " << text << "\n} || exit $?\n";
  }
  script.close();
  const int status =
      std::system(("bash '" + base + ".sh' >'" + base + ".out' 2>&1 </dev/null").c_str());
  const std::vector<std::string> printed = LinesOf(base + ".out");
  const std::string where = example.file + ":" + std::to_string(example.line);
  if (!example.shown.empty() && !LinesMatch(example.shown, 0, printed, 0)) {
    return where + " shows:\n" + Joined(example.shown) + "but prints:\n" + Joined(printed);
  }
  if (status != 0) {
    return where + " exits with " +
           std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : status) +
           " without showing it, printing:\n" + Joined(printed);
  }
  return "";
}

class ReadmeExampleTest : public ::testing::TestWithParam<Example> {};

TEST_P(ReadmeExampleTest, PrintsWhatItsReadmeShows) { EXPECT_EQ(RunExample(GetParam()), ""); }

INSTANTIATE_TEST_SUITE_P(Readmes, ReadmeExampleTest, ::testing::ValuesIn(AllExamples()),
                         [](const ::testing::TestParamInfo<Example>& info) {
                           std::string name =
                               info.param.file + "_" + std::to_string(info.param.line);
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

// The rules find the examples: the READMEs that document the shell show what some print.
TEST(ReadmeExamplesTest, TheReadmesHoldExamplesWithTheirOutput) {
  for (const char* file : {"README.md", "host/README.md", "host/worlds/README.md"}) {
    int shown = 0;
    for (const Example& example : ExamplesOf(file)) shown += example.shown.empty() ? 0 : 1;
    EXPECT_GE(shown, 2) << file;
  }
}

// An exit status that differs from what an example shows fails it, whatever it prints.
TEST(ReadmeExamplesTest, AnExampleFailsOnAStatusItDoesNotShow) {
  const std::string refused = "echo nosuch | scripts/run-host 2>/dev/null";
  const std::vector<std::string> printed = {R"({"plugin":"jyx-lobby","started":true})", "..."};
  std::vector<std::string> exit1 = printed;
  exit1.push_back("exit 1");
  struct Row {
    const char* name;
    Example example;
    bool passes;
  };
  const Row rows[] = {
      {"exit 1 with its output shown", {"t", 1, {refused}, printed}, false},
      {"exit 1 without output shown", {"t", 2, {refused}, {}}, false},
      {"an earlier command's exit 1", {"t", 3, {refused, "true"}, {}}, false},
      {"exit 1 shown", {"t", 4, {refused + R"(; echo "exit $?")"}, exit1}, true},
      {"exit 1 shown as 0", {"t", 5, {refused + R"(; echo "exit $?")"}, {"...", "exit 0"}}, false},
      {"exit 0", {"t", 6, {"echo quit | scripts/run-host 2>/dev/null"}, printed}, true},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(RunExample(row.example).empty(), row.passes) << row.name;
  }
}

TEST(ReadmeExamplesTest, TheReadmeFitsItsPage) {
  EXPECT_LE(LinesOf(std::string(JYX_SOURCE_DIR) + "/README.md").size(), kReadmeLines);
}

}  // namespace
}  // namespace Zarn::Host
