// `orlocli-host generate`: synthetic hosts of any size, for benchmarks and for
// trying the commands on many devices. The host is assembled from the families'
// own records and written by the library's own SaveState, so it cannot drift
// from what the library reads.
#include "Generate.h"

#include "sim/Claiming.h"
#include "sim/Document.h"
#include "sim/State.h"
#include "sim/Stores.h"

#include <olkctl/sim/HostControl.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace OlkCtl::Sim;

constexpr int kUsage = 2;

constexpr const char *kHelp =
    R"(Usage: orlocli-host generate [--adapters N] [--devices N] [--paths-per-device N]
                             [--volumes N] [--nas-mounts N] [--xvol-containers N]
                             [--xvol-pes N] [--seed N] FILE

Writes a synthetic host of the given size to FILE (mode 0600), replacing FILE
if it exists. The host has the variety of the "default" profile: SAS, USB,
Fibre Channel, FCoE, NVMe, RAID and iSCSI adapters; SAS-only, USB-only and
mixed-transport (FC and iSCSI) devices, offline devices, NVMe namespaces under
HPP with NVMe paths, RAID volumes and XVol protocol endpoints, in a repeating
pattern of 16 devices; paths masked by MASK_PATH claim rules and unclaimed
paths, which lead to no device (one of each per 64 devices, at least one of
each when there are devices); the adapters' transport data and FPIN counters;
the system claim rules; and the default host's SATPs, SATP rules and PSPs,
which give the NMP's devices their SATP and PSP. The same options and seed always give the same
file, byte for byte.

  --adapters N          Adapters, 7 to 1024 (default 8). The first seven are
                        one of each kind.
  --devices N           Devices, 0 to 16384 (default 64).
  --paths-per-device N  Paths of each device, 1 to 16 (default 4). With 1, the
                        mixed-transport devices have one transport only.
  --volumes N           File-system volumes, 0 to 1048576 (default 0), in a
                        repeating pattern of 8 with the default host's variety
                        (OLFS-6 busy, ATS-only or spanning three extents,
                        OLFS-5, OLFS-3, version 7, explicitly unmounted,
                        VFAT), on the devices in turn (VFAT only without
                        devices); one unresolved snapshot per 8 volumes.
  --nas-mounts N        NAS volumes besides those, 0 to 1048576 (default 0):
                        NFS v3 and v4.1 in turn, on 8 named servers or IP
                        addresses, some bound to olknics, some PE, hidden,
                        read-only or not accessible, every flavour and HWAC
                        state; the firewall rule sets and credential of the
                        default host.
  --xvol-containers N   Virtual-volume storage containers, 0 to 100000
                        (default 0). Every 20th is stretched over two arrays,
                        every 50th inaccessible without PE information.
  --xvol-pes N          Virtual-volume protocol endpoints, 0 to 100000
                        (default 0): SCSI PEs on the XVol PE devices (NFS
                        when there are none), NFS and NFS 4.x PEs in turn;
                        every 10th in stretched use. With containers or PEs
                        the host has 8 storage arrays with 2 providers each.
  --seed N              Seed of identifiers, sizes and counters, 0 to
                        18446744073709551615 (default 1).

The host has devices * paths-per-device paths to devices, plus the paths
without a device.
)";

// --- the command line ---

struct Sizes {
  uint64_t adapters = 8;
  uint64_t devices = 64;
  uint64_t pathsPerDevice = 4;
  uint64_t volumes = 0;
  uint64_t nasMounts = 0;
  uint64_t xvolContainers = 0;
  uint64_t xvolPes = 0;
  uint64_t seed = 1;
};

struct Refusal {
  std::string message;
};

uint64_t ParseNumber(const std::string &option, const std::string &text, uint64_t min, uint64_t max) {
  const std::string range =
      " needs a whole number from " + std::to_string(min) + " to " + std::to_string(max);
  bool digits =
      !text.empty() && text.size() <= 20 && text.find_first_not_of("0123456789") == std::string::npos;
  uint64_t value = 0;
  for (char c : digits ? text : std::string()) {
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) {
      digits = false;
      break;
    }
    value = value * 10 + digit;
  }
  if (!digits || value < min || value > max)
    throw Refusal{"--" + option + range + ", not \"" + text + "\""};
  return value;
}

// Fills `sizes` and returns FILE; sets `help` instead when asked for it.
std::string ParseArguments(const std::vector<std::string> &args, Sizes &sizes, bool &help) {
  struct Option {
    uint64_t *value;
    uint64_t min;
    uint64_t max;
  };
  const std::map<std::string, Option> options = {
      {"adapters", {&sizes.adapters, 7, 1024}},
      {"devices", {&sizes.devices, 0, 16384}},
      {"paths-per-device", {&sizes.pathsPerDevice, 1, 16}},
      {"volumes", {&sizes.volumes, 0, 1048576}},
      {"nas-mounts", {&sizes.nasMounts, 0, 1048576}},
      {"xvol-containers", {&sizes.xvolContainers, 0, 100000}},
      {"xvol-pes", {&sizes.xvolPes, 0, 100000}},
      {"seed", {&sizes.seed, 0, UINT64_MAX}},
  };
  std::vector<std::string> files;
  std::set<std::string> given;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string &arg = args[i];
    if (arg == "--help" || arg == "-h") {
      help = true;
      return {};
    }
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      std::string name = arg.substr(2);
      std::string value;
      if (std::string::size_type eq = name.find('='); eq != std::string::npos) {
        value = name.substr(eq + 1);
        name.resize(eq);
      } else if (options.count(name)) {
        if (i + 1 >= args.size())
          throw Refusal{"option --" + name + " of generate needs a value"};
        value = args[++i];
      }
      auto option = options.find(name);
      if (option == options.end())
        throw Refusal{"unknown option --" + name + " for generate (see orlocli-host generate --help)"};
      if (!given.insert(name).second)
        throw Refusal{"option --" + name + " of generate given more than once"};
      *option->second.value = ParseNumber(name, value, option->second.min, option->second.max);
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-')
      throw Refusal{"unknown option " + arg + " for generate (see orlocli-host generate --help)"};
    files.push_back(arg);
  }
  if (files.empty())
    throw Refusal{"generate needs a FILE to write"};
  if (files.size() > 1)
    throw Refusal{"unexpected argument \"" + files[1] + "\" for generate"};
  return files[0];
}

// --- deterministic randomness ---

// splitmix64: the same numbers on every platform and standard library, unlike
// the <random> distributions.
class Rng {
public:
  // A stream of its own per object, so a host of 64 devices is the first 64
  // devices of the host of 1,024 with the same seed.
  Rng(uint64_t seed, uint64_t family, uint64_t index)
      : state_(seed ^ (family * 0x9E3779B97F4A7C15ull) ^ (index * 0xD1B54A32D192ED03ull)) {
    Next();
  }
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint64_t Below(uint64_t bound) { return Next() % bound; }
  bool OneIn(uint64_t n) { return Below(n) == 0; }
  std::string Pick(const std::vector<std::string> &choices) { return choices[Below(choices.size())]; }

private:
  uint64_t state_;
};

std::string Hex(uint64_t value, int digits) {
  std::string out(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4)
    out[static_cast<size_t>(i)] = "0123456789abcdef"[value & 0xF];
  return out;
}

// "2000001b32a1c3d4" -> "20:00:00:1b:32:a1:c3:d4"
std::string Colons(const std::string &hex) {
  std::string out;
  for (size_t i = 0; i < hex.size(); i += 2)
    out += (i ? ":" : "") + hex.substr(i, 2);
  return out;
}

// "<wwnn>:<wwpn>" (16 hex digits each) as the transport details show them.
std::string FcDetails(const std::string &ports) {
  return "WWNN: " + Colons(ports.substr(0, 16)) + " WWPN: " + Colons(ports.substr(17, 16));
}

std::string Padded(std::string text, size_t width) {
  text.resize(width, ' ');
  return text;
}

HostCtl::Storage::ScsiStats Stats(Rng &rng, uint64_t scale) {
  HostCtl::Storage::ScsiStats s;
  s.readOperations = rng.Below(scale) + scale / 4;
  s.writeOperations = rng.Below(scale) + scale / 8;
  s.successfulCommands = s.readOperations + s.writeOperations + rng.Below(scale / 16 + 1);
  s.blocksRead = s.readOperations * (8 + rng.Below(120));
  s.blocksWritten = s.writeOperations * (8 + rng.Below(120));
  s.reserveOperations = rng.Below(4);
  s.reservationConflicts = rng.OneIn(8) ? 1 : 0;
  s.failedReadOperations = rng.Below(5);
  s.failedWriteOperations = rng.Below(3);
  s.failedReserveOperations = 0;
  s.failedCommands = s.failedReadOperations + s.failedWriteOperations + rng.Below(40);
  s.failedBlocksRead = s.failedReadOperations * 8;
  s.failedBlocksWritten = s.failedWriteOperations * 8;
  s.totalSplits = rng.Below(scale / 500 + 1);
  s.paeCommands = 0;
  return s;
}

// --- adapters ---

enum class AdapterKind { Sas, Usb, Fc, Fcoe, Nvme, Raid, Iscsi };

// The first seven adapters are one of each kind; later ones repeat this mix.
constexpr AdapterKind kFirstAdapters[] = {AdapterKind::Sas,  AdapterKind::Usb,  AdapterKind::Fc,
                                          AdapterKind::Fcoe, AdapterKind::Nvme, AdapterKind::Raid,
                                          AdapterKind::Iscsi};
constexpr AdapterKind kMoreAdapters[] = {AdapterKind::Fc,  AdapterKind::Fc,   AdapterKind::Iscsi,
                                         AdapterKind::Sas, AdapterKind::Nvme, AdapterKind::Fcoe,
                                         AdapterKind::Fc,  AdapterKind::Raid, AdapterKind::Usb};

AdapterKind KindOfAdapter(uint64_t index) {
  constexpr uint64_t first = std::size(kFirstAdapters);
  return index < first ? kFirstAdapters[index] : kMoreAdapters[(index - first) % std::size(kMoreAdapters)];
}

// Adapters sit on buses 0x10 to 0xff of consecutive PCI domains.
uint64_t PciDomain(uint64_t index) {
  return index / 240;
}
uint64_t PciBus(uint64_t index) {
  return 0x10 + index % 240;
}
std::string PciAddress(uint64_t index) {
  return Hex(PciDomain(index), 4) + ":" + Hex(PciBus(index), 2) + ":00.0";
}

AdapterRecord MakeAdapter(uint64_t seed, uint64_t index, const std::string &hostName) {
  Rng rng(seed, 1, index);
  AdapterRecord a;
  a.name = "olhba" + std::to_string(index);
  const std::string pci = "(" + PciAddress(index) + ") ";
  switch (KindOfAdapter(index)) {
  case AdapterKind::Sas:
    a.uid = "sas.5" + Hex(rng.Next(), 15);
    a.transport = "sas";
    a.driver = "sas3hba";
    a.driverVersion = "34.00.01.00-1ol";
    a.firmwareVersion = "16.00.12.00";
    a.description = pci + "Corvan Logic SAS3008 12Gb/s SAS HBA";
    a.capabilityMask = 1;
    break;
  case AdapterKind::Usb:
    a.uid = "usb." + a.name;
    a.transport = "usb";
    a.driver = "usbstor";
    a.driverVersion = "0.1-1ol";
    a.description = pci + "USB 3.1 xHCI Host Controller";
    break;
  case AdapterKind::Fc:
  case AdapterKind::Fcoe: {
    const bool fc = KindOfAdapter(index) == AdapterKind::Fc;
    const std::string port = Hex(rng.Next(), 12);
    a.uid = std::string(fc ? "fc.2000" : "fcoe.1000") + port + ":" + (fc ? "2100" : "2000") + port;
    a.transport = fc ? "fc" : "fcoe";
    a.driver = fc ? "fcnative" : "fcoenic";
    a.driverVersion = fc ? "4.3.11.0-1ol" : "2.1.4.0-1ol";
    a.firmwareVersion = fc ? "9.10.05" : "7.13.21";
    a.linkState = "link-up";
    a.description = pci + (fc ? "Brightline QF2742 Dual Port 32Gb Fibre Channel to PCIe Adapter"
                              : "Quorra NetXtreme 25GbE FCoE Converged Network Adapter");
    a.capabilityMask = fc ? 27 : 4;
    break;
  }
  case AdapterKind::Nvme:
    a.uid = "pcie." + Hex(PciBus(index), 2) + Hex(PciDomain(index), 2);
    a.transport = "pcie";
    a.driver = "nvme_pcie";
    a.driverVersion = "1.2.4.11-1ol";
    a.description = pci + "Hexon NVMe Datacenter SSD [3DNAND] 2.5\" U.2";
    a.capabilityMask = 12;
    break;
  case AdapterKind::Raid:
    a.uid = "sas.5" + Hex(rng.Next(), 15);
    a.transport = "sas";
    a.driver = "raidsas";
    a.driverVersion = "7.719.02.00-1ol";
    a.firmwareVersion = "51.16.0-4296";
    a.description = pci + "Corvan Logic MegaStripe SAS 9460-8i RAID Controller";
    a.capabilityMask = 3;
    break;
  case AdapterKind::Iscsi:
    // The first is the software adapter; later ones are hardware initiators.
    a.uid = "iqn.1998-01.org.olhost:" + hostName + "-" + Hex(rng.Next(), 8);
    a.transport = "iscsi";
    a.driver = index < std::size(kFirstAdapters) ? "iscsi_olk" : "iscsi_hw";
    a.driverVersion = "1.0.3-1ol";
    a.linkState = "online";
    a.description = index < std::size(kFirstAdapters) ? "() iSCSI Software Adapter"
                                                      : pci + "Corvan 10GbE iSCSI Offload Adapter";
    a.capabilityMask = 1;
    break;
  }
  a.stats = Stats(rng, 1u << 24);
  return a;
}

// What each adapter's transport reports beyond its record: FC and FCoE ports
// with a few events, SAS links, iSCSI sessions and counters.
SanRecord MakeSanRecord(uint64_t seed, uint64_t index, const AdapterRecord &adapter) {
  Rng rng(seed, 4, index);
  SanRecord san;
  san.name = adapter.name;
  switch (KindOfAdapter(index)) {
  case AdapterKind::Fc:
  case AdapterKind::Fcoe: {
    const bool fc = KindOfAdapter(index) == AdapterKind::Fc;
    SanFcPort &port = san.fc.emplace();
    port.portId = "0x" + Hex(0x010000 + index * 0x100, 6);
    port.speed = fc ? (rng.Below(2) ? 32 : 16) : 25;
    port.portType = "NPort";
    port.portState = "Online";
    port.modelDescription = fc ? "Brightline QF2742 32Gb FC HBA" : "Quorra NetXtreme 25GbE CNA";
    port.hardwareVersion = fc ? "BK3810406-05 B" : "QN25-2 rev 3";
    port.optionRomVersion = fc ? "3.64" : "2.19.4";
    uint64_t *counters[] = {
        &port.stats.txFrames,          &port.stats.rxFrames,           &port.stats.lipCount,
        &port.stats.errorFrames,       &port.stats.dumpedFrames,       &port.stats.linkFailureCount,
        &port.stats.lossOfSignalCount, &port.stats.invalidTxWordCount, &port.stats.invalidCrcCount,
        &port.stats.inputRequests,     &port.stats.outputRequests};
    for (uint64_t *counter : counters)
      *counter = rng.Below(1u << 20);
    const uint64_t events = rng.Below(4);
    for (uint64_t e = 0; e < events; ++e)
      port.events.push_back({1796026437 + e * 60 + rng.Below(60), e % 2 ? "rscn" : "linkup",
                             e % 2 ? 0x010000 + rng.Below(0x1000) : port.speed});
    if (!fc) {
      SanFcoeLink &link = san.fcoe.emplace();
      link.controllerMac = Colons(Hex(rng.Next(), 12));
      link.fcfMac = Colons(Hex(rng.Next(), 12));
      link.vnPortMac = "0e:fc:00:" + Colons(Hex(index, 6));
      link.vlanId = static_cast<uint16_t>(1000 + index % 3000);
      link.nic = "olnic" + std::to_string(index);
      link.stats.txFrames = port.stats.txFrames;
      link.stats.rxFrames = port.stats.rxFrames;
      link.stats.vlinkFailureCount = rng.Below(8);
      link.stats.missDiscAdvCount = rng.Below(32);
    }
    break;
  }
  case AdapterKind::Sas:
  case AdapterKind::Raid: {
    const bool raid = KindOfAdapter(index) == AdapterKind::Raid;
    SanSasPort &port = san.sas.emplace();
    // A RAID controller hides its SAS domain.
    port.sasAddress = raid ? "" : "0x" + adapter.uid.substr(4);
    port.physicalId = raid ? 255 : static_cast<uint8_t>(rng.Below(8));
    port.minimumLinkRate = raid ? 0 : 3000;
    port.maximumLinkRate = raid ? 0 : 12000;
    port.negotiatedLinkRate = raid ? 0 : 12000;
    port.modelDescription =
        raid ? "Corvan Logic MegaStripe SAS 9460-8i" : "Corvan Logic SAS3008 12Gb/s SAS HBA";
    port.phyStats.invalidDwordCount = static_cast<uint32_t>(rng.Below(64));
    port.phyStats.runningDisparityErrorCount = static_cast<uint32_t>(rng.Below(64));
    break;
  }
  case AdapterKind::Iscsi: {
    SanIscsiPort &port = san.iscsi.emplace();
    port.description =
        adapter.driver == "iscsi_olk" ? "iSCSI Software Adapter" : "Corvan iSCSI Offload Adapter";
    port.stats.sessions = static_cast<uint32_t>(1 + rng.Below(4));
    port.stats.connections = port.stats.sessions;
    port.stats.dataSent = rng.Below(1ull << 40);
    port.stats.dataReceived = rng.Below(1ull << 40);
    port.stats.commandPdus = static_cast<uint32_t>(rng.Below(1u << 24));
    port.stats.responsePdus = port.stats.commandPdus;
    break;
  }
  case AdapterKind::Usb:
  case AdapterKind::Nvme:
    break;
  }
  return san;
}

// --- devices and their paths ---

enum class DeviceKind { SasOnly, UsbOnly, Fc, Integrity, Mixed, Iscsi, Nvme, Raid, XvolPe, Fcoe, Offline };

// The repeating pattern of devices; the first 16 devices show every kind.
constexpr DeviceKind kDevicePattern[16] = {
    DeviceKind::SasOnly, DeviceKind::UsbOnly,   DeviceKind::Fc,     DeviceKind::Mixed,
    DeviceKind::Fc,      DeviceKind::Integrity, DeviceKind::Iscsi,  DeviceKind::Nvme,
    DeviceKind::Fc,      DeviceKind::Raid,      DeviceKind::XvolPe, DeviceKind::Fcoe,
    DeviceKind::Offline, DeviceKind::Fc,        DeviceKind::Mixed,  DeviceKind::Nvme};

// The adapter kinds a device's paths take turns on.
std::vector<AdapterKind> PathKinds(DeviceKind kind) {
  switch (kind) {
  case DeviceKind::SasOnly:
    return {AdapterKind::Sas};
  case DeviceKind::UsbOnly:
    return {AdapterKind::Usb};
  case DeviceKind::Mixed:
    return {AdapterKind::Fc, AdapterKind::Iscsi};
  case DeviceKind::Iscsi:
    return {AdapterKind::Iscsi};
  case DeviceKind::Nvme:
    return {AdapterKind::Nvme};
  case DeviceKind::Raid:
    return {AdapterKind::Raid};
  case DeviceKind::XvolPe:
    return {AdapterKind::Fc, AdapterKind::Fcoe};
  case DeviceKind::Fcoe:
    return {AdapterKind::Fcoe};
  case DeviceKind::Fc:
  case DeviceKind::Integrity:
  case DeviceKind::Offline:
    break;
  }
  return {AdapterKind::Fc};
}

struct Builder {
  Sizes sizes;
  State state;
  std::map<AdapterKind, std::vector<const AdapterRecord *>> adaptersOf;

  // Route `p` of device `i`: which adapter and which target, so that no two
  // paths share a runtime name (the LUN is the device's number).
  struct Route {
    const AdapterRecord *adapter;
    AdapterKind kind;
    uint64_t target;
  };
  Route RouteOf(uint64_t i, uint64_t p, const std::vector<AdapterKind> &kinds) const {
    const AdapterKind kind = kinds[p % kinds.size()];
    const uint64_t q = p / kinds.size(); // the how-manieth path on that kind
    const auto &candidates = adaptersOf.at(kind);
    return {candidates[(i + q) % candidates.size()], kind, q / candidates.size()};
  }

  PathRecord MakePath(uint64_t i, uint64_t p, const Route &route, const DeviceRecord &device,
                      Rng &rng) const {
    const AdapterRecord &adapter = *route.adapter;
    PathRecord path;
    path.adapterName = adapter.name;
    path.deviceName = device.name;
    path.channel = route.kind == AdapterKind::Raid ? 2 : 0;
    path.target = static_cast<uint32_t>(route.target);
    path.lun = static_cast<uint32_t>(i);
    path.plugin = device.multipathPlugin;
    path.adapterIdentifier = adapter.uid;
    // On a SAN array, pairs of active-optimised and standby ports alternate
    // (ALUA), as on the default host.
    const bool san =
        route.kind == AdapterKind::Fc || route.kind == AdapterKind::Fcoe || route.kind == AdapterKind::Iscsi;
    path.state = device.offline ? "dead" : san && (p / 2) % 2 == 1 ? "standby" : "active";
    const std::string port = Hex(i, 8) + Hex(p, 2);
    switch (route.kind) {
    case AdapterKind::Sas:
    case AdapterKind::Raid: {
      const std::string address = "5" + Hex(rng.Next() & 0xFFFFF, 5) + port;
      path.targetIdentifier = "sas." + address;
      path.adapterTransportDetails = "SAS address: 0x" + adapter.uid.substr(4);
      path.targetTransportDetails = "SAS address: 0x" + address;
      path.maxIOSize = route.kind == AdapterKind::Sas ? 4194304 : 1048576;
      break;
    }
    case AdapterKind::Usb:
      path.targetIdentifier = "usb." + std::to_string(route.target) + ":" + std::to_string(p);
      path.adapterTransportDetails = "USB bus 2 port " + std::to_string(1 + p);
      path.targetTransportDetails = "USB mass storage, LUN " + std::to_string(i);
      path.maxIOSize = 122880;
      break;
    case AdapterKind::Fc:
    case AdapterKind::Fcoe: {
      const bool fc = route.kind == AdapterKind::Fc;
      const std::string wwnn = "50060160" + Hex(rng.Next(), 6) + "04";
      const std::string wwpn = "5006" + port + "00";
      path.targetIdentifier = std::string(fc ? "fc." : "fcoe.") + wwnn + ":" + wwpn;
      path.adapterTransportDetails = FcDetails(adapter.uid.substr(adapter.uid.find('.') + 1));
      path.targetTransportDetails = FcDetails(wwnn + ":" + wwpn);
      path.maxIOSize = 33553920;
      break;
    }
    case AdapterKind::Iscsi: {
      const std::string session = "00023d" + Hex(i * 16 + p, 6);
      const std::string target = "iqn.2006-05.com.olstor:tgt-" + Hex(i, 6) + "-" + std::to_string(p);
      path.targetIdentifier = session + "," + target + ",t,1";
      path.adapterTransportDetails = adapter.uid;
      path.targetTransportDetails = "IQN=" + target + " Alias= Session=" + session + " PortalTag=1";
      path.maxIOSize = 131072;
      break;
    }
    case AdapterKind::Nvme:
      path.controller = "nqn.2014-08.org.nvmexpress:uuid:" + Hex(rng.Next(), 8) + "-" + Hex(rng.Next(), 4) +
                        "-" + Hex(rng.Next(), 4) + "-" + Hex(rng.Next(), 4) + "-" + Hex(i, 6) + Hex(p, 6);
      path.anaGroupId = static_cast<int>(1 + p % 2);
      path.lun = static_cast<uint32_t>(i + 1); // the namespace ID, never 0
      path.targetIdentifier = "pcie." + std::to_string(route.target) + "." + std::to_string(p);
      path.adapterTransportDetails = "PCIe " + adapter.description.substr(1, 12);
      path.targetTransportDetails =
          "NVMe controller 0x" + Hex(0x41 + p, 4) + ", namespace " + std::to_string(path.lun);
      path.maxIOSize = 2097152;
      break;
    }
    path.runtimeName = adapter.name + ":C" + std::to_string(path.channel) + ":T" +
                       std::to_string(path.target) + ":L" + std::to_string(path.lun);
    path.uid = path.adapterIdentifier + "-" + path.targetIdentifier + "-" + device.name;
    path.stats = Stats(rng, 1u << 16);
    return path;
  }

  // `hwac` receives the support code of the device's HWAC primitives.
  DeviceRecord MakeDevice(uint64_t i, DeviceKind kind, Rng &rng, const std::string &firstRuntimeName,
                          int32_t &hwac) const {
    DeviceRecord d;
    // 25 hex digits: with a 7-digit prefix, a 32-digit NAA name.
    const std::string serial = Hex(rng.Next(), 17) + Hex(i, 8);
    d.maxQueueDepth = 64;
    hwac = 1;
    d.thinProvisioning = 1;
    d.rdmCapable = true;
    d.inUse = rng.OneIn(2);
    // The display name reads "[Local ]<label> <what> (<name>)".
    std::string label;
    std::string what = "Fibre Channel Disk";
    switch (kind) {
    case DeviceKind::SasOnly:
      d.name = "naa.5" + Hex(rng.Next(), 7) + Hex(i, 8);
      d.vendor = "HEXON";
      d.model = rng.Pick({"HX1200SAS12", "HX2400SAS12", "HX600SAS12"});
      d.revision = "C004";
      d.scsiLevel = 7;
      d.local = d.notShared = true;
      d.rdmCapable = false;
      hwac = 2;
      d.thinProvisioning = 0;
      d.raid = {0, 1, "physical", ""};
      what = "Disk";
      break;
    case DeviceKind::UsbOnly:
      d.name = "mpx." + firstRuntimeName;
      d.displayNameSettable = false;
      d.vendor = "FLEXDRV";
      d.model = "Ultra Fit";
      d.revision = "1.00";
      d.scsiLevel = 2;
      d.local = d.removable = d.notShared = true;
      d.rdmCapable = false;
      d.maxQueueDepth = d.outstandingIosCompetingWorlds = 1;
      hwac = d.thinProvisioning = 2;
      d.raid = {0, 0, "unknown", ""};
      label = "USB";
      what = "Direct-Access";
      break;
    case DeviceKind::Fc:
    case DeviceKind::Mixed:
    case DeviceKind::Fcoe:
    case DeviceKind::XvolPe:
      d.name = "naa.6006016" + serial;
      d.vendor = "DGC";
      d.model = "VRAID";
      d.revision = "0533";
      if (rng.OneIn(3)) {
        d.queueFullSampleSize = 32;
        d.queueFullThreshold = 4;
      }
      if (rng.OneIn(2))
        d.filters = {"olcache"};
      if (kind == DeviceKind::XvolPe) {
        d.size = 524288;
        d.xvolPE = true;
        d.maxQueueDepth = 128;
        d.protectionEnabled = d.dixEnabled = true;
        d.guardTypeMask = 2;
        d.protectionMask = 17;
        what = "Fibre Channel PE";
      }
      break;
    case DeviceKind::Integrity:
    case DeviceKind::Offline:
      d.name = "naa.6000097" + serial;
      d.vendor = "EMC";
      d.model = "SYMMETRIX";
      d.revision = "5978";
      if (kind == DeviceKind::Integrity) {
        d.ssd = true;
        d.perenniallyReserved = rng.OneIn(2);
        d.protectionEnabled = d.piActivated = d.dixEnabled = d.emulatedDixDif = true;
        d.piType = 1;
        d.guardTypeMask = 3;
        d.protectionMask = 10;
        d.thinProvisioning = 0;
        d.filters = {"olcrypt", "ioprobe"};
      } else {
        d.status = "dead";
        d.offline = true;
        d.inUse = false;
        hwac = 0;
        d.thinProvisioning = 3;
        d.psaConfig = false;
      }
      break;
    case DeviceKind::Iscsi:
      d.name = "naa.6001405" + serial;
      d.vendor = "OLSTOR";
      d.model = "iBlock";
      d.revision = "4.0";
      d.maxQueueDepth = 128;
      what = "iSCSI Disk";
      break;
    case DeviceKind::Nvme:
      d.name = "eui." + Hex(rng.Next(), 8) + Hex(i, 8);
      d.multipathPlugin = "HPP";
      d.vendor = "NVMe";
      d.model = rng.Pick({"HEXON HXP7 3.84T", "HEXON HXP7 7.68T"});
      d.nvmeControllerModel = Padded(d.model + "B NVMe SSD", 36);
      d.revision = "1.0B";
      d.pciVendorId = 7544;
      d.pciSubVendorId = 7545;
      d.scsiLevel = 0;
      d.local = d.ssd = d.notShared = true;
      d.rdmCapable = false;
      d.maxQueueDepth = 1023;
      d.protectionEnabled = d.piActivated = d.dixEnabled = d.emulatedDixDif = true;
      d.piType = 1;
      d.guardTypeMask = 1;
      d.protectionMask = 1;
      hwac = 2;
      d.thinProvisioning = 0;
      d.protocol = 1;
      d.nvme = true;
      d.raid = {0, 1, "physical", ""};
      what = "Disk";
      break;
    case DeviceKind::Raid:
      d.name = "naa.600508b" + serial;
      d.vendor = "CORVAN";
      d.model = "MR9460-8i";
      d.revision = "5.16";
      d.scsiLevel = 5;
      d.local = d.notShared = true;
      d.rdmCapable = false;
      d.maxQueueDepth = 128;
      hwac = 2;
      d.thinProvisioning = 0;
      d.filters = {"ioprobe"};
      d.raid = {1, static_cast<uint32_t>(2 + rng.Below(7)), "logical",
                rng.Pick({"RAID1", "RAID5", "RAID6", "RAID10"})};
      what = "Disk";
      break;
    }
    if (d.size == 0)
      d.size = (uint64_t{1} << 30) * (16 + rng.Below(4096));
    d.displayName =
        (d.local ? "Local " : "") + (label.empty() ? d.vendor : label) + " " + what + " (" + d.name + ")";
    d.vendor = Padded(d.vendor, 8);
    d.model = Padded(d.model, 16);
    d.devfsPath = "/olfs/devices/disks/" + d.name;
    d.uids = {d.name, "olr.02000" + Hex(i, 5) + serial + Hex(rng.Next(), 8)};
    return d;
  }

  void AddDevices() {
    for (uint64_t i = 0; i < sizes.devices; ++i) {
      Rng rng(sizes.seed, 2, i);
      const DeviceKind kind = kDevicePattern[i % std::size(kDevicePattern)];
      const std::vector<AdapterKind> kinds = PathKinds(kind);
      std::vector<Route> routes;
      for (uint64_t p = 0; p < sizes.pathsPerDevice; ++p)
        routes.push_back(RouteOf(i, p, kinds));
      const std::string firstRuntimeName =
          routes[0].adapter->name + ":C0:T" + std::to_string(routes[0].target) + ":L" + std::to_string(i);
      int32_t hwac = 0;
      DeviceRecord device = MakeDevice(i, kind, rng, firstRuntimeName, hwac);
      if (kind == DeviceKind::UsbOnly && state.system().bootDevice.empty()) {
        state.system().bootDevice = device.name;
        device.inUse = true;
      }
      for (uint64_t p = 0; p < sizes.pathsPerDevice; ++p)
        state.paths().records.push_back(MakePath(i, p, routes[p], device, rng));
      if (hwac != 0)
        state.hwac().records.push_back(MakeHwac(device.name, hwac));
      state.devices().records.push_back(std::move(device));
    }
  }

  // Every primitive with the same support code; array LUNs with typical limits.
  static HwacRecord MakeHwac(const std::string &name, int32_t code) {
    HwacRecord h;
    h.name = name;
    h.ats.hardware = h.clone.hardware = h.zero.hardware = h.unmap.hardware = h.exClone = code;
    if (code == 1) {
      h.ats.maxCompareAndWriteLength = 1;
      h.clone.maxSegmentLength = 4194304;
      h.clone.maxSegmentDescriptorCount = 1;
      h.clone.optimalTransferLengthGranularity = 128;
      h.zero.maxWriteSameLength = 65535;
      h.unmap.maxLbaCount = 4194304;
      h.unmap.maxBlockDescCount = 1;
      h.unmap.optimalGranularity = 2048;
    }
    return h;
  }

  // Paths that lead to no device: masked ones (claimed by MASK_PATH through a
  // location rule, dead) and unclaimed ones (no plug-in, no transport details;
  // a rule for them is in the file but not loaded).
  void AddPathsWithoutDevice(ClaimRuleClassRecord &mp) {
    if (sizes.devices == 0)
      return;
    const uint64_t count = std::max<uint64_t>(1, sizes.devices / 64);
    for (uint64_t k = 0; k < 2 * count; ++k) {
      const bool masked = k < count;
      Rng rng(sizes.seed, 3, k);
      const auto &candidates = adaptersOf.at(masked ? AdapterKind::Fc : AdapterKind::Iscsi);
      const AdapterRecord &adapter = *candidates[k % candidates.size()];
      PathRecord path;
      path.adapterName = adapter.name;
      path.adapterIdentifier = adapter.uid;
      path.channel = 1;
      path.target = static_cast<uint32_t>(k / candidates.size());
      path.lun = static_cast<uint32_t>(k % 256);
      if (masked) {
        const std::string ports = "50060160" + Hex(rng.Next(), 6) + "04:5006016a" + Hex(k, 6) + "00";
        path.targetIdentifier = "fc." + ports;
        path.plugin = "MASK_PATH";
        path.state = "dead";
        path.adapterTransportDetails = FcDetails(adapter.uid.substr(adapter.uid.find('.') + 1));
        path.targetTransportDetails = FcDetails(ports);
        path.maxIOSize = 33553920;
      } else {
        path.targetIdentifier =
            "00023e" + Hex(k, 6) + ",iqn.2006-05.com.olstor:tgt-spare-" + std::to_string(k) + ",t,1";
        path.maxIOSize = 131072;
      }
      path.runtimeName =
          adapter.name + ":C1:T" + std::to_string(path.target) + ":L" + std::to_string(path.lun);
      path.uid = path.adapterIdentifier + "-" + path.targetIdentifier;
      path.stats = Stats(rng, 64);
      ClaimRuleRecord rule;
      rule.type = "location";
      rule.adapter = path.adapterName;
      rule.channel = path.channel;
      rule.target = path.target;
      rule.lun = path.lun;
      if (masked) {
        rule.rule = static_cast<uint32_t>(120 + k);
        rule.plugin = "MASK_PATH";
        mp.Insert(true, rule);
        mp.Insert(false, rule);
      } else {
        rule.rule = static_cast<uint32_t>(1000 + k - count);
        rule.plugin = "NMP";
        mp.Insert(false, rule);
      }
      state.paths().records.push_back(std::move(path));
    }
  }

  // Virtual volumes: arrays and their providers, PEs spread over the arrays,
  // containers that use two PEs of their array each.
  void AddXvol() {
    if (sizes.xvolContainers == 0 && sizes.xvolPes == 0)
      return;
    XvolFamily &xvol = state.xvol();
    constexpr uint64_t kArrays = 8;
    auto arrayId = [](uint64_t a) { return "com.olgen:array-" + std::to_string(a); };
    for (uint64_t a = 0; a < kArrays; ++a) {
      xvol.arrays.push_back({"olgen-array-" + std::to_string(a), arrayId(a), "OLGEN",
                             "GX" + std::to_string(a % 3), "1." + std::to_string(a)});
      for (uint64_t p = 0; p < 2; ++p) {
        XvolProviderRecord provider;
        provider.name = "vp-" + std::to_string(a) + "-" + std::to_string(p);
        provider.url = "https://vp" + std::to_string(a) + "-" + std::to_string(p) + ".olgen.example/ospa";
        provider.status = (a * 2 + p) % 3 == 2 ? 1 : 0;
        provider.ospaVersion = 5;
        provider.maxConcurrentOperations = 16;
        provider.batchSizes = {64, 32, 128, 96, 16, 48, 256, 8};
        provider.arrays.push_back({arrayId(a), p == 0, static_cast<int32_t>(p + 1)});
        xvol.providers.push_back(std::move(provider));
      }
    }
    std::vector<std::string> peDevices;
    for (const DeviceRecord &device : state.devices().records)
      if (device.xvolPE)
        peDevices.push_back(device.name);
    std::vector<std::vector<std::string>> pesOfArray(kArrays);
    for (uint64_t k = 0; k < sizes.xvolPes; ++k) {
      Rng rng(sizes.seed, 10, k);
      XvolPeRecord pe;
      pe.ospaId = "rfc4122." + Hex(rng.Next(), 8) + "-" + Hex(k, 4) + "-4" + Hex(rng.Next(), 3) + "-8" +
                  Hex(rng.Next(), 3) + "-" + Hex(rng.Next(), 12);
      const uint64_t a = k % kArrays;
      pe.arrayId = arrayId(a);
      pe.servedArrays = {arrayId(a)};
      pe.stretchedUse = k % 10 == 9;
      if (pe.stretchedUse)
        pe.servedArrays.push_back(arrayId((a + 1) % kArrays));
      const uint64_t type = k % 3;
      if (type == 0 && !peDevices.empty()) {
        pe.type = "SCSI";
        pe.hostId = peDevices[k % peDevices.size()];
        pe.lunId = std::to_string(256 + k);
      } else if (type == 2) {
        pe.type = "NFS4x";
        pe.hostId = "olgen-pe-nfs41-" + std::to_string(k);
        pe.remoteShare = "/pe/" + std::to_string(k);
        pe.transportIps = {"10.60." + std::to_string(a) + "." + std::to_string(k % 250 + 1)};
        pe.serverScope = "olgen-" + std::to_string(a);
        pe.serverMajor = "olgen-" + std::to_string(a) + ".major";
        pe.auth = "AUTH_SYS";
        pe.user = "xvol";
      } else {
        pe.type = "NFS";
        pe.hostId = "olgen-pe-nfs-" + std::to_string(k);
        pe.remoteHost = "10.50." + std::to_string(a) + "." + std::to_string(k % 250 + 1);
        pe.remoteShare = "/pe/" + std::to_string(k);
      }
      pe.accessible = !rng.OneIn(20);
      pe.boundVolumes = static_cast<uint32_t>(rng.Below(64));
      pesOfArray[a].push_back(pe.ospaId);
      xvol.pes.push_back(std::move(pe));
    }
    for (uint64_t k = 0; k < sizes.xvolContainers; ++k) {
      Rng rng(sizes.seed, 11, k);
      XvolContainerRecord c;
      c.name = "olgen-sc-" + std::to_string(k);
      c.uuid = Hex(rng.Next(), 8) + "-" + Hex(k, 8) + "-" + Hex(rng.Next(), 4) + "-" + Hex(rng.Next(), 12);
      c.containerId = "xvol:" + Hex(k, 16) + "-" + Hex(rng.Next(), 16);
      c.capacity = (uint64_t{1} << 30) * (1 + rng.Below(4096));
      c.used = c.capacity / 100 * rng.Below(110);
      c.configVolume = "rfc4122.cfg-" + Hex(k, 8);
      c.boundVolumes = static_cast<uint32_t>(rng.Below(32));
      const uint64_t a = k % kArrays;
      auto twoPes = [&](uint64_t array) {
        std::vector<std::string> pes;
        const auto &pool = pesOfArray[array];
        for (uint64_t i = 0; i < 2 && i < pool.size(); ++i)
          pes.push_back(pool[(k / kArrays + i * 7) % pool.size()]);
        return pes;
      };
      if (k % 50 == 49) {
        c.accessible = false;
      } else if (k % 20 == 19) {
        const uint64_t b = (a + 1) % kArrays;
        c.stretched = true;
        c.arrays = {{arrayId(a), twoPes(a)}, {arrayId(b), twoPes(b)}};
        c.stretchedConfig.arrayIds = {arrayId(a), arrayId(b)};
        c.stretchedConfig.peIds = c.arrays[0].pes;
        c.providerStates = {{arrayId(a), "vp-" + std::to_string(a) + "-0", "InSync"},
                            {arrayId(b), "vp-" + std::to_string(b) + "-0", "InSync"}};
      } else {
        c.arrays = {{arrayId(a), twoPes(a)}};
      }
      xvol.containers.push_back(std::move(c));
    }
    xvol.ospaContext = Hex(sizes.seed, 8) + "-0000-4000-8000-000000000001";
    xvol.nvme.hostId = Hex(sizes.seed, 8) + "-1b2d-4e6f-8a9b-0c1d2e3f4a5b";
    xvol.nvme.hostNqn = DefaultPolicyNqn(xvol.nvme.hostId);
  }

  // FPIN counts every target an FPIN-capable FC adapter's paths reach.
  void AddFpinTargets() {
    state.fpin().enabled = true;
    state.fpin().liveEnabled = true;
    state.adapters().Reindex();
    std::set<std::pair<std::string, std::string>> seen;
    for (const PathRecord &path : state.paths().records) {
      const AdapterRecord *adapter = state.adapters().Find(path.adapterName);
      const size_t colon = path.targetIdentifier.find(':');
      if (!adapter || adapter->transport != "fc" || !(adapter->capabilityMask & 16) ||
          path.targetIdentifier.rfind("fc.", 0) != 0 || colon == std::string::npos)
        continue;
      const std::string wwpn = Colons(path.targetIdentifier.substr(colon + 1));
      if (!seen.emplace(adapter->name, wwpn).second)
        continue;
      Rng rng(sizes.seed, 5, state.fpin().targets.size());
      FpinTargetRecord target{
          adapter->name,    wwpn, 0, rng.Below(64), rng.Below(16), rng.Below(16), rng.Below(8),
          rng.Below(8) == 0};
      target.total = target.congestion + target.peerCongestion + target.linkIntegrity + target.delivery;
      state.fpin().targets.push_back(std::move(target));
    }
  }

  std::string Uuid(Rng &rng, uint64_t i) {
    return Hex(i, 8) + "-" + Hex(rng.Next(), 8) + "-" + Hex(rng.Next(), 4) + "-" + Hex(rng.Next(), 12);
  }

  HostUserRecord User(Rng &rng, uint32_t lockMode, bool live, bool self) {
    HostUserRecord user;
    user.heartbeatUuid = Uuid(rng, rng.Below(1u << 31));
    user.mac = Colons("005056" + Hex(rng.Next(), 6));
    user.driverMajor = 6;
    user.driverMinor = static_cast<uint32_t>(rng.Below(80));
    user.heartbeatOffset = static_cast<int64_t>(3145728 + 4096 * rng.Below(64));
    user.lockMode = lockMode;
    user.live = live;
    user.self = self;
    return user;
  }

  // Volume i of the repeating pattern; its extents on the devices in turn.
  VolumeRecord MakeVolume(uint64_t i) {
    Rng rng(sizes.seed, 4, i);
    const std::vector<DeviceRecord> &devices = state.devices().records;
    const uint64_t kind = devices.empty() ? 7 : i % 8;
    VolumeRecord v;
    v.uuid = Uuid(rng, i);
    v.label = "ds-" + std::to_string(i);
    v.lvmUuid = Uuid(rng, i);
    v.capacity = static_cast<int64_t>((uint64_t{1} << 30) * (64 + rng.Below(4096)));
    v.used = static_cast<int64_t>(static_cast<uint64_t>(v.capacity) / 100 * rng.Below(100));
    v.unmap.priority = rng.Pick({"none", "low", "medium", "high"});
    auto extentOn = [&](uint64_t n) {
      return ExtentRecord{"olfs", devices[n % devices.size()].name,
                          static_cast<uint32_t>(1 + (n / devices.size()) % 128), 0, 0};
    };
    if (kind == 7) {
      v.type = "vfat";
      v.capacity = 4293591040;
      v.used = static_cast<int64_t>(rng.Below(1u << 30));
      return v;
    }
    v.extents.push_back(extentOn(i));
    v.users.push_back(User(rng, 0, true, true));
    switch (kind) {
    case 0: // ATS-only, shared by hosts
      v.lockState = 0x10;
      v.capabilities = 0x4000;
      v.clusteredOldk = true;
      v.unmap.maxHosts = 8;
      v.users = {User(rng, 4, true, true), User(rng, 4, true, false), User(rng, 4, false, false)};
      break;
    case 1: // three extents
      v.extents.push_back(extentOn(i + 1));
      v.extents.push_back(extentOn(i + 2));
      v.capabilities = 0x4000;
      break;
    case 2:
      v.majorVersion = 5;
      break;
    case 3:
      v.majorVersion = 3;
      break;
    case 4:
      v.majorVersion = 7;
      v.lockState = 0x20;
      break;
    case 5:
      v.mounted = false;
      v.explicitlyUnmounted = true;
      v.users.clear();
      break;
    default:
      v.busy = true;
      break;
    }
    return v;
  }

  void AddVolumes() {
    std::shared_ptr<State> base = LoadState(ProfileJson("default"), "profile \"default\"");
    VolumeFamily &family = state.volumes();
    family.pbcache = base->volumes().pbcache;
    family.heaps = base->volumes().heaps;
    family.volumes.reserve(sizes.volumes);
    for (uint64_t i = 0; i < sizes.volumes; ++i) {
      family.volumes.push_back(MakeVolume(i));
      const VolumeRecord &volume = family.volumes.back();
      if (i % 8 != 1 || !volume.IsOlfs())
        continue;
      // A snapshot of every spanning volume: its original is mounted.
      UnresolvedRecord snapshot;
      snapshot.uuid = volume.uuid;
      snapshot.label = volume.label;
      snapshot.lvmUuid = volume.lvmUuid;
      snapshot.capacity = volume.capacity;
      snapshot.extents = volume.extents;
      for (ExtentRecord &extent : snapshot.extents)
        extent.end = 2097151;
      family.unresolved.push_back(std::move(snapshot));
    }
  }

  // NAS mount i: v3 and v4.1 in turn, with the default host's variety.
  void AddNasMounts() {
    if (sizes.nasMounts == 0)
      return;
    std::shared_ptr<State> base = LoadState(ProfileJson("default"), "profile \"default\"");
    NasFamily &nas = state.nas();
    nas.firewallV3 = base->nas().firewallV3;
    nas.firewallV41 = base->nas().firewallV41;
    nas.credential = base->nas().credential;
    for (int s = 0; s < 8; ++s)
      nas.servers.push_back(
          {"nas" + std::to_string(s) + ".gen.test", "198.51.100." + std::to_string(10 + s)});
    nas.olknics = {"olk0", "olk1", "olk2", "olk3"};
    nas.mounts.reserve(sizes.nasMounts);
    for (uint64_t i = 0; i < sizes.nasMounts; ++i) {
      Rng rng(sizes.seed, 9, i);
      const bool v41 = i % 2 == 1;
      VolumeRecord v;
      v.uuid = Hex(0x5f000000 + i, 8) + "-" + Hex(rng.Next(), 8);
      v.label = "nas-" + std::to_string(i);
      v.type = v41 ? kNfs41Type : kNfsType;
      v.majorVersion = 0;
      v.capacity = static_cast<int64_t>((uint64_t{1} << 30) * (64 + rng.Below(4096)));
      v.used = static_cast<int64_t>(static_cast<uint64_t>(v.capacity) / 100 * rng.Below(100));
      v.accessible = i % 16 != 15;
      NasMountRecord m;
      m.uuid = v.uuid;
      const std::string server = i % 4 == 2 ? "198.51.100." + std::to_string(10 + i % 8)
                                            : "nas" + std::to_string(i % 8) + ".gen.test";
      m.servers = {server};
      if (v41)
        m.servers.push_back("nas" + std::to_string((i + 3) % 8) + ".gen.test");
      m.share = "/export/vol-" + std::to_string(i);
      if (i % 5 == 4) {
        m.boundToOlknic = true;
        if (v41) {
          for (std::string &entry : m.servers)
            entry += ":olk" + std::to_string(i % 4);
          for (const std::string &entry : m.servers)
            m.olknic += (m.olknic.empty() ? "" : ",") + entry;
        } else {
          m.olknic = "olk" + std::to_string(i % 4);
        }
      }
      m.connections = static_cast<int32_t>(1 + i % 8);
      m.address = "198.51.100." + std::to_string(10 + i % 8);
      m.readOnly = i % 7 == 3;
      m.pe = i % 32 == 5;
      m.hidden = i % 64 == 9;
      m.checksum = !v41 && i % 6 == 0;
      m.hwac = static_cast<uint32_t>(i % 3);
      m.security = v41 ? static_cast<uint32_t>(1 + (i / 2) % 4) : 1;
      state.volumes().volumes.push_back(std::move(v));
      nas.mounts.push_back(std::move(m));
    }
  }

  void Build() {
    // System settings and the system claim rules come from the default host.
    std::shared_ptr<State> base = LoadState(ProfileJson("default"), "profile \"default\"");
    state.system() = base->system();
    state.system().hostName = "olgen-" + std::to_string(sizes.seed);
    state.system().bootDevice.clear();
    state.claimRules() = base->claimRules();
    state.plugins() = base->plugins(); // the default host's plug-ins and module register
    // The NMP's SATPs with their rules, and its PSPs; devices are configured below.
    state.nmp().satps = base->nmp().satps;
    state.nmp().psps = base->nmp().psps;
    ClaimRuleClassRecord &mp = state.claimRules().mp;
    for (bool runtimeSide : {true, false}) {
      // Location rules name the default host's adapters; ours come below.
      std::vector<ClaimRuleRecord> &side = mp.Side(runtimeSide);
      side.erase(std::remove_if(side.begin(), side.end(),
                                [](const ClaimRuleRecord &r) { return r.type == "location"; }),
                 side.end());
    }

    state.adapters().records.reserve(sizes.adapters);
    for (uint64_t a = 0; a < sizes.adapters; ++a)
      state.adapters().records.push_back(MakeAdapter(sizes.seed, a, state.system().hostName));
    for (const AdapterRecord &adapter : state.adapters().records)
      adaptersOf[KindOfAdapter(static_cast<uint64_t>(&adapter - state.adapters().records.data()))].push_back(
          &adapter);

    for (uint64_t a = 0; a < sizes.adapters; ++a) {
      SanRecord san = MakeSanRecord(sizes.seed, a, state.adapters().records[a]);
      if (san.fc || san.sas || san.iscsi)
        state.san().records.push_back(std::move(san));
    }

    state.devices().records.reserve(sizes.devices);
    state.paths().records.reserve(sizes.devices * sizes.pathsPerDevice + 2 * (sizes.devices / 64 + 1));
    AddDevices();
    AddPathsWithoutDevice(mp);
    AddXvol();
    AddFpinTargets();
    AddVolumes();
    AddNasMounts();
    state.Reindex();
    // The HPP's and the NMP's devices get the configuration their claiming
    // gives them (for the NMP, by the SATP rules).
    for (const DeviceRecord &device : state.devices().records)
      if (device.multipathPlugin == "HPP" || device.multipathPlugin == "NMP")
        SettleDevice(state, device.name);
  }
};

} // namespace

int RunGenerate(const std::vector<std::string> &args) {
  Sizes sizes;
  bool help = false;
  std::string file;
  try {
    file = ParseArguments(args, sizes, help);
  } catch (const Refusal &refusal) {
    std::cerr << "orlocli-host: " << refusal.message << "\n";
    return kUsage;
  }
  if (help) {
    std::cout << kHelp;
    return 0;
  }

  Builder builder;
  builder.sizes = sizes;
  builder.Build();
  const std::string text = SaveState(builder.state);
  // Read back as any tool would: a generator fault shows here, not later.
  LoadState(text, file);

  FileStore store(file);
  {
    std::unique_ptr<HostLock> lock = store.Lock(true);
    store.WriteText(text);
  }
  std::cout << "Generated " << file << ": " << builder.state.adapters().records.size() << " adapters, "
            << builder.state.devices().records.size() << " devices, " << builder.state.paths().records.size()
            << " paths, " << builder.state.volumes().volumes.size() << " volumes";
  if (sizes.nasMounts != 0)
    std::cout << ", " << builder.state.nas().mounts.size() << " of them NAS";
  if (sizes.xvolContainers != 0 || sizes.xvolPes != 0)
    std::cout << ", " << builder.state.xvol().containers.size() << " storage containers, "
              << builder.state.xvol().pes.size() << " protocol endpoints";
  std::cout << " (seed " << sizes.seed << ")\n";
  return 0;
}
