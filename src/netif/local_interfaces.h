// local_interfaces.h: the report's section on the host's Ethernet interfaces.
#pragma once

#include "netif/interface_table.h"

// Lists the interfaces afresh and prints a block for each label that begins with "eth" and
// each of its addresses: one block only where the label lists an address more than once. A
// section that shows no block while the listing held other interfaces than lo names them in one
// line on standard error, once a run, when standard error is a terminal.
void printLocalInterfaces(InterfaceTable& table);
