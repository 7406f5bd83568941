// What the NFS v3 and v4.1 commands share: the firewall commands, removal and
// restore, the list and parameter texts.
#pragma once

#include "frame/Command.h"

#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/storage/NetworkFileSystem.h>

#include <string>

namespace TarvexCli::FileSystem {

// "Supported", "Not Supported" or "Unknown".
const char *TranslateHWAC(int state);

// The host's re-resolution error text for `hostName`.
std::string ReResolveErrorText(unsigned code, const std::string &hostName, const char *text);

// An address with a prefix length (IPv4 "a.b.c.d/n", n at most 32, read as
// strtoul with base 0 reads it; or an IPv6 network); never a bare address.
bool IsValidIpMask(const std::string &value);

// "Error getting data for mount '<name>': <what>, skipping."
std::string SkippedMountText(const std::string &name, const std::exception &error);

// The bodies of the commands both versions have.
void RunFirewallAdd(HostCtl::Storage::NfsVersion version, const Frame::InputPtr &input,
                    const Frame::OutputPtr &output);
void RunFirewallRemove(HostCtl::Storage::NfsVersion version, const Frame::InputPtr &input,
                       const Frame::OutputPtr &output);
void RunFirewallList(HostCtl::Storage::NfsVersion version, const Frame::MetaStructPtr &row,
                     const Frame::OutputPtr &output);
void RunVolumeRemove(HostCtl::Storage::NfsVersion version, const Frame::InputPtr &input,
                     const Frame::OutputPtr &output);
void RunVolumeRestore(HostCtl::Storage::NfsVersion version, const Frame::OutputPtr &output);

// "param get": one row per non-PE volume of the version named (every one for
// "all"); `olknicField` is "Olknic" (v3) or "Olknics" (v4.1).
Frame::MetaStructPtr NasParamsTemplate(const char *olknicField);
void RunParamGet(HostCtl::Storage::NfsVersion version, const char *olknicField, const Frame::InputPtr &input,
                 const Frame::OutputPtr &output);

// Mounts a volume just added; when that fails, removes it again and reports
// the failure. False when it failed.
bool MountOrUndo(OlkCtl::Storage::StorageInfoImpl &storage, HostCtl::Storage::NetworkFileSystem &volume,
                 int option, const std::string &volumeName, const Frame::OutputPtr &output);

// The firewall list's row: one structure with the joined entries.
Frame::MetaStructPtr FirewallConfigsTemplate();

} // namespace TarvexCli::FileSystem
