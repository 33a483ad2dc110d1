// network_namespace.h: network namespaces of a test's own, where it makes interfaces with ip.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Moves the calling thread into a fresh network namespace and keeps a second one beside it
// for the far ends of veth pairs; the destructor moves the thread back. Programs that the
// test starts run in the first namespace. IPv6 is off in both, so that no router or neighbour
// chatter moves the traffic counters under a test.
class NetworkNamespaces {
 public:
  NetworkNamespaces();
  ~NetworkNamespaces();
  NetworkNamespaces(const NetworkNamespaces&) = delete;
  NetworkNamespaces& operator=(const NetworkNamespaces&) = delete;

  // Empty once both namespaces are ready; otherwise why they could not be made.
  const std::string& failure() const { return failureText; }
  // Names the second namespace for `ip link set DEV netns` and `nsenter --net=`.
  std::string peer() const;

  // Makes `name` one end of a veth pair, up with `address` (a /24 in 10.x), whose other end
  // sits in the second namespace as .2 of the same /24, and sends datagrams across it.
  // Returns once the counters of `name` have stopped moving.
  bool addVethWithTraffic(const std::string& name, const std::string& address, int datagrams);

 private:
  int home = -1;
  int second = -1;
  int pairs = 0;
  std::string failureText;
};

// Runs a shell command; a failing command fails the test and shows what it wrote.
bool shell(const std::string& command);

// The sixteen numbers of `device`'s line in /proc/net/dev as they stand now; empty when the
// device has no line.
std::vector<std::uint64_t> deviceCounters(const std::string& device);

// A test in namespaces of its own, skipped with the reason where they cannot be made.
class NamespaceTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!spaces.failure().empty()) GTEST_SKIP() << spaces.failure();
  }
  NetworkNamespaces spaces;
};
