// floor.cpp: the least work of tolvane -I's design on eth0..eth(N-1), timed in process.
//
// tolvane_floor N RUNS prints the median of RUNS passes in milliseconds. One pass does what the
// interface section cannot do without: read /proc/net/dev once, whole, then for each interface
// open one socket and make the probe's five interface requests.
#include <fcntl.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr unsigned long kProbeRequests[] = {SIOCGIFADDR, SIOCGIFNETMASK, SIOCGIFHWADDR, SIOCGIFMTU,
                                            SIOCGIFFLAGS};

bool readCounterFile(std::vector<char>& buffer) {
  const int file = open("/proc/net/dev", O_RDONLY | O_CLOEXEC);
  if (file < 0) return false;
  std::size_t filled = 0;
  ssize_t got = 0;
  do {
    if (buffer.size() - filled < 4096) buffer.resize(2 * buffer.size() + 4096);
    got = read(file, buffer.data() + filled, buffer.size() - filled);
    filled += got > 0 ? static_cast<std::size_t>(got) : 0;
  } while (got > 0);
  close(file);
  return got == 0;
}

bool probe(const std::string& name) {
  const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (socket < 0) return false;
  ifreq request{};
  std::memcpy(request.ifr_name, name.c_str(), std::min(name.size(), sizeof request.ifr_name - 1));
  bool answered = true;
  for (const unsigned long code : kProbeRequests) {
    if (ioctl(socket, code, &request) != 0) answered = false;
  }
  close(socket);
  return answered;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc == 3 ? std::atoi(argv[1]) : 0;
  const int runs = argc == 3 ? std::atoi(argv[2]) : 0;
  if (count <= 0 || runs <= 0) {
    std::fprintf(stderr, "usage: tolvane_floor N RUNS\n");
    return 2;
  }
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back("eth" + std::to_string(i));
  std::vector<char> buffer;

  // Pass 0 is a warm-up, which also grows the buffer to the file's size.
  std::vector<double> milliseconds;
  for (int run = 0; run <= runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    if (!readCounterFile(buffer)) return 1;
    for (const std::string& name : names) {
      if (!probe(name)) {
        std::fprintf(stderr, "tolvane_floor: %s does not answer the probe's requests\n",
                     name.c_str());
        return 1;
      }
    }
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    if (run > 0) milliseconds.push_back(elapsed.count());
  }
  std::sort(milliseconds.begin(), milliseconds.end());
  const std::size_t middle = milliseconds.size() / 2;
  std::printf("%.3f\n", milliseconds.size() % 2 == 1
                            ? milliseconds[middle]
                            : (milliseconds[middle - 1] + milliseconds[middle]) / 2);
  return 0;
}
