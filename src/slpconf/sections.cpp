// sections.cpp: which property each row of each configuration section shows, and how.
#include "slpconf/sections.h"

#include <libintl.h>
#include <slp.h>

#include "slpconf/rows.h"

void readConfiguration() { (void)SLPGetProperty("net.slp.useScopes"); }

void printSectionHeader(const char* heading) {
  printHeading(heading, {}, Underline::kLabelAndValues);
}

void printOperationalParameters() {
  printSectionHeader(N_("SLP Operational Parameters\t\t\tValues"));
  printYesNoRow(N_("Static Scopes\t\t\t"), "net.slp.useScopes", "default");
  printYesNoRow(N_("Static DAs\t\t\t"), "net.slp.DAAddresses", "");
  printYesNoRow(N_("Use Broadcast for SLP Multicast\t"), "net.slp.isBroadcastOnly", "false");
  printUnitRow(N_("SLP Maximum Transmission Unit\t"), "net.slp.MTU", gettext(" bytes"));
  printUnitRow(N_("SLP Multicast Radius\t\t"), "net.slp.multicastTTL", gettext(" hops"));
}

void printStaticConfiguration() {
  printSectionHeader(N_("Static Scope and Static DA configuration\tValues"));
  printValueRow(N_("Scope list\t\t\t"), "net.slp.useScopes");
  printValueRow(N_("DA IP Addresses\t\t\t"), "net.slp.DAAddresses");
}

void printAgentConfiguration() {
  printSectionHeader(N_("DA, SA, UA Specific Configuration\t\tValues"));
  printYesNoRow(N_("Enable DA server\t\t"), "net.slp.isDA", "false");
  // The heartbeat is stored in seconds already: shown as it stands.
  printUnitRow(N_("SLP Default Registration Lifetime"), "net.slp.DAHeartBeat", secondsText);
  printYesNoRow(N_("Watch Registration PID\t\t"), "net.slp.watchRegistrationPID", "false");
  printValueRow(N_("Maximum results\t\t\t"), "net.slp.maxResults");
}

void printDADiscovery() {
  printSectionHeader(N_("DA Discovery\t\t\t\t\tValues"));
  printYesNoRow(N_("Passive DA Detection\t\t"), "net.slp.passiveDADetection", "false");
  printYesNoRow(N_("Active DA Detection\t\t"), "net.slp.activeDADetection", "false");
  printValueRow(N_("DA Active Discovery Interval\t"), "net.slp.DAActiveDiscoveryInterval");
  printMillisecondsRow(N_("DA Discovery Maximum Wait\t"), "net.slp.DADiscoveryMaximumWait");
  printTimeoutListRow(N_("DA Discovery Timeouts\t\t"), "net.slp.DADiscoveryTimeouts");
}

void printTimers() {
  printSectionHeader(N_("Multicast and Unicast Timers\t\t\tValues"));
  printMillisecondsRow(N_("Multicast Maximum Wait\t\t"), "net.slp.multicastMaximumWait");
  printTimeoutListRow(N_("Multicast Timeouts\t\t"), "net.slp.multicastTimeouts");
  printMillisecondsRow(N_("Unicast Maximum Wait\t\t"), "net.slp.unicastMaximumWait");
  printTimeoutListRow(N_("Unicast Timeouts\t\t"), "net.slp.unicastTimeouts");
}

void printNetworkProperties() {
  printSectionHeader(N_("Network Properties\t\t\t\tValues"));
  printMillisecondsRow(N_("Maximum random wait bound\t"), "net.slp.randomWaitBound");
  printValueRow(N_("Network Interfaces\t\t"), "net.slp.interfaces");
}

void printSecurity() {
  printSectionHeader(N_("Security\t\t\t\t\tValues"));
  printYesNoRow(N_("Enable Security\t\t\t"), "net.slp.securityEnabled", "false");
  printYesNoRow(N_("Source address checking\t\t"), "net.slp.checkSourceAddr", "false");
}

void printTracing() {
  printSectionHeader(N_("Tracing and Logging\t\t\t\tValues"));
  printYesNoRow(N_("DA traffic tracing\t\t"), "net.slp.traceDATraffic", "false");
  printYesNoRow(N_("Registration message logging\t"), "net.slp.traceReg", "false");
  printYesNoRow(N_("Trace all dropped messages\t"), "net.slp.traceDrop", "false");
  printYesNoRow(N_("Verbose message tracing\t\t"), "net.slp.traceMsg", "false");
}
