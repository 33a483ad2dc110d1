// Runs the program end to end under valgrind's memcheck: no invalid access or use of an
// uninitialised value on any path, and no leak on the paths that return from main. Paths that
// the parser ends with exit() may leave blocks still reachable, but nothing lost.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/memory_limit.h"
#include "support/network_namespace.h"
#include "support/process.h"
#include "support/temp_file.h"

namespace {

constexpr int kValgrindError = 99;  // a status the program itself never gives

struct Case {
  std::vector<std::string> args;
  int status;
  bool returnsFromMain;
};

class Memcheck : public testing::Test {
 protected:
  void SetUp() override {
    if (kBuiltWithAddressSanitizer) {
      GTEST_SKIP() << "valgrind cannot run a program built with AddressSanitizer";
    }
    if (runShell("command -v valgrind").exitStatus != 0) FAIL() << "valgrind is not installed";
  }

  void check(const Case& c) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    std::vector<std::string> args{"--error-exitcode=" + std::to_string(kValgrindError),
                                  "--leak-check=full", "--errors-for-leak-kinds=definite,indirect",
                                  "--log-file=" + valgrindLog.path(), TOLVANE_BINARY};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProcessResult result = runProgram("valgrind", args, {"OpenSLPConfig=" + config.path()});
    std::ifstream file(valgrindLog.path());
    const std::string log(std::istreambuf_iterator<char>(file), {});

    EXPECT_EQ(c.status, result.exitStatus) << log;
    EXPECT_NE(std::string::npos, log.find("ERROR SUMMARY: 0 errors")) << log;
    if (c.returnsFromMain) {
      EXPECT_NE(std::string::npos, log.find("All heap blocks were freed")) << log;
    }
  }

  TempFile config{
      "net.slp.useScopes = SALES, ENGINEERING\n"
      "net.slp.DAAddresses = 10.0.0.5\n"
      "net.slp.unicastTimeouts = 750,,1234567\n"
      "net.slp.isDA = true\n"};
  TempFile valgrindLog{""};
};

TEST_F(Memcheck, EveryPathOfTheCommandLine) {
  const Case cases[] = {
      {{"-O", "-P", "-C", "-D", "-T", "-N", "-S", "-R"}, 0, true},
      {{"-RSNTDCPO"}, 0, true},
      {{}, 0, true},
      {{"-h"}, 0, false},
      {{"--version"}, 0, false},
      {{"-x"}, 1, false},
      {{"-O", "-O"}, 1, false},
      {{""}, 1, false},
      {{"--", "-O"}, 0, true},
  };
  for (const Case& c : cases) check(c);
}

TEST_F(Memcheck, EveryLocalInterface) {
  NetworkNamespaces spaces;
  if (!spaces.failure().empty()) GTEST_SKIP() << spaces.failure();
  ASSERT_TRUE(spaces.addVethWithTraffic("eth0", "10.31.0.1", 3));
  ASSERT_TRUE(shell("ip tuntap add dev eth1 mode tap && ip addr add 10.32.0.1/24 dev eth1"));
  check({{"-A"}, 0, true});
  check({{"-I"}, 0, true});
}

}  // namespace
