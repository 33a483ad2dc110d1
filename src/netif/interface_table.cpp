// interface_table.cpp: lists the host's IPv4 interfaces and asks the kernel about one of them.
#include "netif/interface_table.h"

#include <libintl.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>

#include "streams/checked_streams.h"

namespace {

// Translated once, before the report starts; every failing request reuses it.
const char* const ioctlFailureText = gettext("Can't perform ioctl call ");

// Room for interfaces that appear between the question of the list's length and its fetch.
constexpr int kListSpare = 10 * sizeof(ifreq);

// Shared by the three address formatters, one at a time.
char textBuffer[128];

int kernelIoctl(int socket, unsigned long request, void* argument) {
  return ioctl(socket, request, argument);
}

[[noreturn]] void exitOnFailedRequest(unsigned long request) {
  exitOnSystemError(ioctlFailureText, std::to_string(request));
}

// The file lists devices, not aliases: eth0:1 counts on eth0's line.
std::string_view deviceName(std::string_view interfaceName) {
  return interfaceName.substr(0, interfaceName.find(':'));
}

in_addr inetAddress(const sockaddr& address) {
  sockaddr_in inet;
  std::memcpy(&inet, &address, sizeof inet);
  return inet.sin_addr;
}

// An IPv4 address in dotted-quad form: at most 15 characters, so the buffer always holds them.
std::string_view dottedQuad(const sockaddr& address) {
  const in_addr inet = inetAddress(address);
  unsigned char bytes[4];
  std::memcpy(bytes, &inet.s_addr, sizeof bytes);  // in network order: the first byte first
  char* end = textBuffer;
  for (const unsigned char byte : bytes) {
    if (end != textBuffer) *end++ = '.';
    end = std::to_chars(end, std::end(textBuffer), byte).ptr;
  }
  return {textBuffer, static_cast<std::size_t>(end - textBuffer)};
}

}  // namespace

KernelAccess::KernelAccess() : openSocket(::socket), ioctl(kernelIoctl), closeSocket(::close) {}

InterfaceTable::InterfaceTable() = default;

InterfaceTable::InterfaceTable(KernelAccess kernel) : kernel(std::move(kernel)) {}

InterfaceTable::~InterfaceTable() {
  closeSocket();
  std::free(conf.ifc_buf);
}

void InterfaceTable::enumerate() {
  snapshotLoaded = false;
  closeSocket();
  sectionSocket = kernel.openSocket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (sectionSocket == -1) exitOnSystemError(gettext("Can't open socket"));

  // Asked without a buffer, the kernel tells how many bytes the whole list takes.
  ifconf length{};
  if (kernel.ioctl(sectionSocket, SIOCGIFCONF, &length) < 0) exitOnFailedRequest(SIOCGIFCONF);

  // It fills at most ifc_len bytes, with whole records only: a list that fills the whole buffer
  // may have been cut short, so ask again with twice the room until some of it stays unused.
  int size = length.ifc_len + kListSpare;
  for (;;) {
    void* grown = size <= INT_MAX / 2 ? std::realloc(conf.ifc_buf, size) : nullptr;
    if (grown == nullptr) {
      // Give the memory back so that the message itself can still be written.
      std::free(conf.ifc_buf);
      conf.ifc_buf = nullptr;
      exitOnSystemError(gettext("Not enough memory for the interface list"));
    }
    conf.ifc_buf = static_cast<char*>(grown);
    conf.ifc_len = size;
    if (kernel.ioctl(sectionSocket, SIOCGIFCONF, &conf) < 0) exitOnFailedRequest(SIOCGIFCONF);
    if (conf.ifc_len < size) break;
    size *= 2;
  }

  current = conf.ifc_req;
  total = conf.ifc_len / static_cast<int>(sizeof(ifreq));
}

void InterfaceTable::closeSocket() {
  if (sectionSocket == -1) return;
  kernel.closeSocket(sectionSocket);
  sectionSocket = -1;
}

bool InterfaceTable::probe() {
  const ifreq record = *current;
  setName(std::string_view(record.ifr_name, strnlen(record.ifr_name, IFNAMSIZ)));
  readTrafficCounters();
  // The requests ask by label and by device name, each a moment after the one before: a record
  // that changed while they were asked is probed once more, and gets no block if it changes
  // again.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (probeRecord(record)) return true;
  }
  return false;
}

bool InterfaceTable::probeRecord(const ifreq& record) {
  // Each answer overwrites the record's union, so each is taken before the next request. The
  // netmask, asked by label, is taken between two address requests that find the record's
  // address, and the device's attributes, asked by name, between two requests for the same
  // device index.
  *current = record;
  if (!ioctlCurrent(SIOCGIFINDEX)) return false;
  const int deviceIndex = current->ifr_ifindex;
  if (!labelHoldsAddressOf(record)) return false;
  formatAddress();
  if (!ioctlCurrent(SIOCGIFNETMASK)) return false;
  formatNetmask();
  if (!labelHoldsAddressOf(record)) return false;
  if (!ioctlCurrent(SIOCGIFHWADDR)) return false;
  formatHardwareAddress();
  if (!ioctlCurrent(SIOCGIFMTU)) return false;
  setMtu(current->ifr_mtu);
  if (!ioctlCurrent(SIOCGIFFLAGS)) return false;
  setFlags(static_cast<std::uint16_t>(current->ifr_flags));
  *current = record;
  return ioctlCurrent(SIOCGIFINDEX) && current->ifr_ifindex == deviceIndex;
}

bool InterfaceTable::labelHoldsAddressOf(const ifreq& record) {
  // Asked with the record's address, the kernel answers with that address of the label while it
  // is there, and with the label's first one once it is gone.
  *current = record;
  return ioctlCurrent(SIOCGIFADDR) &&
         inetAddress(current->ifr_addr).s_addr == inetAddress(record.ifr_addr).s_addr;
}

// Any other failed request ends the process, which closes the socket.
bool InterfaceTable::ioctlCurrent(unsigned long request) {
  if (kernel.ioctl(sectionSocket, request, current) >= 0) return true;
  // The record's device or address went between the listing and this request.
  if (errno == ENODEV || errno == EADDRNOTAVAIL) return false;
  exitOnFailedRequest(request);
}

void InterfaceTable::formatAddress() { setAddress(dottedQuad(current->ifr_addr)); }

void InterfaceTable::formatNetmask() { setNetmask(dottedQuad(current->ifr_netmask)); }

void InterfaceTable::formatHardwareAddress() {
  static constexpr char kHexDigits[] = "0123456789abcdef";
  const auto* bytes = reinterpret_cast<const unsigned char*>(current->ifr_hwaddr.sa_data);
  // Six bytes of two lower-case hexadecimal digits, each after a colon but the first.
  char* end = textBuffer;
  for (int i = 0; i < 6; ++i) {
    if (i > 0) *end++ = ':';
    *end++ = kHexDigits[bytes[i] >> 4];
    *end++ = kHexDigits[bytes[i] & 0xfu];
  }
  setHardwareAddress({textBuffer, static_cast<std::size_t>(end - textBuffer)});
}

void InterfaceTable::readTrafficCounters() {
  // A name without a line of its own shows zeros, never the previous interface's totals.
  counters = TrafficCounters{};

  // Read once a section, at its first probe: the section's counters are of one instant, and a
  // section that probes nothing never opens the file.
  if (!snapshotLoaded) {
    switch (snapshot.loadFile(kernel.countersPath)) {
      case CounterLoad::kLoaded:
        break;
      case CounterLoad::kCannotOpen:
        exitOnSystemError(gettext("Can't open file /proc/net/dev"));
      case CounterLoad::kOutOfMemory:
        exitOnSystemError(gettext("Not enough memory to read /proc/net/dev"));
      case CounterLoad::kReadFailed:
        exitOnSystemError(gettext("Can't read data from file"));
    }
    snapshotLoaded = true;
  }

  switch (snapshot.find(deviceName(ifName), counters)) {
    case CounterLookup::kFound:
    case CounterLookup::kNotFound:
      return;
    case CounterLookup::kWrongFormat:
      exitOnSystemError(gettext("Wrong format of /proc/net/dev. Sorry."));
    case CounterLookup::kMalformedLine:
      exitOnSystemError(gettext("Can't read data from file"));
  }
}
