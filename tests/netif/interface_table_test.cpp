// The interface table on the real kernel, in network namespaces of the test's own.
#include "netif/interface_table.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/ioctl.h>

#include <cerrno>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "netif/local_interfaces.h"
#include "support/memory_limit.h"
#include "support/network_namespace.h"

namespace {

using InterfaceTableTest = NamespaceTest;

TEST_F(InterfaceTableTest, AsksForTheListsLengthFirst) {
  std::vector<int> offered;
  int appear = 0;  // taps made between the question of the length and the fetch
  KernelAccess kernel;
  kernel.ioctl = [&, real = kernel.ioctl](int socket, unsigned long request, void* arg) {
    if (request != SIOCGIFCONF) return real(socket, request, arg);
    offered.push_back(static_cast<ifconf*>(arg)->ifc_len);
    const int result = real(socket, request, arg);
    for (; appear > 0; --appear) {
      const std::string tap = "late" + std::to_string(appear);
      shell("ip tuntap add dev " + tap + " mode tap && ip addr add 10.21.0." +
            std::to_string(appear) + "/32 dev " + tap);
    }
    return result;
  };
  InterfaceTable table(kernel);

  // The fetch has room for ten records more than the kernel announced, and twice that room when
  // the list filled it. A record's size is the system's (40 bytes on 64-bit ones, 32 on i386).
  const int record = sizeof(ifreq);
  const struct {
    int records;
    std::vector<int> offered;
  } cases[] = {{0, {0, 10 * record}}, {10, {0, 20 * record}}, {25, {0, 35 * record}}};
  int made = 0;
  for (const auto& c : cases) {
    for (; made < c.records; ++made) {
      const std::string tap = "tap" + std::to_string(made);
      ASSERT_TRUE(shell("ip tuntap add dev " + tap + " mode tap && ip addr add 10.20.0." +
                        std::to_string(made + 1) + "/32 dev " + tap));
    }
    // Twice: a second listing starts again from the question and the first record.
    for (int round = 0; round < 2; ++round) {
      offered.clear();
      table.enumerate();
      EXPECT_EQ(c.offered, offered) << c.records << " records";
      ASSERT_EQ(c.records, table.count());
      for (int i = 0; i < c.records; ++i, table.next()) {
        EXPECT_STREQ(("tap" + std::to_string(i)).c_str(), table.currentRecord().ifr_name);
      }
    }
  }
  // Eleven more than the room to spare appear after the question: one more fetch.
  offered.clear();
  appear = 11;
  table.enumerate();
  EXPECT_EQ((std::vector<int>{0, 35 * record, 70 * record}), offered);
  EXPECT_EQ(36, table.count());
}

// What the faked calls fail, the socket whose closing they announce on standard error, and how
// many sockets were opened and are open.
struct Failure {
  bool socket = false;
  unsigned long request = 0;
  int opened = -1;
  int opens = 0;
  int open = 0;
} failure;

KernelAccess failingKernel() {
  KernelAccess kernel;
  kernel.openSocket = [real = kernel.openSocket](int domain, int type, int protocol) {
    if (failure.socket) return -1;
    ++failure.opens;
    ++failure.open;
    return failure.opened = real(domain, type, protocol);
  };
  kernel.ioctl = [real = kernel.ioctl](int socket, unsigned long request, void* arg) {
    if (request != failure.request) return real(socket, request, arg);
    errno = EPERM;
    return -1;
  };
  kernel.closeSocket = [real = kernel.closeSocket](int socket) {
    --failure.open;
    if (failure.request != 0 && socket == failure.opened) std::cerr << "closed\n";
    return real(socket);
  };
  return kernel;
}

TEST_F(InterfaceTableTest, EndsTheRunWhenTheKernelRefuses) {
  ASSERT_TRUE(shell("ip tuntap add dev eth0 mode tap && ip addr add 10.1.0.1/24 dev eth0"));
  // A failure leaves the section's socket to the end of the process.
  const struct {
    bool probing;
    bool socket;
    unsigned long request;
    const char* message;
  } cases[] = {
      {false, true, 0, "^Can't open socket\n$"},
      {false, false, SIOCGIFCONF, "^Can't perform ioctl call 35090\n$"},
      {true, false, SIOCGIFADDR, "^Can't perform ioctl call 35093\n$"},
      {true, false, SIOCGIFNETMASK, "^Can't perform ioctl call 35099\n$"},
      {true, false, SIOCGIFHWADDR, "^Can't perform ioctl call 35111\n$"},
      {true, false, SIOCGIFMTU, "^Can't perform ioctl call 35105\n$"},
      {true, false, SIOCGIFFLAGS, "^Can't perform ioctl call 35091\n$"},
      {true, false, SIOCGIFINDEX, "^Can't perform ioctl call 35123\n$"},
  };
  for (const auto& c : cases) {
    InterfaceTable table(failingKernel());
    failure = Failure{};
    table.enumerate();
    table.probe();
    table.probe();
    EXPECT_EQ(1, failure.opens) << "one socket serves the listing and every probe of a section";
    table.closeSocket();
    EXPECT_EQ(0, failure.open) << "the section's socket is closed at its end";
    if (c.probing) table.enumerate();
    failure.socket = c.socket;
    failure.request = c.request;
    EXPECT_EXIT(c.probing ? (void)table.probe() : table.enumerate(), testing::ExitedWithCode(255),
                c.message);
  }
  failure = Failure{};
}

std::string printedSection(InterfaceTable& table) {
  std::stringbuf printed;
  std::streambuf* saved = std::cout.rdbuf(&printed);
  printLocalInterfaces(table);
  std::cout.rdbuf(saved);
  return printed.str();
}

TEST_F(InterfaceTableTest, ARecordThatChangesDuringItsProbeCostsOnlyItsBlock) {
  ASSERT_TRUE(
      shell("ip tuntap add dev eth0 mode tap && ip addr add 10.1.0.1/24 dev eth0 && "
            "ip addr add 10.1.0.7/24 dev eth0"));
  InterfaceTable real;
  const std::string both = printedSection(real);
  const std::string first = both.substr(0, both.find("\nLocal Interface", 1));
  ASSERT_NE(first, both);

  // The n-th answer (from 1) to `request` about the record of 10.1.0.7 is replaced with a
  // failure (an errno), another of its label's addresses (kOther) or another device's index.
  constexpr int kOther = 0;
  const auto always = [](int) { return true; };
  const auto once = [](int n) { return n == 2; };  // the first pass's check
  const auto twice = [](int n) { return n % 2 == 0; };
  const auto firstTwo = [](int n) { return n == 2 || n == 4; };  // the first two passes' checks
  const struct {
    const char* change;
    unsigned long request;
    bool (*when)(int n);
    int answer;
    bool shown;
  } cases[] = {
      {"address deleted since the listing", SIOCGIFADDR, always, kOther, false},
      {"label that names no device", SIOCGIFINDEX, always, ENODEV, false},
      {"address gone by the netmask request", SIOCGIFNETMASK, always, EADDRNOTAVAIL, false},
      {"device gone by the hardware address request", SIOCGIFHWADDR, always, ENODEV, false},
      {"address gone after its netmask, once", SIOCGIFADDR, once, kOther, true},
      {"address gone after its netmask, each time", SIOCGIFADDR, twice, kOther, false},
      {"address gone after its netmask in two passes", SIOCGIFADDR, firstTwo, kOther, false},
      {"device renamed during the probe, once", SIOCGIFINDEX, once, kOther, true},
      {"device renamed during each probe", SIOCGIFINDEX, twice, kOther, false},
  };
  for (const auto& c : cases) {
    bool target = false;  // the requests are about the record of 10.1.0.7
    int answers = 0;
    KernelAccess kernel;
    kernel.ioctl = [&, real = kernel.ioctl](int socket, unsigned long request, void* arg) {
      auto& address = reinterpret_cast<sockaddr_in*>(&static_cast<ifreq*>(arg)->ifr_addr)->sin_addr;
      // Each pass of a probe begins and ends with an index request that carries the address.
      if (request == SIOCGIFINDEX) target = address.s_addr == htonl(0x0a010007);
      const int result = real(socket, request, arg);
      if (!target || request != c.request || !c.when(++answers)) return result;
      if (c.answer != kOther) {
        errno = c.answer;
        return -1;
      }
      if (request == SIOCGIFADDR) address.s_addr = htonl(0x0a010001);
      if (request == SIOCGIFINDEX) ++static_cast<ifreq*>(arg)->ifr_ifindex;
      return result;
    };
    InterfaceTable table(kernel);
    EXPECT_EQ(c.shown ? both : first, printedSection(table)) << c.change;
  }
}

TEST_F(InterfaceTableTest, EndsTheRunWhenTheListOutgrowsMemory) {
  SKIP_UNLESS_ADDRESS_SPACE_CAN_RUN_OUT();
  KernelAccess kernel;
  // A kernel that always fills the whole buffer makes the table grow it until it cannot.
  kernel.ioctl = [](int, unsigned long, void*) { return 0; };
  InterfaceTable table(kernel);
  const auto enumerateWithLittleMemory = [&table] {
    limitAddressSpace(64 << 20);
    table.enumerate();
  };
  EXPECT_EXIT(enumerateWithLittleMemory(), testing::ExitedWithCode(255),
              "^Not enough memory for the interface list\n$");
}

}  // namespace
