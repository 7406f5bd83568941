// storage nfs ...: NFS v3 volumes, their parameters, preunmount state and the
// nfsClient firewall rule set.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::FileSystem {

// storage nfs add
class NFSVolumeAdd : public Frame::ActionCommand<NFSVolumeAdd> {
public:
  NFSVolumeAdd();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nfs list
class NFSVolumeList : public Frame::ListCommand<NFSVolumeList> {
public:
  NFSVolumeList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage nfs remove
class NFSVolumeRemove : public Frame::ActionCommand<NFSVolumeRemove> {
public:
  NFSVolumeRemove();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nfs restore
class NFSVolumeRestore : public Frame::ActionCommand<NFSVolumeRestore> {
public:
  NFSVolumeRestore();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nfs param get
class NFSVolumeParamGet : public Frame::ListCommand<NFSVolumeParamGet> {
public:
  NFSVolumeParamGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage nfs param set
class NFSVolumeParamSet : public Frame::ActionCommand<NFSVolumeParamSet> {
public:
  NFSVolumeParamSet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nfs preunmountstate enter
class NFSVolumePreunmountEnter : public Frame::ActionCommand<NFSVolumePreunmountEnter> {
public:
  NFSVolumePreunmountEnter();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nfs preunmountstate exit
class NFSVolumePreunmountExit : public Frame::ActionCommand<NFSVolumePreunmountExit> {
public:
  NFSVolumePreunmountExit();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nfs firewall add
class NFSFirewallAdd : public Frame::ActionCommand<NFSFirewallAdd> {
public:
  NFSFirewallAdd();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage nfs firewall list
class NFSFirewallList : public Frame::StructCommand<NFSFirewallList> {
public:
  NFSFirewallList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage nfs firewall remove
class NFSFirewallRemove : public Frame::ActionCommand<NFSFirewallRemove> {
public:
  NFSFirewallRemove();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::FileSystem
