// storage nfs41 ...: NFS v4.1 volumes, their parameters, the nfs41Client
// firewall rule set and the default Kerberos credential.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::FileSystem {

// storage nfs41 add
class NFS41VolumeAdd : public Frame::ActionCommand<NFS41VolumeAdd> {
public:
  NFS41VolumeAdd();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nfs41 list
class NFS41VolumeList : public Frame::ListCommand<NFS41VolumeList> {
public:
  NFS41VolumeList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage nfs41 remove
class NFS41VolumeRemove : public Frame::ActionCommand<NFS41VolumeRemove> {
public:
  NFS41VolumeRemove();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nfs41 restore
class NFS41VolumeRestore : public Frame::ActionCommand<NFS41VolumeRestore> {
public:
  NFS41VolumeRestore();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nfs41 param get
class NFS41VolumeParamGet : public Frame::ListCommand<NFS41VolumeParamGet> {
public:
  NFS41VolumeParamGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage nfs41 param set
class NFS41VolumeParamSet : public Frame::ActionCommand<NFS41VolumeParamSet> {
public:
  NFS41VolumeParamSet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nfs41 firewall add
class NFS41FirewallAdd : public Frame::ActionCommand<NFS41FirewallAdd> {
public:
  NFS41FirewallAdd();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nfs41 firewall list
class NFS41FirewallList : public Frame::StructCommand<NFS41FirewallList> {
public:
  NFS41FirewallList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage nfs41 firewall remove
class NFS41FirewallRemove : public Frame::ActionCommand<NFS41FirewallRemove> {
public:
  NFS41FirewallRemove();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nfs41 credential get
class NFS41CredentialGet : public Frame::ListCommand<NFS41CredentialGet> {
public:
  NFS41CredentialGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage nfs41 credential set
class NFS41CredentialSet : public Frame::ActionCommand<NFS41CredentialSet> {
public:
  NFS41CredentialSet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nfs41 credential unset
class NFS41CredentialUnset : public Frame::ActionCommand<NFS41CredentialUnset> {
public:
  NFS41CredentialUnset();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::FileSystem
