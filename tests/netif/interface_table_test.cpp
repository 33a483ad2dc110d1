// The interface table on the real kernel, in network namespaces of the test's own.
#include "netif/interface_table.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <iostream>
#include <string>
#include <vector>

#include "network_namespace.h"
#include "support/memory_limit.h"

namespace {

class InterfaceTableTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!spaces.failure().empty()) GTEST_SKIP() << spaces.failure();
  }
  NetworkNamespaces spaces;
};

TEST_F(InterfaceTableTest, GrowsTheListTenRecordsAtATime) {
  std::vector<int> offered;
  KernelAccess kernel;
  kernel.ioctl = [&offered, real = kernel.ioctl](int socket, unsigned long request, void* arg) {
    if (request == SIOCGIFCONF) offered.push_back(static_cast<ifconf*>(arg)->ifc_len);
    return real(socket, request, arg);
  };
  InterfaceTable table(kernel);

  const struct {
    int records;
    std::vector<int> offered;
  } cases[] = {{0, {400}}, {10, {400, 800}}, {25, {400, 800, 1200}}};
  int made = 0;
  for (const auto& c : cases) {
    for (; made < c.records; ++made) {
      const std::string tap = "tap" + std::to_string(made);
      ASSERT_TRUE(shell("ip tuntap add dev " + tap + " mode tap && ip addr add 10.20.0." +
                        std::to_string(made + 1) + "/32 dev " + tap));
    }
    // Twice: a second listing starts again from 400 bytes and the first record.
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
}

// What the faked calls fail, the socket whose closing they announce on standard error, and how
// many sockets are open.
struct Failure {
  bool socket = false;
  unsigned long request = 0;
  int opened = -1;
  int open = 0;
} failure;

KernelAccess failingKernel() {
  KernelAccess kernel;
  kernel.openSocket = [real = kernel.openSocket](int domain, int type, int protocol) {
    if (failure.socket) return -1;
    ++failure.open;
    return failure.opened = real(domain, type, protocol);
  };
  kernel.ioctl = [real = kernel.ioctl](int socket, unsigned long request, void* arg) {
    return request == failure.request ? -1 : real(socket, request, arg);
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
  const struct {
    bool probing;
    bool socket;
    unsigned long request;
    const char* message;
  } cases[] = {
      {false, true, 0, "^Can't open socket\n$"},
      {false, false, SIOCGIFCONF, "^closed\nCan't perform ioctl call 35090\n$"},
      {true, true, 0, "^Unable to open socket\n$"},
      {true, false, SIOCGIFADDR, "^closed\nCan't perform ioctl call 35093\n$"},
      {true, false, SIOCGIFNETMASK, "^closed\nCan't perform ioctl call 35099\n$"},
      {true, false, SIOCGIFHWADDR, "^closed\nCan't perform ioctl call 35111\n$"},
      {true, false, SIOCGIFMTU, "^closed\nCan't perform ioctl call 35105\n$"},
      {true, false, SIOCGIFFLAGS, "^closed\nCan't perform ioctl call 35091\n$"},
  };
  for (const auto& c : cases) {
    InterfaceTable table(failingKernel());
    failure = Failure{};
    table.enumerate();
    table.probe();
    EXPECT_EQ(0, failure.open) << "sockets left open by a listing and a probe that succeed";
    failure.socket = c.socket;
    failure.request = c.request;
    EXPECT_EXIT(c.probing ? table.probe() : table.enumerate(), testing::ExitedWithCode(255),
                c.message);
  }
  failure = Failure{};
}

TEST_F(InterfaceTableTest, EndsTheRunWhenTheListOutgrowsMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space, so an address-space "
                  "limit cannot make realloc fail";
#endif
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
