// NAS volumes: NFS v3 and v4.1 mounts, their per-volume parameters, and the
// host's NFS client firewall rule sets.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/FileSystem.h>

#include <cstdint>
#include <string>
#include <vector>

namespace HostCtl::Storage {

// The NFS protocol version of a mount or a firewall rule set.
enum class NfsVersion { V3 = 1, V41 = 2 };

// Array-integration support of a NAS volume.
enum HWACState { HWAC_UNKNOWN = 0, HWAC_SUPPORTED = 1, HWAC_NOT_SUPPORTED = 2 };

// The configured parameters of a NAS volume.
struct NasParams {
  uint32_t maxQueueDepth = 0;
  uint32_t maxReadTransferSize = 0;
  uint32_t maxWriteTransferSize = 0;
  std::string olknic; // v3: the configured olknic; v4.1: the configured olknics, joined with ","
  int32_t connections = 1;
};

class OLKCTL_API NetworkFileSystem : public FileSystem {
public:
  enum SecurityType { AUTH_NONE = 0, AUTH_SYS = 1, AUTH_KRB5 = 2, AUTH_KRB5I = 3, AUTH_KRB5P = 4 };
  static constexpr const char *NFS_AUTH_NONE_STR = "AUTH_NONE";
  static constexpr const char *NFS_AUTH_SYS_STR = "AUTH_SYS";
  static constexpr const char *NFS_AUTH_KRB5_STR = "SEC_KRB5";
  static constexpr const char *NFS_AUTH_KRB5I_STR = "SEC_KRB5I";
  static constexpr const char *NFS_AUTH_KRB5P_STR = "SEC_KRB5P";
  static constexpr const char *NFS_AUTH_UNKNOWN_STR = "UNKNOWN";
  // Filled with the error code, the host name and the reason.
  static constexpr const char *NFS_DNS_RERESOLVE_ERR_FMT =
      "Error: 0x%x: Failed to re-resolve hostname %s: %s";
  // Mount options.
  static constexpr int MOUNT_OPTION_NONE = 0;
  static constexpr int MOUNT_OPTION_RETRY = 4;

  // The text of a flavour; NFS_AUTH_UNKNOWN_STR for any other value.
  static const char *SecurityTypeText(int type);

  virtual NfsVersion GetNfsVersion() = 0;
  // v3: the host given at add time; v4.1: the first server.
  virtual std::string GetRemoteHost() = 0;
  // v4.1: every server, as given ("host" or "host:olknic"); v3: the one host.
  virtual std::vector<std::string> GetRemoteHosts() = 0;
  virtual std::string GetShare() = 0;
  // The olknic(s) in use; empty when the mount is not bound to one.
  virtual std::string GetOlknic() = 0;
  virtual int32_t GetConnections() = 0;
  virtual bool IsAccessible() = 0;
  virtual bool IsReadOnly() = 0;
  virtual bool IsPE() = 0;
  virtual bool IsHidden() = 0;
  virtual bool IsChecksumEnabled() = 0;
  virtual int GetSecurityType() = 0;
  // A HWACState value.
  virtual int GetHWACStatus() = 0;
  virtual NasParams GetParams() = 0;

  virtual void SetReadOnly(bool readOnly) = 0;
  virtual void SetPE(bool pe) = 0;
  // Mounts a configured volume; `option` is MOUNT_OPTION_NONE or MOUNT_OPTION_RETRY.
  virtual void MountWithOption(int option) = 0;
  virtual void SetMaxQueueDepth(uint32_t depth) = 0;
  virtual void SetOlknic(const std::string &olknic) = 0;
  // v4.1: "host:olknic" entries joined with ",".
  virtual void SetOlknics(const std::string &olknics) = 0;
  virtual void SetConnections(int32_t connections) = 0;
  // The address the host name resolves to now.
  virtual std::string Resolve(const std::string &hostName) = 0;
  // Points the volume at `address`; an accessible volume only with `force`.
  virtual void ReResolve(const std::string &hostName, const std::string &address, bool force) = 0;
  // Mounts again a configured volume that is not mounted.
  virtual void Restore() = 0;
};

// Overwrites the text's characters with zeros (sodium_memzero, which the
// compiler does not leave out) and empties it: for passwords, once used.
OLKCTL_API void WipePassword(std::string &text);

} // namespace HostCtl::Storage

namespace HostCtl::Network {

class OLKCTL_API Ipv4Address {
public:
  // Dotted quad, nothing else.
  static bool IsValidAddress(const std::string &text);
};

class OLKCTL_API Ipv6Address {
public:
  static bool IsValidAddress(const std::string &text);
};

class OLKCTL_API Ipv6Network {
public:
  // "fd00::/8": an IPv6 address, "/" and a prefix length of 0 to 128.
  static bool IsValidAddressAndNetmask(const std::string &text);
};

} // namespace HostCtl::Network
