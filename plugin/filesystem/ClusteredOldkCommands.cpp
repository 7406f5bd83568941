#include "filesystem/ClusteredOldkCommands.h"

#include "filesystem/VolumeSelection.h"
#include "frame/Params.h"

#include <hostctl/Exception.h>

namespace TarvexCli::FileSystem {

using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;

// --- clusteredoldk get ---

ClusteredOldkGet::ClusteredOldkGet() {
  SetDescription("Get information about clustered OLDK support.");
  SetDefaultOutputFormatter("simple");
}

Frame::InputSpecPtr ClusteredOldkGet::GetInputSpecInternal() {
  return GetSingleOLFSVolumeInputSpec();
}

Frame::MetaStructPtr ClusteredOldkGet::GetOutputStructure() const {
  return Frame::NewTemplate("ClusteredOldkInfo", {{"Enabled", FieldType::Bool}});
}

void ClusteredOldkGet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  VmFileSystemPtr volume = GetSingleOLFSVolume(input, output);
  if (!volume)
    return;
  try {
    auto info = GetOutputStructure();
    info->SetField("Enabled", volume->GetClusteredOldkSupport());
    output->SetRootObject(info);
  } catch (const HostCtlException &e) {
    // The host's message alone.
    output->AddErrorMessage(e.what());
  }
}

// --- clusteredoldk set ---

ClusteredOldkSet::ClusteredOldkSet() {
  SetDescription("Enable or disable clustered OLDK support.");
}

Frame::InputSpecPtr ClusteredOldkSet::GetInputSpecInternal() {
  auto spec = GetSingleOLFSVolumeInputSpec();
  Frame::AddParam(spec, "enabled", "e", ParameterType::Boolean, Frame::Required,
                  "The new enabled state of the clustered OLDK support.");
  return spec;
}

void ClusteredOldkSet::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  VmFileSystemPtr volume = GetSingleOLFSVolume(input, output);
  if (!volume)
    return;
  try {
    volume->SetClusteredOldkSupport(input->GetParameterBool("enabled"));
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

} // namespace TarvexCli::FileSystem
