// The nas family of the simulated host: the NFS v3 and v4.1 side of the NAS
// volumes (the volumes themselves, of types "NFS" and "NFS41", are in the
// volumes family), the name table of NFS servers, the host's olknics, the two
// NFS client firewall rule sets and the v4.1 default Kerberos credential
// (document member "nas").
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace OlkCtl::Sim {

class Node;
class State;

inline constexpr const char *kNfsType = "NFS";
inline constexpr const char *kNfs41Type = "NFS41";

// The NFS side of one volume of type "NFS" or "NFS41". A NAS volume without an
// entry has these defaults.
struct NasMountRecord {
  std::string uuid;                 // the volume's
  std::vector<std::string> servers; // v3: the one host; v4.1: "host" or "host:olknic", as given
  std::string share;
  std::string olknic;         // configured; v4.1: every olknic, joined with ","
  bool boundToOlknic = false; // added with host:olknic
  int32_t connections = 1;    // configured
  std::string address;        // what the first server resolved to at the last mount
  bool readOnly = false;
  bool pe = false;
  bool hidden = false;
  bool checksum = false;
  bool preunmount = false;
  uint32_t hwac = 0;     // HWACState
  uint32_t security = 1; // v4.1: NetworkFileSystem::SecurityType
  uint32_t maxQueueDepth = 4294967295u;
  uint32_t maxReadTransferSize = 1048576;
  uint32_t maxWriteTransferSize = 1048576;
};

struct NasServerRecord {
  std::string name;    // "nas1.example.test"
  std::string address; // "192.0.2.10"
};

// The default credential: only hashes of the passwords are kept
// (libsodium's crypto_pwhash_str, Argon2id).
struct NasCredentialRecord {
  std::string user; // empty: none is set
  std::vector<std::string> passwordHashes;
  int32_t current = -1; // index of the password in use; -1: none chosen
};

struct NasFamily {
  std::vector<NasMountRecord> mounts;
  std::vector<NasServerRecord> servers;
  std::vector<std::string> olknics;
  std::vector<std::string> firewallV3;  // ruleset nfsClient, insertion order
  std::vector<std::string> firewallV41; // ruleset nfs41Client
  NasCredentialRecord credential;

  const NasMountRecord *Find(const std::string &uuid) const;
  NasMountRecord *MutableFind(const std::string &uuid);
  // The address a name resolves to: the table's entry, or an IP address
  // itself; empty when it does not resolve.
  std::string Resolve(const std::string &name) const;
  bool HasOlknic(const std::string &name) const;
  void Reindex();

private:
  std::unordered_map<std::string, std::size_t> byUuid_;
  std::unordered_map<std::string, std::size_t> servers_;
};

bool IsNasType(const std::string &type);

// A mount entry names a volume of type "NFS" or "NFS41" (or one the host no
// longer has, which is ignored).
void CheckFamilyReferences(const State &state, const NasFamily &family);

// Fills the family from the document member (StateError on bad input).
void LoadFamily(const Node &node, NasFamily &family);
// The document member for the family.
nlohmann::ordered_json SaveFamily(const NasFamily &family);

} // namespace OlkCtl::Sim
