// The SAN transport family of the simulated host: per adapter, what its
// transport reports beyond the adapter record (document member "san").
#pragma once

#include "sim/family/Indexed.h"

#include <hostctl/storage/FibreChannelInterface.h>
#include <hostctl/storage/SerialAttachedScsiInterface.h>
#include <hostctl/storage/iScsiInterface.h>

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace OlkCtl::Sim {

class Node;

// One entry of an FC event log.
struct SanEventRecord {
  uint64_t time = 0;   // seconds since the epoch, UTC
  std::string kind;    // one of SanEventKinds()
  uint64_t detail = 0; // per kind: port ID (rscn), speed in Gbps (linkup), reason (linkdown)
};

// The event kinds with their codes in an event's second word.
struct SanEventKind {
  const char *word;
  uint64_t code;
};
const std::vector<SanEventKind> &SanEventKinds();

// An FC port (FC and FCoE adapters). Node and port names are the adapter's
// UID's; driver and firmware come from the adapter record.
struct SanFcPort {
  std::string portId;
  uint32_t speed = 0; // Gbps
  std::string portType;
  std::string portState;
  std::string modelDescription;
  std::string hardwareVersion;
  std::string optionRomVersion;
  HostCtl::Storage::FcStats stats;
  std::vector<SanEventRecord> events; // oldest first
};

// What an FCoE adapter adds to its FC port.
struct SanFcoeLink {
  std::string controllerMac;
  std::string fcfMac;
  std::string vnPortMac;
  uint16_t vlanId = 0;
  std::string nic;
  HostCtl::Storage::FcoeStats stats;
};

struct SanSasPort {
  std::string sasAddress;
  uint8_t physicalId = 0;
  int64_t minimumLinkRate = 0; // Mbps
  int64_t maximumLinkRate = 0;
  int64_t negotiatedLinkRate = 0;
  std::string modelDescription;
  std::string hardwareVersion;
  std::string optionRomVersion;
  HostCtl::Storage::SasPhyStats phyStats;
};

struct SanIscsiPort {
  int state = HostCtl::Storage::ISCSI_STATE_ONLINE;
  std::string description;
  HostCtl::Storage::iScsiStats stats;
};

// The transport data of one adapter; `name` is the adapter's. Only the parts
// of the adapter's transport are used.
struct SanRecord {
  std::string name;
  std::optional<SanFcPort> fc;
  std::optional<SanFcoeLink> fcoe;
  std::optional<SanSasPort> sas;
  std::optional<SanIscsiPort> iscsi;
};

using SanFamily = IndexedFamily<SanRecord>;

// The world-wide node and port names an FC or FCoE adapter's UID carries
// ("fc.20000024ff3d5a10:21000024ff3d5a10"), in colon form; empty when it
// carries none.
std::pair<std::string, std::string> WorldWideNamesOfUid(const std::string &uid);

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, SanFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const SanFamily &family);

} // namespace OlkCtl::Sim
