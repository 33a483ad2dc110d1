// network_namespace.cpp: enters and leaves the namespaces of one test.
#include "support/network_namespace.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/process.h"

namespace {

int openOwnNamespace() { return open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC); }

void disableIpv6() {
  for (const char* path : {"/proc/sys/net/ipv6/conf/default/disable_ipv6",
                           "/proc/sys/net/ipv6/conf/all/disable_ipv6"}) {
    std::ofstream(path) << "1\n";  // absent where the kernel has no IPv6, which is as good
  }
}

bool sendDatagrams(const std::string& address, int count) {
  const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (socket < 0) return false;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(9);
  inet_pton(AF_INET, address.c_str(), &target.sin_addr);
  bool sent = true;
  const char payload[100] = {};
  for (int i = 0; i < count && sent; ++i) {
    sent = sendto(socket, payload, sizeof payload, 0, reinterpret_cast<sockaddr*>(&target),
                  sizeof target) == sizeof payload;
  }
  close(socket);
  return sent;
}

}  // namespace

NetworkNamespaces::NetworkNamespaces() {
  home = openOwnNamespace();
  if (home < 0) {
    failureText = std::string("cannot open this thread's network namespace: ") + strerror(errno);
    return;
  }
  if (unshare(CLONE_NEWNET) != 0) {
    failureText = std::string("network namespaces are not permitted here: ") + strerror(errno);
    return;
  }
  disableIpv6();
  second = openOwnNamespace();
  if (second < 0 || unshare(CLONE_NEWNET) != 0) {
    failureText = std::string("cannot make a second network namespace: ") + strerror(errno);
    if (setns(home, CLONE_NEWNET) != 0) std::abort();
    return;
  }
  disableIpv6();
}

NetworkNamespaces::~NetworkNamespaces() {
  if (failureText.empty() && setns(home, CLONE_NEWNET) != 0) {
    ADD_FAILURE() << "cannot return to the test's network namespace: " << strerror(errno);
  }
  if (second >= 0) close(second);
  if (home >= 0) close(home);
}

std::string NetworkNamespaces::peer() const {
  return "/proc/" + std::to_string(getpid()) + "/fd/" + std::to_string(second);
}

bool NetworkNamespaces::addVethWithTraffic(const std::string& name, const std::string& address,
                                           int datagrams) {
  const std::string far = "far" + std::to_string(pairs++);
  const std::string subnet = address.substr(0, address.rfind('.'));
  const bool made =
      shell("ip link add " + name + " type veth peer name " + far + " && ip link set " + far +
            " netns " + peer() + " && nsenter --net=" + peer() + " sh -c 'ip addr add " + subnet +
            ".2/24 dev " + far + " && ip link set " + far + " up' && ip addr add " + address +
            "/24 dev " + name + " && ip link set " + name + " up");
  if (!made || !sendDatagrams(subnet + ".2", datagrams)) return false;

  // ARP and the far end's port-unreachable answers arrive a little later.
  std::vector<std::uint64_t> before = deviceCounters(name);
  for (int attempt = 0; attempt < 50; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::vector<std::uint64_t> now = deviceCounters(name);
    if (now == before && now.size() == 16 && now[1] > 0) return true;
    before = now;
  }
  ADD_FAILURE() << "the counters of " << name << " never settled";
  return false;
}

bool shell(const std::string& command) {
  const ProcessResult result = runShell(command);
  EXPECT_EQ(0, result.exitStatus) << command << "\n" << result.err;
  return result.exitStatus == 0;
}

std::vector<std::uint64_t> deviceCounters(const std::string& device) {
  std::ifstream file("/proc/self/net/dev");
  std::string line;
  while (std::getline(file, line)) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::istringstream namePart(line.substr(0, colon));
    std::string token;
    if (!(namePart >> token) || token != device) continue;
    std::istringstream numbers(line.substr(colon + 1));
    std::vector<std::uint64_t> values;
    std::uint64_t value = 0;
    while (values.size() < 16 && numbers >> value) values.push_back(value);
    return values;
  }
  return {};
}
