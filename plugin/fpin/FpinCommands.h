// storage fpin ...: fabric performance impact notifications.
#pragma once

#include "frame/Command.h"
#include "frame/Output.h"

namespace TarvexCli::FpinNamespace {

// storage fpin info get
class FpinInfoGet : public Frame::StructCommand<FpinInfoGet> {
public:
  FpinInfoGet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage fpin info set
class FpinInfoSet : public Frame::ActionCommand<FpinInfoSet> {
public:
  FpinInfoSet();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

// storage fpin fc adapter list
class FpinFcAdaptersList : public Frame::ListCommand<FpinFcAdaptersList> {
public:
  FpinFcAdaptersList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage fpin fc target get
class FpinFcAdaptersTargets : public Frame::ListCommand<FpinFcAdaptersTargets> {
public:
  FpinFcAdaptersTargets();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage fpin fc stats get
class FpinFcStatsInfo : public Frame::StructCommand<FpinFcStatsInfo> {
public:
  FpinFcStatsInfo();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage fpin fc event list
class FpinFcStatsList : public Frame::ListCommand<FpinFcStatsList> {
public:
  FpinFcStatsList();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
  Frame::MetaStructPtr GetOutputStructure() const;
};

// storage fpin fc clear
class FpinFcClear : public Frame::ActionCommand<FpinFcClear> {
public:
  FpinFcClear();
  Frame::InputSpecPtr GetInputSpecInternal() override;
  void ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) override;
};

} // namespace TarvexCli::FpinNamespace
