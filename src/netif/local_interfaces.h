// local_interfaces.h: the report's section on the host's Ethernet interfaces.
#pragma once

#include "netif/interface_table.h"

// Lists the interfaces afresh and prints a block for each label that begins with "eth" and
// each of its addresses: one block only where the label lists an address more than once.
void printLocalInterfaces(InterfaceTable& table);
