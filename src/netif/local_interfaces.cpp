// local_interfaces.cpp: prints a block of addresses, state and traffic for each eth interface.
#include "netif/local_interfaces.h"

#include <libintl.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>

#include "layout/row_layout.h"

namespace {

// Exactly the three bytes, so eth0:1 and a bare eth pass and ETH0 does not.
bool isEthernetName(const char* name) { return std::memcmp(name, "eth", 3) == 0; }

// The report's own text, whose tab separates its two columns.
std::string trafficColumns(std::uint64_t sent, std::uint64_t received) {
  return gettext("Out: ") + std::to_string(sent) + gettext("\tIn: ") + std::to_string(received);
}

}  // namespace

void printLocalInterfaces(InterfaceTable& table) {
  table.enumerate();
  // The kernel, asked by label and address, answers for the first of the label's records with
  // that address: a later one (the same address with another prefix, or moved to another
  // device under the same label) would show that first record's block again.
  std::set<std::pair<std::string, std::string>> shown;
  for (std::int32_t index = 0; index < table.count(); ++index, table.next()) {
    // Probed and made whole before anything of it is written, so that neither a fatal probe
    // nor memory running out leaves half a block. A record that went since the listing gets
    // no block.
    if (isEthernetName(table.currentRecord().ifr_name) && table.probe() &&
        shown.emplace(table.name(), table.address()).second) {
      printLines(blockText(table));
    }
  }
  table.closeSocket();
}

std::string blockText(const InterfaceTable& table) {
  return headingText(N_("Local Interface\t\t"), table.name(), Underline::kLabel) +
         addressRow(table) + hardwareAddressRow(table) + netmaskRow(table) + stateRow(table) +
         broadcastRow(table) + multicastRow(table) + mtuRow(table) + packetsRow(table) +
         bytesRow(table);
}

std::string addressRow(const InterfaceTable& table) {
  return rowText(N_("IP address\t\t"), table.address());
}

std::string hardwareAddressRow(const InterfaceTable& table) {
  return rowText(N_("MAC address\t\t"), table.hardwareAddress());
}

std::string netmaskRow(const InterfaceTable& table) {
  return rowText(N_("Network Mask\t\t"), table.netmask());
}

std::string stateRow(const InterfaceTable& table) {
  return rowText(N_("Operational state\t"), table.isUp() ? gettext("UP") : gettext("DOWN"));
}

std::string broadcastRow(const InterfaceTable& table) {
  return rowText(N_("Broadcast address valid\t"), yesNo(table.isBroadcast()));
}

std::string multicastRow(const InterfaceTable& table) {
  return rowText(N_("Supports multicast\t"), yesNo(table.isMulticast()));
}

std::string mtuRow(const InterfaceTable& table) {
  return rowText(N_("Maximum transmission unit"), std::to_string(table.mtu()));
}

std::string packetsRow(const InterfaceTable& table) {
  const TrafficCounters& counters = table.trafficCounters();
  return rowText(N_("Total packets:\t\t"), {}, trafficColumns(counters.txPackets, counters.rxPackets));
}

std::string bytesRow(const InterfaceTable& table) {
  const TrafficCounters& counters = table.trafficCounters();
  return rowText(N_("Total bytes:\t\t"), {}, trafficColumns(counters.txBytes, counters.rxBytes));
}
