// The native multipathing plug-in of the simulated host, reached directly:
// the plug-in object, SATP and PSP look-ups, and configuration objects made for
// a device or path by name, which the configuration-file variants of the set
// commands use whatever controls the device now.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/Nmp.h>

#include <memory>
#include <string>
#include <vector>

namespace OlkCtl::Sim {
class State;
}

namespace OlkCtl::Storage::Nmp {

// Every operation throws HostCtlException when the NMP is not loaded.
class OLKCTL_API NmpPsaPluginImpl : public HostCtl::Storage::Nmp::NmpPsaPlugin {
public:
  NmpPsaPluginImpl();
  explicit NmpPsaPluginImpl(std::shared_ptr<const Sim::State> state);
  ~NmpPsaPluginImpl() override;

  std::string GetName() const override;
  void UnclaimAllPaths() override;
  std::vector<std::unique_ptr<HostCtl::Storage::Lun>> GetDevices() override;
  std::vector<std::unique_ptr<HostCtl::Storage::ScsiPath>> GetPaths() override;
  std::unique_ptr<HostCtl::Storage::Nmp::NmpDeviceConfig>
  GetDeviceConfig(const std::string &deviceName) override;
  std::unique_ptr<HostCtl::Storage::Nmp::NmpScsiPathConfig>
  GetPathConfig(const std::string &pathName) override;
  std::vector<std::unique_ptr<HostCtl::Storage::Nmp::StorageArrayType>> GetStorageArrayTypes() override;
  std::vector<std::unique_ptr<HostCtl::Storage::Nmp::PathSelectionPolicy>>
  GetPathSelectionPolicies() override;
  std::unique_ptr<HostCtl::Storage::Nmp::StorageArrayType> GetStorageArrayTypeByName(const std::string &name,
                                                                                     bool create) override;

private:
  std::shared_ptr<const Sim::State> state_;
};

class OLKCTL_API StorageArrayTypeImpl {
public:
  explicit StorageArrayTypeImpl(std::string name);
  // With `boot`, the change is not kept in the configuration file: it lasts
  // until the next boot.
  void SetDefaultPathSelectionPolicyName(const std::string &psp, bool boot);

private:
  std::string name_;
};

class OLKCTL_API PathSelectionPolicyImpl {
public:
  // A loaded PSP.
  static bool IsValidPsp(const std::string &name);
};

// Configuration objects for a device or path of the host by name (refused when
// the host has none of that name). Their setters keep the setting in the
// configuration once SetUpdateConfigFile(true) is called, and apply it to the
// runtime when the device is under the NMP (and, for PSP settings, under that
// PSP); otherwise it applies when the device is next claimed or takes the PSP.
class OLKCTL_API NmpDeviceConfigImpl {
public:
  static std::unique_ptr<HostCtl::Storage::Nmp::NmpDeviceConfig> New(const std::string &deviceName);
};

class OLKCTL_API FixedPathSelectionPolicyDeviceConfigImpl {
public:
  static std::unique_ptr<HostCtl::Storage::Nmp::FixedPathSelectionPolicyDeviceConfig>
  New(const std::string &deviceName);
};

class OLKCTL_API RoundRobinPathSelectionPolicyDeviceConfigImpl {
public:
  static std::unique_ptr<HostCtl::Storage::Nmp::RoundRobinPathSelectionPolicyDeviceConfig>
  New(const std::string &deviceName);
};

class OLKCTL_API NmpScsiPathConfigImpl {
public:
  static std::unique_ptr<HostCtl::Storage::Nmp::NmpScsiPathConfig> New(const std::string &pathName);
};

} // namespace OlkCtl::Storage::Nmp
