// The claim-rule object of the simulated host: rules read from the host, and
// new rules built by a caller for StorageInfo::AddPsaClaimRule.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/PsaClaimRule.h>

#include <cstdint>
#include <string>

namespace OlkCtl::Storage {

class OLKCTL_API PsaClaimRuleImpl : public HostCtl::Storage::PsaClaimRule {
public:
  // A new rule of the class named by `classText` ("MP", "Filter", "HWAC"),
  // present on neither side. Until the host stores it, both sides report the
  // values the setters give. An unknown class text gives the unknown class.
  PsaClaimRuleImpl(uint32_t ruleId, const std::string &classText);
  // A rule as the host holds it.
  PsaClaimRuleImpl(uint32_t ruleId, HostCtl::Storage::PSAClaimRuleClass ruleClass, const Properties *runtime,
                   const Properties *file);

  uint32_t GetRuleId() const override { return ruleId_; }
  HostCtl::Storage::PSAClaimRuleClass GetClaimRuleClass() const override { return class_; }
  bool IsPresent(Side side) const override { return side == SIDE_RUNTIME ? inRuntime_ : inFile_; }
  const Properties &GetProperties(Side side) const override {
    return side == SIDE_RUNTIME ? runtime_ : file_;
  }
  void Move(uint32_t newRuleId) override;

  void SetType(PathClaimType type);
  void SetPluginName(const std::string &plugin);
  void SetVendor(const std::string &vendor);
  void SetModel(const std::string &model);
  void SetNvmeControllerModel(const std::string &model);
  void SetPciVendorId(uint32_t id);
  void SetPciSubVendorId(uint32_t id);
  void SetAdapterName(const std::string &adapter);
  void SetChannel(uint32_t channel);
  void SetTarget(uint32_t target);
  void SetLun(uint32_t lun);
  void SetDriverName(const std::string &driver);
  void SetTransport(HostCtl::Storage::ScsiInterface::ScsiInterfaceType transport);
  void SetDeviceUid(const std::string &uid);
  void SetWwnn(uint64_t wwnn);
  void SetWwpn(uint64_t wwpn);
  void SetIqn(const std::string &iqn);
  void SetMppConfigString(const std::string &config);
  void SetForce(bool force);
  void SetForceReserved(bool forceReserved);
  void SetExtendedXcopySupport(bool enabled);
  void SetXcopyUseArrayValues(bool enabled);
  void SetXcopyUseMultiSegs(bool enabled);
  void SetXcopyMaxTransferSize(uint64_t megabytes);
  void SetXcopyMaxTransferSizeKiB(uint64_t kibibytes);

private:
  // A new rule keeps its two sides equal.
  template <class F> void Edit(F &&apply) {
    apply(runtime_);
    apply(file_);
  }

  uint32_t ruleId_;
  HostCtl::Storage::PSAClaimRuleClass class_;
  bool inRuntime_ = false;
  bool inFile_ = false;
  Properties runtime_;
  Properties file_;
};

} // namespace OlkCtl::Storage
