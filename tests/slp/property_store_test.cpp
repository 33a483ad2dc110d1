// property_store_test.cpp: the built-in store's defaults, file format and layering.
#include "slp/property_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/memory_limit.h"
#include "support/process.h"
#include "support/temp_file.h"

namespace {

using namespace std::string_literals;  // "..."s keeps NUL bytes inside a case's text

std::string shown(const char* value) {
  return value == nullptr ? "(null)" : "\"" + std::string(value) + "\"";
}

// The notes, a line each, with `path` written PATH.
std::string shown(const StoreNotes& notes, const std::string& path) {
  std::string text;
  for (std::string note : notes) {
    for (std::size_t at = 0; !path.empty() && (at = note.find(path, at)) != std::string::npos;) {
      note.replace(at, path.size(), "PATH");
    }
    text += note + "\n";
  }
  return text;
}

const std::string kWrongCase = " (names are case-sensitive); this line sets nothing\n";
const std::string kTooLong = ": longer than 64 KiB; this line sets nothing\n";
const std::string kNoEquals = ": no \"=\" and not a comment; this line sets nothing\n";

// The note of line 1 of a file: `name` set to `piece`, a number, a yes or no or a piece of a
// list as `name` has it, which the library reads as `reading`.
std::string misread(const std::string& name, const std::string& piece, const std::string& reading) {
  const bool list = name.find("Timeouts") != std::string::npos;
  const bool yesNo = reading == "true" || reading == "false";
  return "tolvane: PATH:1: " + name + (list ? ": \"" : " = \"") + piece +
         (list    ? "\" in the list is not a whole number"
          : yesNo ? "\" is neither true nor false"
                  : "\" is not a whole number") +
         (yesNo ? "" : " from 0 to 2147483647") + "; the SLP library reads " + reading + "\n";
}

// The note of line 1 of a file: `name`, one or two slips away from `known`.
std::string nearMiss(const std::string& name, const std::string& known) {
  return "tolvane: PATH:1: " + name + " is not a setting (did you mean " + known +
         "?); this line sets nothing\n";
}

}  // namespace

TEST(PropertyStore, HoldsTheDefaults) {
  const struct {
    const char* key;
    const char* value;
  } cases[] = {
      {"net.slp.isBroadcastOnly", "false"},
      {"net.slp.multicastTimeouts", "500,750,1000,1500,2000,3000"},
      {"net.slp.multicastMaximumWait", "5000"},
      {"net.slp.unicastTimeouts", "500,750,1000,1500,2000,3000"},
      {"net.slp.unicastMaximumWait", "5000"},
      {"net.slp.datagramTimeouts", ""},
      {"net.slp.maxResults", "256"},
      {"net.slp.DADiscoveryTimeouts", "500,750,1000,1500,2000,3000"},
      {"net.slp.DADiscoveryMaximumWait", "2000"},
      {"net.slp.DAActiveDiscoveryInterval", "1"},
      {"net.slp.DAAddresses", ""},
      {"net.slp.watchRegistrationPID", "true"},
      {"net.slp.activeDADetection", "true"},
      {"net.slp.passiveDADetection", "true"},
      {"net.slp.useScopes", "default"},
      {"net.slp.locale", "en"},
      {"net.slp.randomWaitBound", "5000"},
      {"net.slp.interfaces", ""},
      {"net.slp.securityEnabled", "false"},
      {"net.slp.multicastTTL", "8"},
      {"net.slp.MTU", "1400"},
      {"net.slp.traceMsg", "false"},
      {"net.slp.traceReg", "false"},
      {"net.slp.traceDrop", "false"},
      {"net.slp.traceDATraffic", "false"},
      {"net.slp.isDA", "false"},
      {"net.slp.DAHeartBeat", "10800"},
      {"net.slp.checkSourceAddr", "true"},
      // Keys the library does not know have no value, not an empty one.
      {"net.slp.mtu", nullptr},
      {"net.slp.useScope", nullptr},
      {"", nullptr},
  };
  const PropertyStore store;
  for (const auto& c : cases) {
    EXPECT_EQ(shown(c.value), shown(store.find(c.key))) << c.key;
  }
}

TEST(PropertyStore, ReadsTheFileFormat) {
  // A line of 64 KiB exactly, newline not counted.
  const std::string longestScopes(65536 - 20, 's');
  const std::string longest = "net.slp.useScopes = " + longestScopes;
  const auto repeated = [](const std::string& text, int times) {
    std::string all;
    while (times-- > 0) all += text;
    return all;
  };
  const std::string longValue = "x" + repeated("\xc3\xa9", 1500);  // x, then 1,500 e-acutes
  std::string elevenMtu, tenMtuNotes;
  for (int line = 1; line <= 11; ++line) {
    elevenMtu += "net.slp.mtu = 1\n";
    if (line <= 10)
      tenMtuNotes +=
          "tolvane: PATH:" + std::to_string(line) + ": net.slp.mtu is not net.slp.MTU" + kWrongCase;
  }
  const struct {
    std::string text;
    const char* key;
    const char* expected;  // nullptr: the store has no value for the key
    std::string notes;     // what the store notes, a line each
  } cases[] = {
      {"net.slp.useScopes = SALES, ENGINEERING\n", "net.slp.useScopes", "SALES, ENGINEERING", ""},
      {" \t net.slp.locale=de\n", "net.slp.locale", "de", ""},
      {"net.slp.locale \t= \tde \t\r\n", "net.slp.locale", "de", ""},
      // comments
      {"# net.slp.locale = de\n", "net.slp.locale", "en", ""},
      {"# net.slp.locale = de\n", "# net.slp.locale", nullptr, ""},
      {"  ; net.slp.locale = de\n", "net.slp.locale", "en", ""},
      {"  ; net.slp.locale = de\n", "; net.slp.locale", nullptr, ""},
      {"\t#net.slp.locale = de", "net.slp.locale", "en", ""},
      // the first = splits; the value keeps = # ; of its own
      {"net.slp.useScopes = a;b # c\n", "net.slp.useScopes", "a;b # c", ""},
      {"net.slp.DAAddresses = x=y==\n", "net.slp.DAAddresses", "x=y==", ""},
      {"net.slp.DAAddresses== 10.0.0.5\n", "net.slp.DAAddresses", "= 10.0.0.5", ""},
      // lines that set nothing
      {"net.slp.locale de\n", "net.slp.locale", "en", "tolvane: PATH:1" + kNoEquals},
      {"net.slp.locale de\n", "net.slp.locale de", nullptr, "tolvane: PATH:1" + kNoEquals},
      {"=de\n", "", nullptr, ""},
      {"   = de\nnet.slp.MTU = 900\n", "net.slp.MTU", "900", ""},
      {"=", "", nullptr, ""},
      {"net.slp.isDA =\n", "net.slp.isDA", "false", ""},
      {"net.slp.locale = de\nnet.slp.locale = \t \r\n", "net.slp.locale", "de", ""},
      {"\n\n   \n\t\n", "net.slp.locale", "en", ""},
      // names are case-sensitive, only those with defaults are kept; a later line wins
      {"NET.SLP.ISDA = true\n", "net.slp.isDA", "false",
       "tolvane: PATH:1: NET.SLP.ISDA is not net.slp.isDA" + kWrongCase},
      {"NET.SLP.ISDA = true\n", "NET.SLP.ISDA", nullptr,
       "tolvane: PATH:1: NET.SLP.ISDA is not net.slp.isDA" + kWrongCase},
      {"#\n\n a\nnet.slp.mtu \t= 1\nnet.slp.mtu =\nnet.slp.abc = 1\n", "net.slp.MTU", "1400",
       "tolvane: PATH:3" + kNoEquals + "tolvane: PATH:4: net.slp.mtu is not net.slp.MTU" +
           kWrongCase},
      {"\xef\xbb\xbfnet.slp.mtU = 1\n" + elevenMtu, "net.slp.MTU", "1400",
       "tolvane: PATH:1: net.slp.mtU is not net.slp.MTU" + kWrongCase +
           tenMtuNotes.substr(tenMtuNotes.find('\n') + 1) +
           "tolvane: PATH: 2 more lines with a note, not shown\n"},
      {"net.slp.MTU = 1000\nnet.slp.MTU = 1200\n", "net.slp.MTU", "1200", ""},
      {"net.slp.MTU = 1000\nnet.slp.MTU = 900", "net.slp.MTU", "900", ""},
      {"net.slp.extra = 1\n", "net.slp.extra", nullptr, ""},
      // a line of up to 64 KiB is read whole (a byte-order mark not counted); a longer one sets
      // nothing, the line after it does, and the tail of a long comment is no line of its own
      {longest + "\n", "net.slp.useScopes", longestScopes.c_str(), ""},
      {"\xef\xbb\xbf" + longest, "net.slp.useScopes", longestScopes.c_str(), ""},
      {longest + "\r\nnet.slp.MTU = 900\n", "net.slp.useScopes", "default",
       "tolvane: PATH:1" + kTooLong},
      {longest + "\r\nnet.slp.MTU = 900\n", "net.slp.MTU", "900", "tolvane: PATH:1" + kTooLong},
      {"#" + std::string(70000, ' ') + "net.slp.locale = de\n", "net.slp.locale", "en",
       "tolvane: PATH:1" + kTooLong},
      // its end, far past the bound, reads as a setting
      {"#" + std::string(80000, ' ') + "net.slp.useScopes = EVIL\n", "net.slp.useScopes", "default",
       "tolvane: PATH:1" + kTooLong},
      // bytes that are not text
      {"net.slp.locale = de \0xx\n"s, "net.slp.locale", "de", ""},
      {"net.slp.locale = \0de\n"s, "net.slp.locale", "en", ""},
      {"net.slp.useScopes = \0SALES\0\n"s, "net.slp.useScopes", "default", ""},  // the first NUL
      {"net.slp.locale = d\0e\nnet.slp.MTU = 999\n"s, "net.slp.MTU", "999", ""},
      {"\0net.slp.locale = de\n"s, "net.slp.locale", "en", ""},
      {"net.slp.useScopes = \xa0\xc3\xa9t\xe9\xff\xa0\n", "net.slp.useScopes",
       "\xa0\xc3\xa9t\xe9\xff\xa0", ""},
      {"net.slp.locale\xff = x\n", "net.slp.locale", "en",
       nearMiss("net.slp.locale\xff", "net.slp.locale")},
      // every control byte is white space, DEL is not; a byte-order mark opens a file only
      {"\x01net.slp.locale\x1f=\x1b de\x02\x7f\x1e\n", "net.slp.locale", "de\x02\x7f", ""},
      {"\xef\xbb\xbfnet.slp.locale = de\n", "net.slp.locale", "de", ""},
      {"\n\xef\xbb\xbfnet.slp.locale = de\n", "net.slp.locale", "en", ""},
      {std::string(8191, '#') + "\n\xef\xbb\xbfnet.slp.locale = de\n", "net.slp.locale", "en", ""},
      {std::string(8190, '#') + "\nnet.slp.mtu = 1\n", "net.slp.MTU", "1400",
       "tolvane: PATH:2: net.slp.mtu is not net.slp.MTU" + kWrongCase},
      // a value the library reads otherwise is kept as written, and noted with its reading
      {"net.slp.MTU = abc\n", "net.slp.MTU", "abc", misread("net.slp.MTU", "abc", "0")},
      {"net.slp.MTU = 1400 bytes\n", "net.slp.MTU", "1400 bytes",
       misread("net.slp.MTU", "1400 bytes", "1400")},
      {"net.slp.randomWaitBound = 1.5e4\n", "net.slp.randomWaitBound", "1.5e4",
       misread("net.slp.randomWaitBound", "1.5e4", "1")},
      {"net.slp.DAHeartBeat = 0x10\n", "net.slp.DAHeartBeat", "0x10",
       misread("net.slp.DAHeartBeat", "0x10", "0")},
      {"net.slp.maxResults = -1\n", "net.slp.maxResults", "-1",
       misread("net.slp.maxResults", "-1", "-1")},
      {"net.slp.multicastTTL = 2147483648\n", "net.slp.multicastTTL", "2147483648",
       misread("net.slp.multicastTTL", "2147483648", "-2147483648")},
      {"net.slp.multicastTTL = 0002147483647\n", "net.slp.multicastTTL", "0002147483647", ""},
      {"net.slp.multicastTimeouts = 500;750\n", "net.slp.multicastTimeouts", "500;750",
       misread("net.slp.multicastTimeouts", "500;750", "500")},
      {"net.slp.unicastTimeouts = 500,,750\n", "net.slp.unicastTimeouts", "500,,750",
       misread("net.slp.unicastTimeouts", "", "0")},
      {"net.slp.DADiscoveryTimeouts = 500, 750 ,nan\n", "net.slp.DADiscoveryTimeouts",
       "500, 750 ,nan", misread("net.slp.DADiscoveryTimeouts", "nan", "0")},
      {"net.slp.datagramTimeouts = 1, 2,3 \n", "net.slp.datagramTimeouts", "1, 2,3", ""},
      {"net.slp.isDA = on\n", "net.slp.isDA", "on", misread("net.slp.isDA", "on", "false")},
      {"net.slp.traceMsg = 1000\n", "net.slp.traceMsg", "1000",
       misread("net.slp.traceMsg", "1000", "true")},
      {"net.slp.isDA = TRUE\nnet.slp.traceMsg = No\nnet.slp.traceReg = 0\n", "net.slp.isDA", "TRUE",
       ""},
      {"net.slp.useScopes = 1.5e4\n", "net.slp.useScopes", "1.5e4", ""},
      // a value too long for a line a person reads keeps its two ends, whole characters each
      {"net.slp.MTU = " + longValue + "\n", "net.slp.MTU", longValue.c_str(),
       misread("net.slp.MTU", "x" + repeated("\xc3\xa9", 254) + "..." + repeated("\xc3\xa9", 255),
               "0")},
      // a name one or two slips away from a setting's, with or without the prefix
      {"net.slp.useScope = x\n", "net.slp.useScopes", "default",
       nearMiss("net.slp.useScope", "net.slp.useScopes")},
      {"net.slp.MTUs = 1\n", "net.slp.MTU", "1400", nearMiss("net.slp.MTUs", "net.slp.MTU")},
      {"net.slp.DAAdresses = x\n", "net.slp.DAAddresses", "",
       nearMiss("net.slp.DAAdresses", "net.slp.DAAddresses")},
      {"net.slp.mutlicastTimeout = 1\n", "net.slp.multicastTimeouts", "500,750,1000,1500,2000,3000",
       nearMiss("net.slp.mutlicastTimeout", "net.slp.multicastTimeouts")},
      {"useScopes = x\n", "net.slp.useScopes", "default",
       nearMiss("useScopes", "net.slp.useScopes")},
      {"Net.Slq.mtu = 1\n", "net.slp.MTU", "1400", nearMiss("Net.Slq.mtu", "net.slp.MTU")},
      // settings the report does not show, and names far from every one, stay silent
      {"net.slp.port = 427\nnet.slp.useIPv6 = true\nnet.slp.DAAttributes = x\nMTUMTU = 1\n",
       "net.slp.port", nullptr, ""},
      // a long line after a short one, both in what one read can bring
      {"net.slp.MTU = 900\nnet.slp.useScopes = " + std::string(70000, 's') + "\n",
       "net.slp.useScopes", "default", "tolvane: PATH:2" + kTooLong},
  };
  const TempDir dir;
  for (const auto& c : cases) {
    PropertyStore store;
    StoreNotes notes;
    const std::string path = dir.write("slp.conf", c.text);
    store.loadFile(path.c_str(), NamedBy::kOpenSLPConfig, notes);
    EXPECT_EQ(shown(c.expected), shown(store.find(c.key)))
        << "key \"" << c.key << "\" from file text \"" << c.text.substr(0, 80) << "\"";
    EXPECT_EQ(c.notes, shown(notes, path)) << "file text \"" << c.text.substr(0, 80) << "\"";
  }
}

TEST(PropertyStore, LayersDefaultsGlobalFileAndOverride) {
  const TempDir dir;
  const std::string global = dir.write("global.conf",
                                       "net.slp.useScopes = SALES\n"
                                       "net.slp.DAAddresses = 10.0.0.5\n");
  const std::string override = dir.write("override.conf",
                                         "net.slp.DAAddresses = 10.0.0.9\n"
                                         "net.slp.isDA = true\n");
  const std::string missing = dir.path("missing.conf");
  const std::string link = dir.path("link.conf");
  std::filesystem::create_symlink(global, link);
  const std::string directory = dir.path("conf.d");
  std::filesystem::create_directory(directory);
  // Without a writer, opening it to read would wait for one. What its writer left in it stays
  // while `fifoKept` is open: a reader would take it, and then an end of file.
  const std::string fifo = dir.path("fifo");
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  const int fifoKept = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  const int fifoWriter = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
  ASSERT_EQ(25, write(fifoWriter, "net.slp.useScopes = FIFO\n", 25));
  close(fifoWriter);
  // A device with a setting to read, then an end of file (^D): a terminal, as its keyboard
  // would give them.
  const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(terminal >= 0 && grantpt(terminal) == 0 && unlockpt(terminal) == 0);
  const std::string device = ptsname(terminal);
  ASSERT_EQ(25, write(terminal, "net.slp.useScopes = TTY\n\x04", 25));
  // Opening a path beneath a plain file fails even for root, who can read any file.
  const std::string beneathFile = global + "/slp.conf";
  // A link is followed to what it names, a regular file or not.
  const std::string linkToOverride = dir.path("override.link"), linkToFifo = dir.path("fifo.link"),
                    linkToDevice = dir.path("device.link"), dangling = dir.path("dangling.link");
  std::filesystem::create_symlink(override, linkToOverride);
  std::filesystem::create_symlink(fifo, linkToFifo);
  std::filesystem::create_symlink(device, linkToDevice);
  std::filesystem::create_symlink(missing, dangling);
  const std::string notRead = "; its settings are not in the report\n";
  const std::string named = ": no such file (named by OpenSLPConfig)" + notRead;
  // Opening a device or a FIFO may itself act (allocate a terminal, release a writer): the
  // store never opens either.
  const int opens = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_LE(0, inotify_add_watch(opens, fifo.c_str(), IN_OPEN));
  ASSERT_LE(0, inotify_add_watch(opens, device.c_str(), IN_OPEN));

  const struct {
    std::string global;
    const char* override;
    const char* scopes;
    const char* daAddresses;
    const char* isDA;
    std::string notes;  // what the store notes, a line each
  } cases[] = {
      {global, nullptr, "SALES", "10.0.0.5", "false", ""},
      {link, nullptr, "SALES", "10.0.0.5", "false", ""},
      {global, override.c_str(), "SALES", "10.0.0.9", "true", ""},
      {missing, override.c_str(), "default", "10.0.0.9", "true", ""},
      {directory, override.c_str(), "default", "10.0.0.9", "true",
       "tolvane: " + directory + ": not a regular file (a directory)" + notRead},
      {beneathFile, override.c_str(), "default", "10.0.0.9", "true",
       "tolvane: " + beneathFile + ": cannot be read (Not a directory)" + notRead},
      {global, missing.c_str(), "SALES", "10.0.0.5", "false", "tolvane: " + missing + named},
      {global, directory.c_str(), "SALES", "10.0.0.5", "false",
       "tolvane: " + directory + ": not a regular file (a directory)" + notRead},
      {global, beneathFile.c_str(), "SALES", "10.0.0.5", "false",
       "tolvane: " + beneathFile + ": cannot be read (Not a directory)" + notRead},
      {fifo, override.c_str(), "default", "10.0.0.9", "true",
       "tolvane: " + fifo + ": not a regular file (a FIFO)" + notRead},
      {global, fifo.c_str(), "SALES", "10.0.0.5", "false",
       "tolvane: " + fifo + ": not a regular file (a FIFO)" + notRead},
      {global, device.c_str(), "SALES", "10.0.0.5", "false",
       "tolvane: " + device + ": not a regular file (a device)" + notRead},
      {global, "", "SALES", "10.0.0.5", "false", ""},
      {missing, nullptr, "default", "", "false", ""},
      // a global file that is a link to nothing is a broken installation
      {dangling, linkToOverride.c_str(), "default", "10.0.0.9", "true",
       "tolvane: " + dangling + ": a symbolic link to " + missing + ", which does not exist" +
           notRead},
      {global, dangling.c_str(), "SALES", "10.0.0.5", "false", "tolvane: " + dangling + named},
      // A regular file whose first read fails.
      {global, "/proc/self/mem", "SALES", "10.0.0.5", "false",
       "tolvane: /proc/self/mem: cannot be read (Input/output error)" + notRead},
      {linkToFifo, linkToDevice.c_str(), "default", "", "false",
       "tolvane: " + linkToFifo + ": not a regular file (a FIFO)" + notRead +
           "tolvane: " + linkToDevice + ": not a regular file (a device)" + notRead},
  };
  for (const auto& c : cases) {
    StoreNotes notes;
    const PropertyStore store = loadPropertyStore(c.global.c_str(), c.override, notes);
    const std::string context =
        "global " + c.global + ", override " + (c.override ? c.override : "(not set)");
    EXPECT_EQ(shown(c.scopes), shown(store.find("net.slp.useScopes"))) << context;
    EXPECT_EQ(shown(c.daAddresses), shown(store.find("net.slp.DAAddresses"))) << context;
    EXPECT_EQ(shown(c.isDA), shown(store.find("net.slp.isDA"))) << context;
    EXPECT_EQ(shown("1400"), shown(store.find("net.slp.MTU"))) << context;
    EXPECT_EQ(c.notes, shown(notes, "")) << context;
  }
  inotify_event event;
  EXPECT_EQ(-1, read(opens, &event, sizeof event)) << "opened: watch " << event.wd;
  close(opens);
  close(terminal);
  close(fifoKept);
}

TEST(PropertyStore, ReadsFilesLargerThanTheMemoryLeft) {
  SKIP_UNLESS_ADDRESS_SPACE_CAN_RUN_OUT();
  // 32 MiB of text in lines of 100 bytes (line(i) is line i), with 16 MiB of memory to spare.
  const TempDir dir;
  const auto large = [&dir](const std::string& name, const std::string& head, const auto& line,
                            const std::string& tail) {
    std::ofstream out(dir.path(name), std::ios::binary);
    out << head;
    for (int i = 0; i < (32 << 20) / 100; ++i) out << line(i);
    out << tail;
    return dir.path(name);
  };
  const auto comment = [](int) { return std::string(99, '#') + "\n"; };
  const auto scopes = [](int) { return std::string(100, 's'); };
  const auto unknownKey = [](int i) {
    return "net.slp.x" + std::to_string(1000000000 + i) + std::string(78, 'x') + "=1\n";
  };
  const auto wrongCase = [](int) { return "net.slp.mtu =" + std::string(85, ' ') + "1\n"; };
  // A setting, then NULs up to `size` bytes that take no room on the disk.
  const auto sparse = [&dir](const std::string& name, std::uintmax_t size,
                             const std::string& setting = "net.slp.MTU = 900\n") {
    const std::string path = dir.write(name, setting);
    std::filesystem::resize_file(path, size);
    return path;
  };
  const std::string overLimit = "tolvane: PATH: larger than 64 MiB; none of it is used\n";
  std::string caseNotes;
  for (int line = 1; line <= 10; ++line) {
    caseNotes +=
        "tolvane: PATH:" + std::to_string(line) + ": net.slp.mtu is not net.slp.MTU" + kWrongCase;
  }
  const struct {
    std::string path;
    const char* mtu;    // what the store holds after reading the file
    std::string notes;  // what the store notes, a line each
  } cases[] = {
      // Read line by line, comments need no more than a line's memory.
      {large("comments.conf", "", comment, "net.slp.MTU = 900\n"), "900", ""},
      // A line over the length limit is skipped without being kept, however long.
      {large("scopes.conf", "net.slp.useScopes = ", scopes, "\nnet.slp.MTU = 900\n"), "900",
       "tolvane: PATH:1" + kTooLong},
      // Keys without a default are forgotten, so that many of them cost nothing.
      {large("unknown.conf", "", unknownKey, "net.slp.MTU = 900\n"), "900", ""},
      // Notes past the tenth are counted, not kept.
      {large("case.conf", "", wrongCase, "net.slp.MTU = 900\n"), "900",
       caseNotes + "tolvane: PATH: 335534 more lines with a note, not shown\n"},
      // Read to the 64 MiB limit; one byte more and it is dropped whole, its setting too, as
      // when a read fails part-way.
      {sparse("limit.conf", 64 << 20), "900", "tolvane: PATH:2" + kTooLong},
      {sparse("over.conf", (64 << 20) + 1), "1400", overLimit},
      {sparse("further.conf", (64 << 20) + 2), "1400", overLimit},
      // A file dropped whole is noted for itself, not for its lines.
      {sparse("over-case.conf", (64 << 20) + 1, "net.slp.mtu = 900\n"), "1400", overLimit},
  };
  for (const auto& c : cases) {
    const auto loadWithLittleMemory = [&c] {
      limitAddressSpace(16 << 20);
      PropertyStore store;
      StoreNotes notes;
      store.loadFile(c.path.c_str(), NamedBy::kOpenSLPConfig, notes);
      std::exit(shown(c.mtu) == shown(store.find("net.slp.MTU")) && shown(notes, c.path) == c.notes
                    ? 0
                    : 1);
    };
    EXPECT_EXIT(loadWithLittleMemory(), testing::ExitedWithCode(0), "") << c.path;
  }
}

TEST(PropertyStore, OpensNothingByPathWithoutTheKernelsProc) {
  if (access("/etc/slp.conf", F_OK) == 0) GTEST_SKIP() << "/etc/slp.conf changes the defaults";
  if (kBuiltWithAddressSanitizer) {
    GTEST_SKIP() << "the sanitizers' runtime needs the kernel's /proc; the plain build runs this";
  }
  const ProcessResult probe = runShell("unshare -m sh -c 'mount -t tmpfs none /proc'");
  if (probe.exitStatus != 0) {
    GTEST_SKIP() << "a mount namespace with a tmpfs over /proc is not permitted here: "
                 << probe.err;
  }
  const TempDir dir;
  const std::string file = dir.write("slp.conf", "net.slp.MTU = 900\n");
  const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(terminal >= 0 && grantpt(terminal) == 0 && unlockpt(terminal) == 0);
  const std::string device = ptsname(terminal);
  const int opens = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_LE(0, inotify_add_watch(opens, device.c_str(), IN_OPEN));
  const std::string defaults = runProgram(TOLVANE_BINARY, {"-O"}, {"OpenSLPConfig="}).out;
  // A /proc that is not the kernel's, empty or with its descriptors' links naming a device,
  // reopens nothing: the file is skipped with its note, and nothing else is opened.
  const std::string links = "mkdir -p /proc/self/fd; for n in 3 4 5 6 7 8 9; do ln -s " + device +
                            " /proc/self/fd/$n; done; ";
  for (const std::string& fill : {std::string(), links}) {
    const ProcessResult result = runShell(
        "unshare -m sh -ec 'mount -t tmpfs none /proc; " + fill + "exec \"$0\" -O' " TOLVANE_BINARY,
        {"OpenSLPConfig=" + file});
    EXPECT_EQ(0, result.exitStatus) << fill;
    EXPECT_EQ(defaults, result.out) << fill;
    EXPECT_EQ("tolvane: " + file +
                  ": cannot be opened safely without the kernel's /proc; its settings are not in "
                  "the report\n",
              result.err)
        << fill;
  }
  inotify_event event;
  EXPECT_EQ(-1, read(opens, &event, sizeof event)) << "the device was opened";
  close(opens);
  close(terminal);
}
