// local_interfaces.h: the report's section on the host's Ethernet interfaces.
#pragma once
#include <string>

#include "netif/interface_table.h"

// Lists the interfaces afresh and prints a block for each label that begins with "eth" and
// each of its addresses: one block only where the label lists an address more than once.
void printLocalInterfaces(InterfaceTable& table);

// The whole block of the interface that the table probed last: its heading, then its rows.
std::string blockText(const InterfaceTable& table);

// One row each of an interface's block, from what the table probed last.
std::string addressRow(const InterfaceTable& table);
std::string hardwareAddressRow(const InterfaceTable& table);
std::string netmaskRow(const InterfaceTable& table);
std::string stateRow(const InterfaceTable& table);
std::string broadcastRow(const InterfaceTable& table);
std::string multicastRow(const InterfaceTable& table);
std::string mtuRow(const InterfaceTable& table);
std::string packetsRow(const InterfaceTable& table);
std::string bytesRow(const InterfaceTable& table);
