// local_interfaces.h: the report's section on the host's Ethernet interfaces.
#pragma once
#include "netif/interface_table.h"

// Lists the interfaces afresh and prints a block for each whose name begins with "eth".
void printLocalInterfaces(InterfaceTable& table);

// One row each of an interface's block, from what the table probed last.
void printAddressRow(const InterfaceTable& table);
void printHardwareAddressRow(const InterfaceTable& table);
void printNetmaskRow(const InterfaceTable& table);
void printStateRow(const InterfaceTable& table);
void printBroadcastRow(const InterfaceTable& table);
void printMulticastRow(const InterfaceTable& table);
void printMtuRow(const InterfaceTable& table);
void printPacketsRow(const InterfaceTable& table);
void printBytesRow(const InterfaceTable& table);
