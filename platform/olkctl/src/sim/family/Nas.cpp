#include "sim/family/Nas.h"

#include "sim/Json.h"
#include "sim/State.h"

#include <arpa/inet.h>

#include <unordered_set>

namespace OlkCtl::Sim {

namespace {

const Mapping<NasMountRecord> &MountMapping() {
  static const Mapping<NasMountRecord> mapping =
      Mapping<NasMountRecord>()
          .Member("uuid", &NasMountRecord::uuid)
          .Member("servers", &NasMountRecord::servers)
          .Member("share", &NasMountRecord::share)
          .Member("olknic", &NasMountRecord::olknic)
          .Member("boundToOlknic", &NasMountRecord::boundToOlknic)
          .Member("connections", &NasMountRecord::connections)
          .Member("address", &NasMountRecord::address)
          .Member("readOnly", &NasMountRecord::readOnly)
          .Member("pe", &NasMountRecord::pe)
          .Member("hidden", &NasMountRecord::hidden)
          .Member("checksum", &NasMountRecord::checksum)
          .Member("preunmount", &NasMountRecord::preunmount)
          .Member("hwac", &NasMountRecord::hwac)
          .Member("security", &NasMountRecord::security)
          .Member("maxQueueDepth", &NasMountRecord::maxQueueDepth)
          .Member("maxReadTransferSize", &NasMountRecord::maxReadTransferSize)
          .Member("maxWriteTransferSize", &NasMountRecord::maxWriteTransferSize);
  return mapping;
}

const Mapping<NasServerRecord> &ServerMapping() {
  static const Mapping<NasServerRecord> mapping = Mapping<NasServerRecord>()
                                                      .Member("name", &NasServerRecord::name)
                                                      .Member("address", &NasServerRecord::address);
  return mapping;
}

const Mapping<NasCredentialRecord> &CredentialMapping() {
  static const Mapping<NasCredentialRecord> mapping =
      Mapping<NasCredentialRecord>()
          .Member("user", &NasCredentialRecord::user)
          .Member("passwordHashes", &NasCredentialRecord::passwordHashes)
          .Member("current", &NasCredentialRecord::current);
  return mapping;
}

bool IsIpAddress(const std::string &text) {
  unsigned char buffer[16];
  return inet_pton(AF_INET, text.c_str(), buffer) == 1 || inet_pton(AF_INET6, text.c_str(), buffer) == 1;
}

} // namespace

bool IsNasType(const std::string &type) {
  return type == kNfsType || type == kNfs41Type;
}

const NasMountRecord *NasFamily::Find(const std::string &uuid) const {
  auto it = byUuid_.find(uuid);
  return it == byUuid_.end() ? nullptr : &mounts[it->second];
}

NasMountRecord *NasFamily::MutableFind(const std::string &uuid) {
  auto it = byUuid_.find(uuid);
  return it == byUuid_.end() ? nullptr : &mounts[it->second];
}

std::string NasFamily::Resolve(const std::string &name) const {
  auto it = servers_.find(name);
  if (it != servers_.end())
    return servers[it->second].address;
  return IsIpAddress(name) ? name : std::string();
}

bool NasFamily::HasOlknic(const std::string &name) const {
  for (const std::string &olknic : olknics)
    if (olknic == name)
      return true;
  return false;
}

void NasFamily::Reindex() {
  byUuid_.clear();
  byUuid_.reserve(mounts.size());
  for (std::size_t i = 0; i < mounts.size(); ++i)
    byUuid_.emplace(mounts[i].uuid, i);
  servers_.clear();
  for (std::size_t i = 0; i < servers.size(); ++i)
    servers_.emplace(servers[i].name, i);
}

void CheckFamilyReferences(const State &state, const NasFamily &family) {
  for (std::size_t i = 0; i < family.mounts.size(); ++i) {
    const std::string &uuid = family.mounts[i].uuid;
    // An entry whose volume is gone is left alone: a host written with fewer
    // volumes keeps working.
    const VolumeRecord *volume = state.volumes().ByUuid(uuid);
    if (volume && !IsNasType(volume->type))
      throw StateError("nas.mounts[" + std::to_string(i) + "].uuid: volume " + uuid +
                       " is not an NFS volume");
  }
}

void LoadFamily(const Node &node, NasFamily &family) {
  if (!node.Value().is_object())
    node.Fail("expected an object");
  if (node.Has("mounts")) {
    const Node list = node.Field("mounts");
    family.mounts = MountMapping().LoadList(list);
    std::unordered_set<std::string> seen;
    std::size_t i = 0;
    list.Each([&](const Node &element) {
      const NasMountRecord &mount = family.mounts[i++];
      if (mount.uuid.empty())
        element.Fail("a NAS mount needs the uuid of its volume");
      if (mount.servers.empty())
        element.Fail("a NAS mount needs a server");
      if (mount.connections < 1 || mount.connections > 8)
        element.Field("connections").Fail("connections are 1 to 8");
      if (!seen.insert(mount.uuid).second)
        element.Fail("duplicate NAS mount " + mount.uuid);
    });
  }
  if (node.Has("servers"))
    family.servers = ServerMapping().LoadList(node.Field("servers"));
  if (node.Has("olknics"))
    family.olknics = node.Field("olknics").AsStringList();
  if (node.Has("firewallV3"))
    family.firewallV3 = node.Field("firewallV3").AsStringList();
  if (node.Has("firewallV41"))
    family.firewallV41 = node.Field("firewallV41").AsStringList();
  if (node.Has("credential")) {
    const Node credential = node.Field("credential");
    CredentialMapping().Load(credential, family.credential);
    if (family.credential.user.empty() && !family.credential.passwordHashes.empty())
      credential.Fail("passwords need a user");
    if (family.credential.current >= static_cast<int32_t>(family.credential.passwordHashes.size()))
      credential.Field("current").Fail("no such password");
    for (const std::string &hash : family.credential.passwordHashes)
      if (hash.rfind("$argon2id$", 0) != 0)
        credential.Field("passwordHashes").Fail("only Argon2id password hashes are kept");
  }
  node.Done();
}

nlohmann::ordered_json SaveFamily(const NasFamily &family) {
  Json out = Json::object();
  out["mounts"] = MountMapping().SaveList(family.mounts);
  out["servers"] = ServerMapping().SaveList(family.servers);
  out["olknics"] = family.olknics;
  out["firewallV3"] = family.firewallV3;
  out["firewallV41"] = family.firewallV41;
  out["credential"] = CredentialMapping().Save(family.credential);
  return out;
}

} // namespace OlkCtl::Sim
