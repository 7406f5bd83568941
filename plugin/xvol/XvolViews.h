// storage xvol ...: the read-only views of providers, storage containers,
// protocol endpoints, storage arrays and the OSPA context.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

#include <hostctl/storage/Xvol.h>

#include <map>
#include <string>
#include <vector>

namespace TarvexCli::XVolNamespace {

// A PE as the PE lists show it: the host's record and the identifiers of the
// storage containers that use it, in the order they were met.
struct PeInfo {
  HostCtl::Storage::ProtocolEndPoint pe;
  std::vector<std::string> containers;
};

// By OSPA PE id, in byte order.
using PeMap = std::map<std::string, PeInfo>;

// What the PE list commands share.
class ProtocolEndpointListCommon {
public:
  // Every PE the host's containers use; a PE that fails is reported on
  // `output` and the walk goes on.
  static PeMap GetPEMap(const Frame::OutputPtr &output);
  // A fresh ProtocolEndPoint row filled from one PE.
  static Frame::MetaStructPtr GetPeEntry(const PeInfo &info);
  static Frame::MetaStructPtr GetPeStructure();
};

// storage xvol ospaprovider list
class VendorProviderList : public Frame::ListCommand<VendorProviderList> {
public:
  VendorProviderList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage xvol storagecontainer list
class StorageContainerList : public Frame::ListCommand<StorageContainerList> {
public:
  StorageContainerList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage xvol protocolendpoint list
class ProtocolEndPointList : public Frame::ListCommand<ProtocolEndPointList> {
public:
  ProtocolEndPointList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage xvol ospacontext get
class OspaContextGet : public Frame::CommandClass<OspaContextGet> {
public:
  OspaContextGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  Frame::OutputSpecPtr GetOutputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

namespace StorageArray {

// storage xvol storagearray list
class StorageArrayList : public Frame::ListCommand<StorageArrayList> {
public:
  StorageArrayList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage xvol storagearray container list
class StorageArrayContainerList : public Frame::ListCommand<StorageArrayContainerList> {
public:
  StorageArrayContainerList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage xvol storagearray protocolendpoint list
class StorageArrayProtocolEndpointList : public Frame::ListCommand<StorageArrayProtocolEndpointList> {
public:
  StorageArrayProtocolEndpointList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

} // namespace StorageArray

} // namespace TarvexCli::XVolNamespace
