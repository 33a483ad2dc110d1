// local_interfaces.cpp: prints a block of addresses, state and traffic for each eth interface.
#include "netif/local_interfaces.h"

#include <libintl.h>

#include <cstring>
#include <string>

#include "layout/row_layout.h"

namespace {

// Exactly the three bytes, so eth0:1 and a bare eth pass and ETH0 does not.
bool isEthernetName(const char* name) { return std::memcmp(name, "eth", 3) == 0; }

// The report's own text, whose tab separates its two columns.
std::string outIn(std::uint64_t sent, std::uint64_t received) {
  return gettext("Out: ") + std::to_string(sent) + gettext("\tIn: ") + std::to_string(received);
}

void printBlock(const InterfaceTable& table) {
  printHeading(N_("Local Interface\t\t"), table.name(), Underline::kLabel);
  printAddressRow(table);
  printHardwareAddressRow(table);
  printNetmaskRow(table);
  printStateRow(table);
  printBroadcastRow(table);
  printMulticastRow(table);
  printMtuRow(table);
  printPacketsRow(table);
  printBytesRow(table);
}

}  // namespace

void printLocalInterfaces(InterfaceTable& table) {
  table.enumerate();
  for (std::int32_t index = 0; index < table.count(); ++index, table.next()) {
    // Probed before anything of the block is written, so a fatal probe leaves no half block.
    // An address deleted since the listing gets no block.
    if (isEthernetName(table.currentRecord().ifr_name) && table.probe()) printBlock(table);
  }
  table.closeSocket();
}

void printAddressRow(const InterfaceTable& table) {
  printTextRow(N_("IP address\t\t"), table.address());
}

void printHardwareAddressRow(const InterfaceTable& table) {
  printTextRow(N_("MAC address\t\t"), table.hardwareAddress());
}

void printNetmaskRow(const InterfaceTable& table) {
  printTextRow(N_("Network Mask\t\t"), table.netmask());
}

void printStateRow(const InterfaceTable& table) {
  printTextRow(N_("Operational state\t"), table.isUp() ? gettext("UP") : gettext("DOWN"));
}

void printBroadcastRow(const InterfaceTable& table) {
  printTextRow(N_("Broadcast address valid\t"), yesNo(table.isBroadcast()));
}

void printMulticastRow(const InterfaceTable& table) {
  printTextRow(N_("Supports multicast\t"), yesNo(table.isMulticast()));
}

void printMtuRow(const InterfaceTable& table) {
  printTextRow(N_("Maximum transmission unit"), std::to_string(table.mtu()));
}

void printPacketsRow(const InterfaceTable& table) {
  const TrafficCounters& counters = table.trafficCounters();
  printTextRow(N_("Total packets:\t\t"), {}, outIn(counters.txPackets, counters.rxPackets));
}

void printBytesRow(const InterfaceTable& table) {
  const TrafficCounters& counters = table.trafficCounters();
  printTextRow(N_("Total bytes:\t\t"), {}, outIn(counters.txBytes, counters.rxBytes));
}
