// interface_table.h: the host's IPv4 interface list and the probed attributes of one of them.
#pragma once
#include <net/if.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "netif/traffic_counters.h"

// What the table asks of the system. The program always uses the defaults; a test hands in
// another counter file, or calls that fail where the kernel cannot be made to fail.
struct KernelAccess {
  std::string countersPath = "/proc/net/dev";
  std::function<int(int domain, int type, int protocol)> openSocket;
  std::function<int(int socket, unsigned long request, void* argument)> ioctl;
  std::function<int(int socket)> closeSocket;

  KernelAccess();  // the real socket(2), ioctl(2) and close(2)
};

class InterfaceTable {
 public:
  InterfaceTable();
  explicit InterfaceTable(KernelAccess kernel);
  ~InterfaceTable();
  InterfaceTable(const InterfaceTable&) = delete;
  InterfaceTable& operator=(const InterfaceTable&) = delete;

  // Opens the section's socket, fetches the interface list afresh and puts the cursor on its
  // first record. The next probe reads the counter file afresh too: each listing starts a
  // section of the report.
  void enumerate();
  // Closes the socket that enumerate() opened, once the probes of the section are done.
  void closeSocket();
  std::int32_t count() const { return total; }
  ifreq currentRecord() const { return *current; }
  // The record at `index` of the listing, from 0 to count() - 1. A probe leaves each record's
  // name as it was listed.
  const ifreq& recordAt(std::int32_t index) const { return conf.ifc_req[index]; }
  // Checks no bound: callers stop after count() records.
  void next() { ++current; }

  // Fills every attribute below from the record under the cursor, counters first, with
  // requests on the section's socket. False when the record went since the listing (the kernel
  // answers that its device or its address is gone, or with another of its label's addresses)
  // or changed twice while it was probed: the attributes are then not one record's.
  bool probe();
  // Asks `request` about the record under the cursor. False when the kernel answers that its
  // device or address is gone (ENODEV, EADDRNOTAVAIL); any other refusal ends the run.
  bool ioctlCurrent(unsigned long request);
  void formatAddress();
  void formatNetmask();
  void formatHardwareAddress();

  const std::string& name() const { return ifName; }
  const std::string& address() const { return ipText; }
  const std::string& hardwareAddress() const { return macText; }
  const std::string& netmask() const { return maskText; }
  std::int32_t mtu() const { return ifMtu; }
  std::uint16_t flags() const { return ifFlags; }
  bool isUp() const { return (ifFlags & IFF_UP) != 0; }
  bool isBroadcast() const { return (ifFlags & IFF_BROADCAST) != 0; }
  bool isMulticast() const { return (ifFlags & IFF_MULTICAST) != 0; }

  void setName(std::string_view value) { ifName = value; }
  void setAddress(std::string_view value) { ipText = value; }
  void setHardwareAddress(std::string_view value) { macText = value; }
  void setNetmask(std::string_view value) { maskText = value; }
  void setMtu(std::int32_t value) { ifMtu = value; }
  void setFlags(std::uint16_t value) { ifFlags = value; }

  // Replaces the counters with those of the current name's line in the counter file, or
  // with zeros when it has none. An alias (eth0:1) shares its device's (eth0) line. The file
  // is read by the first call after enumerate() (or ever), and later calls look names up in
  // that reading.
  void readTrafficCounters();
  const TrafficCounters& trafficCounters() const { return counters; }

 private:
  // One pass of the probe's requests; true when it found the record as it was listed, from
  // the first request to the last.
  bool probeRecord(const ifreq& record);
  // Whether the record's label still holds its address; the answer stays under the cursor.
  bool labelHoldsAddressOf(const ifreq& record);

  KernelAccess kernel;
  int sectionSocket = -1;  // the section's, from enumerate() to closeSocket()
  ifconf conf{};
  ifreq* current = nullptr;
  std::int32_t total = 0;
  std::string ifName;
  std::int32_t ifMtu = 0;
  std::string ipText;
  std::string macText;
  std::string maskText;
  std::uint16_t ifFlags = 0;
  TrafficCounters counters;
  CounterSnapshot snapshot;
  bool snapshotLoaded = false;  // the snapshot holds this section's reading
};
