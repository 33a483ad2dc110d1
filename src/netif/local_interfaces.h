// local_interfaces.h: the report's section on the host's Ethernet interfaces.
#pragma once
#include "netif/interface_table.h"

// Lists the interfaces afresh and prints a block for each whose name begins with "eth".
void printLocalInterfaces(InterfaceTable& table);

// One row each of an interface's block, from what the table probed last.
void printAddressRow(InterfaceTable& table);
void printHardwareAddressRow(InterfaceTable& table);
void printNetmaskRow(InterfaceTable& table);
void printStateRow(InterfaceTable& table);
void printBroadcastRow(InterfaceTable& table);
void printMulticastRow(InterfaceTable& table);
void printMtuRow(InterfaceTable& table);
void printPacketsRow(InterfaceTable& table);
void printBytesRow(InterfaceTable& table);
