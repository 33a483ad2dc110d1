// Runs the program on thousands of random command lines and checks each against a model of
// the parsing rules: the exit status, that errors print nothing on standard output, and that a
// report holds exactly the selected sections in their fixed order.
//
// The seed is fixed, so every run tries the same command lines; TOLVANE_RANDOM_SEED=N tries
// others. A failure names the seed and the command line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "support/network_namespace.h"
#include "support/process.h"
#include "support/temp_file.h"

namespace {

constexpr int kCommandLines = 2000;
constexpr std::uint64_t kDefaultSeed = 20240611;

// The switches in the order the parser tries them: the report's, last declared first, then
// --/--ignore_rest, version and help. The parser handles the letters of a combined argument in
// this order too, whatever their order in the argument.
struct Switch {
  char flag;
  const char* name;
};
constexpr Switch kSwitches[] = {{'A', "all"},        {'I', "interface"},   {'R', "trace"},
                                {'S', "security"},   {'N', "network"},     {'T', "timer"},
                                {'D', "discovery"},  {'C', "specConf"},    {'P', "static"},
                                {'O', "parameters"}, {'-', "ignore_rest"}, {'v', "version"},
                                {'h', "help"}};
// The report's order of the configuration sections.
constexpr char kSectionOrder[] = "OPCDTNSR";
// The parser's mark for a letter of a combined argument that a switch has taken.
constexpr char kTaken = '\a';

enum class Outcome { kBriefUsage, kReport, kHelp, kVersion, kError };

struct Expected {
  Outcome outcome = Outcome::kReport;
  std::string selected;  // the flags set, for a report
};

bool allTaken(const std::string& text) {
  return text.find_first_not_of(kTaken, 1) == std::string::npos;
}

// What the parser makes of `args`, read left to right; the first help, version or error
// decides.
Expected model(const std::vector<std::string>& args) {
  if (args.empty()) return {Outcome::kBriefUsage, ""};
  Expected result;
  const auto set = [&result](char flag) {
    if (result.selected.find(flag) != std::string::npos) return Outcome::kError;
    result.selected += flag;
    if (flag == 'h') return Outcome::kHelp;
    if (flag == 'v') return Outcome::kVersion;
    return Outcome::kReport;
  };
  bool ignoring = false;
  for (const std::string& arg : args) {
    if (ignoring) continue;
    bool matched = false;
    for (const Switch& s : kSwitches) {
      if (arg != std::string("-") + s.flag && arg != std::string("--") + s.name) continue;
      const Outcome outcome = set(s.flag);
      if (outcome != Outcome::kReport) return {outcome, ""};
      ignoring = s.flag == '-';
      matched = true;
      break;
    }
    if (matched) continue;
    // An argument that holds the parser's mark would pass for letters taken.
    if (arg.empty() || arg.find(kTaken) != std::string::npos) return {Outcome::kError, ""};

    // Combined flags: one dash, no blank. Each switch takes its letter where it first stands.
    std::string letters = arg;
    if (arg[0] == '-' && arg.rfind("--", 0) != 0 && arg.find(' ') == std::string::npos) {
      for (const Switch& s : kSwitches) {
        if (s.flag == '-') continue;
        const std::size_t at = letters.find(s.flag, 1);
        if (at == std::string::npos) continue;
        letters[at] = kTaken;
        if (letters.find(s.flag, 1) != std::string::npos) return {Outcome::kError, ""};
        const Outcome outcome = set(s.flag);
        if (outcome != Outcome::kReport) return {outcome, ""};
        if (allTaken(letters)) break;
      }
    }
    // A lone dash, or one whose letters were all taken, is an empty group of flags.
    if (letters[0] == '-' && allTaken(letters)) continue;
    return {Outcome::kError, ""};
  }
  return result;
}

// Random command lines, weighted towards ones that parse, with every kind of oddity mixed in.
class CommandLineGenerator {
 public:
  explicit CommandLineGenerator(std::uint64_t seed) : engine(seed) {}

  std::vector<std::string> next() {
    std::vector<std::string> args;
    const int count = pick(20) == 0 ? 0 : 1 + pick(6);
    // Half the lines hold switches only, so that many parse and print a report.
    const bool switchesOnly = pick(2) == 0;
    for (int i = 0; i < count; ++i) args.push_back(argument(switchesOnly));
    return args;
  }

 private:
  int pick(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(engine); }

  std::string randomBytes(int length, int lowest) {
    std::string text;
    for (int i = 0; i < length; ++i) text += static_cast<char>(lowest + pick(256 - lowest));
    return text;
  }

  std::string argument(bool switchesOnly) {
    const Switch& s = kSwitches[pick(std::size(kSwitches))];
    switch (pick(switchesOnly ? 7 : 12)) {
      case 0:
      case 1:
      case 2:
        return std::string("-") + s.flag;
      case 3:
      case 4:
        return std::string("--") + s.name;
      case 5:
      case 6: {
        // Mostly report letters, now and then help, version, a repeat or a stranger.
        static const char kLetters[] = "AIRSNTDCPOAIRSNTDCPOhvx-O\a ";
        std::string combined = "-";
        const int length = 1 + pick(6);
        for (int i = 0; i < length; ++i) combined += kLetters[pick(sizeof kLetters - 1)];
        return combined;
      }
      case 7: {
        static const char* const kJunk[] = {
            "word", "-x",  "--bogus", "-", "---", "--all=1", "-O T", "A",  "--ALL",
            "-o",   "--O", "-all",    " ", "-\a", "\a",      "--=",  "-=", "--ignore_rest=1"};
        return kJunk[pick(std::size(kJunk))];
      }
      case 8:
        return "";
      case 9: {
        // Non-UTF-8 bytes, alone or after a dash.
        const std::string bytes = randomBytes(1 + pick(12), 0x80);
        return pick(2) == 0 ? bytes : "-" + bytes;
      }
      case 10:
        return randomBytes(1 + pick(20), 1);
      default: {
        const int length = 1000 + pick(100000);
        switch (pick(3)) {
          case 0:
            return std::string(length, 'x');
          case 1:
            return "-" + std::string(length, 'O');
          default:
            return "--" + randomBytes(length, 1);
        }
      }
    }
  }

  std::mt19937_64 engine;
};

std::string printable(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& arg : args) {
    text += " '";
    for (std::size_t i = 0; i < arg.size() && i < 60; ++i) {
      const auto byte = static_cast<unsigned char>(arg[i]);
      if (byte >= 0x20 && byte < 0x7f && byte != '\'') {
        text += static_cast<char>(byte);
      } else {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
        text += escaped;
      }
    }
    if (arg.size() > 60) text += "...(" + std::to_string(arg.size()) + " bytes)";
    text += "'";
  }
  return text;
}

// In namespaces of its own the host has no eth interface: -I and -A add nothing.
class RandomCommandLines : public NamespaceTest {
 protected:
  ProcessResult run(const std::vector<std::string>& args) const {
    return runProgram(TOLVANE_BINARY, args, {"OpenSLPConfig=" + config.path()});
  }

  // Standard output of a run that must succeed quietly.
  std::string outputOf(const std::vector<std::string>& args) const {
    const ProcessResult result = run(args);
    EXPECT_EQ(0, result.exitStatus) << printable(args);
    EXPECT_EQ("", result.err) << printable(args);
    return result.out;
  }

  TempFile config{
      "net.slp.useScopes = ONE, TWO\n"
      "net.slp.multicastTimeouts = 250,750,1250\n"
      "net.slp.isDA = true\n"};
};

TEST_F(RandomCommandLines, KeepTheParsersRules) {
  std::uint64_t seed = kDefaultSeed;
  if (const char* chosen = std::getenv("TOLVANE_RANDOM_SEED"))
    seed = std::strtoull(chosen, nullptr, 10);

  // The pieces a report is made of, each pinned byte for byte by report_test.
  const std::string banner = outputOf({"--"});
  std::map<char, std::string> sections;
  for (const char* flag = kSectionOrder; *flag != '\0'; ++flag) {
    const std::string out = outputOf({std::string("-") + *flag});
    ASSERT_EQ(0u, out.rfind(banner, 0)) << *flag;
    sections[*flag] = out.substr(banner.size());
    ASSERT_FALSE(sections[*flag].empty()) << *flag;
  }
  ASSERT_EQ(banner, outputOf({"-I"})) << "an eth interface is in the test's namespace";
  const std::string briefUsage = outputOf({});
  const std::string help = outputOf({"-h"});
  const std::string version = outputOf({"-v"});
  ASSERT_EQ(0u, help.rfind("\nUSAGE: \n", 0));
  ASSERT_NE(help, version);

  CommandLineGenerator generator(seed);
  int failures = 0;
  for (int i = 0; i < kCommandLines && failures < 5; ++i) {
    const std::vector<std::string> args = generator.next();
    const Expected expected = model(args);
    const ProcessResult result = run(args);
    std::string wanted;
    int wantedStatus = 0;
    switch (expected.outcome) {
      case Outcome::kBriefUsage:
        wanted = briefUsage;
        break;
      case Outcome::kHelp:
        wanted = help;
        break;
      case Outcome::kVersion:
        wanted = version;
        break;
      case Outcome::kError:
        wantedStatus = 1;
        break;
      case Outcome::kReport:
        wanted = banner;
        for (const char* flag = kSectionOrder; *flag != '\0'; ++flag) {
          if (expected.selected.find(*flag) != std::string::npos) wanted += sections[*flag];
        }
        if (expected.selected.find('A') != std::string::npos) {
          for (const char* flag = kSectionOrder; *flag != '\0'; ++flag) wanted += sections[*flag];
        }
        break;
    }

    const bool errorReported = result.out.empty() && result.err.rfind("PARSE ERROR:", 0) == 0;
    // Whatever the arguments hold, no control byte but the newline reaches standard error.
    const bool plain = std::none_of(result.err.begin(), result.err.end(), [](char c) {
      return c != '\n' && (static_cast<unsigned char>(c) < 0x20 || c == 0x7f);
    });
    const bool ok =
        plain && result.signal == 0 && result.exitStatus == wantedStatus &&
        (wantedStatus == 1 ? errorReported : result.out == wanted && result.err.empty());
    if (ok) continue;
    ++failures;
    ADD_FAILURE() << "seed " << seed << ", command line " << i << ":" << printable(args)
                  << "\n  expected status " << wantedStatus << ", got status " << result.exitStatus
                  << " signal " << result.signal << "\n  stdout (" << result.out.size()
                  << " bytes): " << result.out.substr(0, 300)
                  << "\n  stderr: " << result.err.substr(0, 300);
  }
}

// The model itself. It is the random test's oracle: a change to the parser's rules would pass
// that test if the model were changed to match, so these cases hold the model to the rules.
// report_test pins most of them against the program as well; "-", "-vx" and "-hv" reach the
// program only through the model, in the random test.
TEST(CommandLineModel, AgreesWithThePinnedCases) {
  const struct {
    std::vector<std::string> args;
    Outcome outcome;
    std::string selected;
  } cases[] = {
      {{}, Outcome::kBriefUsage, ""},
      {{"-OT"}, Outcome::kReport, "TO"},
      {{"--timer", "--parameters"}, Outcome::kReport, "TO"},
      {{"--", "-O"}, Outcome::kReport, "-"},
      {{"-P", "--ignore_rest", "-O", "", "word"}, Outcome::kReport, "P-"},
      {{"-Ov"}, Outcome::kVersion, ""},
      {{"-h", "-x"}, Outcome::kHelp, ""},
      {{"-x", "-h"}, Outcome::kError, ""},
      {{"-OO"}, Outcome::kError, ""},
      {{"--parameters", "-O"}, Outcome::kError, ""},
      {{"-O", ""}, Outcome::kError, ""},
      {{"-Ox"}, Outcome::kError, ""},
      {{"-"}, Outcome::kReport, ""},
      {{"-vx"}, Outcome::kVersion, ""},
      {{"-hv"}, Outcome::kVersion, ""},
      {{"-\a"}, Outcome::kError, ""},
      {{"-O\a"}, Outcome::kError, ""},
      {{"-O", "--", "-P\a"}, Outcome::kReport, "O-"},
  };
  for (const auto& c : cases) {
    const Expected got = model(c.args);
    EXPECT_EQ(c.outcome, got.outcome) << printable(c.args);
    if (c.outcome == Outcome::kReport) {
      EXPECT_EQ(c.selected, got.selected) << printable(c.args);
    }
  }
}

}  // namespace
