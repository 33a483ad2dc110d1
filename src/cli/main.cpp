// main.cpp: tolvane's entry point: reads the switches and prints the selected sections of the
// report, always in the same order.
#include <libintl.h>
#include <tclap/ArgException.h>
#include <tclap/SwitchArg.h>

#include <algorithm>
#include <deque>
#include <iostream>
#include <new>

#include "cli/command_line.h"
#include "layout/row_layout.h"
#include "netif/interface_table.h"
#include "netif/local_interfaces.h"
#include "slpconf/sections.h"
#include "streams/checked_streams.h"

namespace {

struct SectionSwitch {
  const char* flag;
  const char* name;
  const char* description;
  void (*print)();
};

// The configuration sections in the order the report prints them, whatever the order on the
// command line. The local interface section follows them.
constexpr SectionSwitch kConfigurationSwitches[] = {
    {"O", "parameters", N_("Displays configured parameter settings"), printOperationalParameters},
    {"P", "static", N_("Displays information about known SLP Scopes and Directory Agents"),
     printStaticConfiguration},
    {"C", "specConf", N_("Displays DA, SA, UA Specific Configuration"), printAgentConfiguration},
    {"D", "discovery", N_("Displays DA Discovery properties"), printDADiscovery},
    {"T", "timer", N_("Displays Multicast and Unicast Timers"), printTimers},
    {"N", "network", N_("Displays network properties"), printNetworkProperties},
    {"S", "security", N_("Displays security information"), printSecurity},
    {"R", "trace", N_("Displays information about tracing and loging"), printTracing},
};

// A configuration section's switch, with the printer of the section it selects.
class SectionSwitchArg : public TCLAP::SwitchArg {
 public:
  explicit SectionSwitchArg(const SectionSwitch& section)
      : TCLAP::SwitchArg(section.flag, section.name, gettext(section.description), false),
        print(section.print) {}
  void (*const print)();
};

constexpr char kStars[] = "***********************************************************";

void printBanner() {
  printLineEnd();
  printLine(kStars);
  printLine(gettext("***\t\tBrastock Network Client\t\t\t***"));
  printLine(gettext("***\t\tService Location Protocol\t\t***"));
  printLine(kStars);
  printLineEnd();
}

void printBriefUsage() {
  printLine(gettext("Brief USAGE:"));
  printLine("tolvane  [-A] [-I] [-R] [-S] [-N] [-T] [-D] [-C] [-P] [-O] [--]");
  printLine("\t[--version] [-h] ");
}

// Whether the run prints a configuration section.
bool printsConfiguration(const std::deque<SectionSwitchArg>& configurationSwitches,
                         const TCLAP::SwitchArg& allSwitch) {
  return allSwitch.getValue() ||
         std::any_of(configurationSwitches.begin(), configurationSwitches.end(),
                     [](const SectionSwitchArg& section) { return section.getValue(); });
}

// The selected sections in the report's order, whatever the order on the command line.
void printSections(const std::deque<SectionSwitchArg>& configurationSwitches,
                   const TCLAP::SwitchArg& interfaceSwitch, const TCLAP::SwitchArg& allSwitch) {
  InterfaceTable interfaces;
  for (const SectionSwitchArg& section : configurationSwitches) {
    if (section.getValue()) section.print();
  }
  if (interfaceSwitch.getValue()) printLocalInterfaces(interfaces);
  if (allSwitch.getValue()) {
    for (const SectionSwitch& section : kConfigurationSwitches) section.print();
    printLocalInterfaces(interfaces);
  }
}

int run(int argc, char** argv) {
  CommandLine commandLine(
      gettext("Displays diagnostic information for the Service Location Protocol driver"), ' ',
      TOLVANE_VERSION);
  // The parser keeps a pointer to each, so none may move.
  std::deque<SectionSwitchArg> configurationSwitches;
  for (const SectionSwitch& section : kConfigurationSwitches) {
    commandLine.add(configurationSwitches.emplace_back(section));
  }
  TCLAP::SwitchArg interfaceSwitch("I", "interface",
                                   gettext("Displays information about Local Interface"), false);
  commandLine.add(interfaceSwitch);
  TCLAP::SwitchArg allSwitch("A", "all", gettext("Displays all options"), false);
  commandLine.add(allSwitch);

  // A process started without even a program name runs as one started without arguments;
  // the parser needs that first entry.
  if (argc > 0) commandLine.parse(argc, argv);

  // The library's notes on its files come before the report, where a merged standard error
  // shows them apart from it; a run without a configuration section reads no file.
  if (printsConfiguration(configurationSwitches, allSwitch)) readConfiguration();
  printBanner();
  if (argc <= 1) {
    printBriefUsage();
    return kExitSuccess;
  }
  printSections(configurationSwitches, interfaceSwitch, allSwitch);
  return kExitSuccess;
}

}  // namespace

int main(int argc, char** argv) {
  // Before the parser, which may write the help, the version or a failure report and end the
  // process itself.
  useCheckedStandardStreams();
  // Memory running out anywhere ends the run with a reason, so no caller needs to handle it.
  std::set_new_handler(exitOutOfMemory);
  try {
    return run(argc, argv);
  } catch (const TCLAP::ArgException& exception) {
    return reportArgumentException(exception, std::cerr);
  }
}
