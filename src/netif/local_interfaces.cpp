// local_interfaces.cpp: prints a block of addresses, state and traffic for each eth interface.
#include "netif/local_interfaces.h"

#include <libintl.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <iostream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "layout/row_layout.h"
#include "streams/terminal_text.h"

namespace {

// Exactly the three bytes, so eth0:1 and a bare eth pass and ETH0 does not.
bool isEthernetName(const char* name) { return std::memcmp(name, "eth", 3) == 0; }

std::string_view nameOf(const ifreq& record) {
  return {record.ifr_name, strnlen(record.ifr_name, IFNAMSIZ)};
}

// A block's label and address, as the listing gave them: the probe shows a record only when
// it finds that address under that label.
struct BlockKey {
  char name[IFNAMSIZ] = {};
  std::uint32_t address = 0;

  explicit BlockKey(const ifreq& record) {
    std::memcpy(name, record.ifr_name, nameOf(record).size());
    sockaddr_in inet;
    std::memcpy(&inet, &record.ifr_addr, sizeof inet);
    address = inet.sin_addr.s_addr;
  }
  bool operator<(const BlockKey& other) const {
    const int names = std::memcmp(name, other.name, sizeof name);
    return names < 0 || (names == 0 && address < other.address);
  }
};

// The section's texts, each looked up once a run: a run never changes its locale.
struct SectionTexts {
  const char* heading = gettext("Local Interface\t\t");
  const char* address = gettext("IP address\t\t");
  const char* hardwareAddress = gettext("MAC address\t\t");
  const char* netmask = gettext("Network Mask\t\t");
  const char* state = gettext("Operational state\t");
  const char* broadcast = gettext("Broadcast address valid\t");
  const char* multicast = gettext("Supports multicast\t");
  const char* mtu = gettext("Maximum transmission unit");
  const char* packets = gettext("Total packets:\t\t");
  const char* bytes = gettext("Total bytes:\t\t");
  const char* up = gettext("UP");
  const char* down = gettext("DOWN");
  const char* out = gettext("Out: ");
  const char* in = gettext("\tIn: ");  // the report's own tab, between its two columns
};

// Looked up by the first section that runs, once a run.
const SectionTexts& sectionTexts() {
  static const SectionTexts texts;
  return texts;
}

// What the blocks of a section are made in: one buffer each, reused block after block.
class BlockText {
 public:
  // The whole block of the interface that the table probed last: its heading, then its rows.
  const std::string& of(const InterfaceTable& table) {
    block.clear();
    appendHeading(block, texts.heading, table.name(), Underline::kLabel);
    appendRow(block, texts.address, table.address());
    appendRow(block, texts.hardwareAddress, table.hardwareAddress());
    appendRow(block, texts.netmask, table.netmask());
    appendRow(block, texts.state, table.isUp() ? texts.up : texts.down);
    appendRow(block, texts.broadcast, yesNo(table.isBroadcast()));
    appendRow(block, texts.multicast, yesNo(table.isMulticast()));
    char digits[16];
    appendRow(block, texts.mtu, decimal(table.mtu(), digits));
    const TrafficCounters& counters = table.trafficCounters();
    appendRow(block, texts.packets, {}, trafficColumns(counters.txPackets, counters.rxPackets));
    appendRow(block, texts.bytes, {}, trafficColumns(counters.txBytes, counters.rxBytes));
    return block;
  }

 private:
  template <typename Integer, std::size_t size>
  static std::string_view decimal(Integer value, char (&digits)[size]) {
    const char* const end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
    return {digits, static_cast<std::size_t>(end - digits)};
  }

  // The report's own text: the totals sent, then received.
  std::string_view trafficColumns(std::uint64_t sent, std::uint64_t received) {
    char digits[20];  // 2^64 - 1 has twenty
    columns = texts.out;
    columns += decimal(sent, digits);
    columns += texts.in;
    columns += decimal(received, digits);
    return columns;
  }

  const SectionTexts& texts = sectionTexts();
  std::string block;
  std::string columns;
};

// Each name once, in listing order: the names of the listing that the "eth" rule left out,
// less lo's, which no one expects in the section.
std::vector<std::string_view> namesLeftOut(const InterfaceTable& table) {
  std::vector<std::string_view> names;
  std::set<std::string_view> seen;
  for (std::int32_t index = 0; index < table.count(); ++index) {
    const ifreq& record = table.recordAt(index);
    const std::string_view name = nameOf(record);
    if (!isEthernetName(record.ifr_name) && name != "lo" && seen.insert(name).second) {
      names.push_back(name);
    }
  }
  return names;
}

// `text` with its field `{name}` replaced by `value`.
std::string filled(std::string_view text, std::string_view field, std::string_view value) {
  std::string result(text);
  const std::size_t at = result.find(field);
  if (at != std::string::npos) result.replace(at, field.size(), value);
  return result;
}

// One line: the rule, and the first names left out, so that the line stays short.
std::string hintLine(const std::vector<std::string_view>& names) {
  constexpr std::size_t kNamesShown = 8;
  std::string list;
  for (std::size_t i = 0; i < std::min(names.size(), kNamesShown); ++i) {
    if (i > 0) list += ", ";
    list += shownOnTerminal(names[i]);
  }
  if (names.size() > kNamesShown) {
    const std::size_t more = names.size() - kNamesShown;
    list += filled(ngettext(", ... and {count} more", ", ... and {count} more", more), "{count}",
                   std::to_string(more));
  }
  return "tolvane: " +
         filled(gettext("the interface section shows only names that begin with \"eth\"; not "
                        "shown: {names} (see LIMITS AND CAVEATS in man tolvane)"),
                "{names}", list) +
         '\n';
}

// Why a section shows no block, for a person at a terminal only: cron mails every byte of
// standard error, and the rule is the report's. Once a run, though the section may run twice.
void explainEmptySection(const InterfaceTable& table) {
  static bool explained = false;
  if (explained || isatty(STDERR_FILENO) != 1) return;
  const std::vector<std::string_view> names = namesLeftOut(table);
  if (names.empty()) return;
  explained = true;
  std::cerr << hintLine(names);
}

}  // namespace

void printLocalInterfaces(InterfaceTable& table) {
  table.enumerate();
  // The kernel, asked by label and address, answers for the first of the label's records with
  // that address: a later one (the same address with another prefix, or moved to another
  // device under the same label) would show that first record's block again.
  std::set<BlockKey> shown;
  BlockText blockText;
  for (std::int32_t index = 0; index < table.count(); ++index, table.next()) {
    // Probed and made whole before anything of it is written, so that neither a fatal probe
    // nor memory running out leaves half a block. A record that went since the listing gets
    // no block.
    const ifreq listed = table.currentRecord();
    if (isEthernetName(listed.ifr_name) && table.probe() && shown.emplace(listed).second) {
      printLines(blockText.of(table));
    }
  }
  table.closeSocket();
  if (shown.empty()) explainEmptySection(table);
}
