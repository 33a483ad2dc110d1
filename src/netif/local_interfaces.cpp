// local_interfaces.cpp: prints a block of addresses, state and traffic for each eth interface.
#include "netif/local_interfaces.h"

#include <libintl.h>

#include <cstring>
#include <iostream>

#include "report/output.h"

namespace {

// Exactly the three bytes, so eth0:1 and a bare eth pass and ETH0 does not.
bool isEthernetName(const char* name) { return std::memcmp(name, "eth", 3) == 0; }

void printOutIn(std::uint64_t sent, std::uint64_t received) {
  std::cout << gettext("Out: ") << sent << gettext("\tIn: ") << received;
  printLineEnd();
}

void printBlock(InterfaceTable& table) {
  printLineEnd();
  std::cout << gettext("Local Interface\t\t") << table.name();
  printLineEnd();
  std::cout << "----------------------------------";
  printLineEnd();
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
    if (!isEthernetName(table.currentRecord().ifr_name)) continue;
    table.probe();
    printBlock(table);
  }
  table.endSection();
}

void printAddressRow(InterfaceTable& table) {
  printRowHead(N_("IP address\t\t"));
  std::cout << table.address();
  printLineEnd();
}

void printHardwareAddressRow(InterfaceTable& table) {
  printRowHead(N_("MAC address\t\t"));
  std::cout << table.hardwareAddress();
  printLineEnd();
}

void printNetmaskRow(InterfaceTable& table) {
  printRowHead(N_("Network Mask\t\t"));
  std::cout << table.netmask();
  printLineEnd();
}

void printStateRow(InterfaceTable& table) {
  printRowHead(N_("Operational state\t"));
  std::cout << (table.isUp() ? gettext("UP") : gettext("DOWN"));
  printLineEnd();
}

void printBroadcastRow(InterfaceTable& table) {
  printRowHead(N_("Broadcast address valid\t"));
  printYesNo(table.isBroadcast());
}

void printMulticastRow(InterfaceTable& table) {
  printRowHead(N_("Supports multicast\t"));
  printYesNo(table.isMulticast());
}

void printMtuRow(InterfaceTable& table) {
  printRowHead(N_("Maximum transmission unit"));
  std::cout << table.mtu();
  printLineEnd();
}

void printPacketsRow(InterfaceTable& table) {
  printRowHead(N_("Total packets:\t\t"));
  printOutIn(table.trafficCounters().txPackets, table.trafficCounters().rxPackets);
}

void printBytesRow(InterfaceTable& table) {
  printRowHead(N_("Total bytes:\t\t"));
  printOutIn(table.trafficCounters().txBytes, table.trafficCounters().rxBytes);
}
