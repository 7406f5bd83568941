#include "filesystem/OlfsSnapshotCommands.h"

#include "filesystem/VolumeSelection.h"
#include "frame/Params.h"

#include <olkctl/storage/StorageInfoImpl.h>

#include <hostctl/Exception.h>
#include <hostctl/storage/FileSystem.h>
#include <hostctl/storage/StorageInfoScopedCache.h>

#include <memory>
#include <string>
#include <vector>

namespace TarvexCli::FileSystem {

using CliKit::CallSpec::InputSpec;
using CliKit::CallSpec::ParameterType;
using Frame::FieldType;
using HostCtl::Lib::HostCtlException;
using HostCtl::Storage::UnresolvedOlfsExtent;
using HostCtl::Storage::UnresolvedOlfsVolume;
using HostCtl::Storage::UnresolvedVolume;
using OlkCtl::Storage::StorageInfoImpl;

namespace {

using UnresolvedVector = std::vector<std::unique_ptr<UnresolvedVolume>>;

// The text of an eligibility reason code.
const char *ReasonText(int code) {
  switch (code) {
  case 0:
    return "ok";
  case 1:
    return "duplicate extents found";
  case 2:
    return "some extents missing";
  case 3:
    return "extra extents found";
  case 4:
    return "failed to check for existing active volumes";
  case 5:
    return "the volume is being actively used";
  case 6:
    return "the original volume is still online";
  case 7:
    return "the original volume has some extents online";
  default:
    return "unknown error";
  }
}

UnresolvedOlfsVolume *AsOlfs(const std::unique_ptr<UnresolvedVolume> &volume) {
  return dynamic_cast<UnresolvedOlfsVolume *>(volume.get());
}

// The OLFS snapshots the filters keep (an empty filter keeps all), in host order.
std::vector<UnresolvedOlfsVolume *> Filtered(const UnresolvedVector &volumes, const std::string &uuid,
                                             const std::string &label) {
  std::vector<UnresolvedOlfsVolume *> kept;
  for (const auto &entry : volumes) {
    UnresolvedOlfsVolume *volume = AsOlfs(entry);
    if (volume && (uuid.empty() || volume->GetOlfsUuid() == uuid) &&
        (label.empty() || volume->GetVolumeName() == label))
      kept.push_back(volume);
  }
  return kept;
}

// Lists the rows `addRows(volume, result)` makes for each snapshot the filters
// keep, the host's storage information held in one snapshot meanwhile.
template <class AddRows>
void ListSnapshots(const Frame::InputPtr &input, const Frame::OutputPtr &output,
                   const Frame::MetaListPtr &result, const AddRows &addRows) {
  const std::string label = input->GetParameter("volume-label");
  const std::string uuid = input->GetParameter("volume-uuid");
  try {
    HostCtl::Storage::StorageInfoScopedCache cache(false);
    StorageInfoImpl storage;
    auto volumes = storage.GetUnresolvedVolumes();
    for (UnresolvedOlfsVolume *volume : Filtered(volumes, uuid, label))
      addRows(*volume, result);
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

void AddSnapshotParams(const Frame::InputSpecPtr &spec, const char *labelText, const char *uuidText) {
  Frame::AddParam(spec, "volume-label", "l", ParameterType::String, Frame::Optional, labelText);
  Frame::AddParam(spec, "volume-uuid", "u", ParameterType::String, Frame::Optional, uuidText);
}

// The front part of snapshot mount and resignature: the snapshots of the one
// label or uuid given, in host order. False after an error message was added.
bool MatchingSnapshots(const Frame::InputPtr &input, const Frame::OutputPtr &output, StorageInfoImpl &storage,
                       UnresolvedVector &all, std::vector<UnresolvedOlfsVolume *> &matching) {
  const std::string label = input->GetParameter("volume-label");
  const std::string uuid = input->GetParameter("volume-uuid");
  if (!label.empty() && !uuid.empty()) {
    output->AddErrorMessage("A target snapshot cannot be specified by both volume label and uuid.");
    return false;
  }
  if (label.empty() && uuid.empty()) {
    output->AddErrorMessage(
        "A target OLFS volume must be specified by either volume label or uuid but not both.");
    return false;
  }
  all = storage.GetUnresolvedVolumes();
  matching = Filtered(all, uuid, label);
  return true;
}

void AddNotFound(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const std::string label = input->GetParameter("volume-label");
  if (!label.empty())
    output->AddErrorMessage("No unresolved OLFS snapshots with volume label '" + label + "' found.");
  else
    output->AddErrorMessage("No unresolved OLFS snapshots with volume UUID '" +
                            input->GetParameter("volume-uuid") + "' found.");
}

} // namespace

// --- extent list ---

OLFSExtentList::OLFSExtentList() {
  SetDescription("List the OLFS extents available on the host.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:FilesystemOLFSExtents",
                            "Volume Name,OLFS UUID,Extent Number,Device Name,Partition");
}

Frame::InputSpecPtr OLFSExtentList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  spec->AddParameter(IgnoreErrorInputParameter());
  return spec;
}

Frame::MetaStructPtr OLFSExtentList::GetOutputStructure() const {
  return Frame::NewTemplate("FilesystemOLFSExtents", {{"Volume Name", FieldType::String},
                                                      {"OLFS UUID", FieldType::String},
                                                      {"LVM UUID", FieldType::String},
                                                      {"Device Name", FieldType::String},
                                                      {"Partition", FieldType::Int},
                                                      {"Extent Number", FieldType::Int}});
}

void OLFSExtentList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool ignoreErrors = input->IsFlagSet("ignore-errors");
  auto result = Frame::NewRowList(GetOutputStructure());
  try {
    StorageInfoImpl storage;
    auto volumes = storage.GetOlfsFileSystemsList("");
    for (const auto &volume : volumes) {
      if (!volume)
        continue;
      try {
        const std::string name = volume->GetVolumeName();
        const std::string uuid = volume->GetUuid();
        const std::string lvmUuid = volume->GetLvmUuid();
        int64_t number = 0;
        for (const auto &extent : volume->GetExtents()) {
          const int64_t extentNumber = number++;
          if (!extent)
            continue;
          auto row = GetOutputStructure();
          row->SetField("Volume Name", name);
          row->SetField("OLFS UUID", uuid);
          row->SetField("LVM UUID", lvmUuid);
          row->SetField("Device Name", extent->GetDeviceName());
          row->SetField("Partition", Frame::MetaInt::New(static_cast<uint8_t>(extent->GetPartition())));
          row->SetField("Extent Number", Frame::MetaInt::New(extentNumber));
          result->Add(row);
        }
      } catch (const HostCtlException &e) {
        if (!ignoreErrors)
          output->AddErrorMessage(SkippedVolumeText(volume->GetMountPoint(), e));
      }
    }
    output->SetRootObject(result);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- snapshot list ---

OLFSSnapshotList::OLFSSnapshotList() {
  SetDescription("List unresolved snapshots/replicas of OLFS volume.");
  SetDefaultOutputFormatter("simple");
  SetDefaultOutputParameter("header:OLFSSnapshot", "%OLFS UUID%");
  SetDefaultOutputParameter(
      "fields:OLFSSnapshot",
      "Volume Name,OLFS UUID,Can mount,Reason for un-mountability,Can resignature,Reason for "
      "non-resignaturability,Unresolved Extent Count");
}

Frame::InputSpecPtr OLFSSnapshotList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddSnapshotParams(spec, "The OLFS volume label of the snapshot to list.",
                    "The OLFS volume uuid of the snapshot to list.");
  return spec;
}

Frame::MetaStructPtr OLFSSnapshotList::GetOutputStructure() const {
  return Frame::NewTemplate("OLFSSnapshot", {{"Volume Name", FieldType::String},
                                             {"OLFS UUID", FieldType::String},
                                             {"Can mount", FieldType::Bool},
                                             {"Reason for un-mountability", FieldType::String},
                                             {"Can resignature", FieldType::Bool},
                                             {"Reason for non-resignaturability", FieldType::String},
                                             {"Unresolved Extent Count", FieldType::Int}});
}

void OLFSSnapshotList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  ListSnapshots(input, output, Frame::NewRowList(GetOutputStructure()),
                [&](UnresolvedOlfsVolume &volume, const Frame::MetaListPtr &result) {
                  auto row = GetOutputStructure();
                  int reason = 0;
                  const bool canMount = volume.IsEligible(false, true, reason);
                  const int mountReason = reason;
                  const bool canResignature = volume.IsEligible(true, false, reason);
                  row->SetField("Volume Name", volume.GetVolumeName());
                  row->SetField("OLFS UUID", volume.GetOlfsUuid());
                  row->SetField("Can mount", canMount);
                  row->SetField("Reason for un-mountability", canMount ? "" : ReasonText(mountReason));
                  row->SetField("Can resignature", canResignature);
                  row->SetField("Reason for non-resignaturability", canResignature ? "" : ReasonText(reason));
                  row->SetField("Unresolved Extent Count",
                                Frame::MetaInt::New(static_cast<int64_t>(volume.GetExtents().size())));
                  result->Add(row);
                });
}

// --- snapshot extent list ---

OLFSSnapshotExtentList::OLFSSnapshotExtentList() {
  SetDescription("List extents of unresolved snapshots/replicas of OLFS volume.");
  SetDefaultOutputFormatter("table");
  SetDefaultOutputParameter("fields:OLFSSnapshotExtent",
                            "Volume Name,OLFS UUID,Extent Number,Device Name,Partition,Start,End");
}

Frame::InputSpecPtr OLFSSnapshotExtentList::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddSnapshotParams(spec, "The OLFS volume label of the target snapshot to enumerate.",
                    "The OLFS volume uuid of the target snapshot to enumerate.");
  return spec;
}

Frame::MetaStructPtr OLFSSnapshotExtentList::GetOutputStructure() const {
  return Frame::NewTemplate("OLFSSnapshotExtent", {{"Volume Name", FieldType::String},
                                                   {"OLFS UUID", FieldType::String},
                                                   {"LVM UUID", FieldType::String},
                                                   {"Extent Number", FieldType::Int},
                                                   {"Device Name", FieldType::String},
                                                   {"Partition", FieldType::Int},
                                                   {"Start", FieldType::Int},
                                                   {"End", FieldType::Int}});
}

void OLFSSnapshotExtentList::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  ListSnapshots(input, output, Frame::NewRowList(GetOutputStructure()),
                [&](UnresolvedOlfsVolume &volume, const Frame::MetaListPtr &result) {
                  int64_t number = 0;
                  for (const auto &entry : volume.GetExtents()) {
                    // Entries that are no OLFS extent still take their number.
                    const int64_t extentNumber = number++;
                    auto *extent = dynamic_cast<UnresolvedOlfsExtent *>(entry.get());
                    if (!extent)
                      continue;
                    auto row = GetOutputStructure();
                    row->SetField("Volume Name", volume.GetVolumeName());
                    row->SetField("OLFS UUID", volume.GetOlfsUuid());
                    row->SetField("LVM UUID", volume.GetLvmUuid());
                    row->SetField("Extent Number", Frame::MetaInt::New(extentNumber));
                    row->SetField("Device Name", extent->GetDeviceName());
                    row->SetField("Partition",
                                  Frame::MetaInt::New(static_cast<uint8_t>(extent->GetPartition())));
                    row->SetField("Start", Frame::MetaInt::New(extent->GetStart()));
                    row->SetField("End", Frame::MetaInt::New(extent->GetEnd()));
                    result->Add(row);
                  }
                });
}

// --- snapshot mount ---

OLFSSnapshotMount::OLFSSnapshotMount() {
  SetDescription("Mount a snapshot/replica of a OLFS volume.");
}

Frame::InputSpecPtr OLFSSnapshotMount::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddSnapshotParams(spec, "The OLFS volume label of the snapshot to mount.",
                    "The OLFS volume uuid of the snapshot to mount.");
  Frame::AddParam(spec, "no-persist", "n", ParameterType::Flag, Frame::Optional,
                  "Mount the volume non-persistently; the volume will not be automounted after a restart.");
  return spec;
}

void OLFSSnapshotMount::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  const bool persistent = !input->IsFlagSet("no-persist");
  try {
    StorageInfoImpl storage;
    UnresolvedVector all;
    std::vector<UnresolvedOlfsVolume *> matching;
    if (!MatchingSnapshots(input, output, storage, all, matching))
      return;
    // Every match is mounted, not only the first.
    for (UnresolvedOlfsVolume *volume : matching)
      volume->Mount(false, persistent);
    if (matching.empty()) {
      AddNotFound(input, output);
      return;
    }
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

// --- snapshot resignature ---

OLFSSnapshotResignature::OLFSSnapshotResignature() {
  SetDescription("Resignature a snapshot/replica of a OLFS volume.");
}

Frame::InputSpecPtr OLFSSnapshotResignature::GetInputSpecInternal() {
  auto spec = InputSpec::New();
  AddSnapshotParams(spec, "The OLFS volume label of the snapshot to resignature.",
                    "The OLFS volume uuid of the snapshot to resignature.");
  return spec;
}

void OLFSSnapshotResignature::ExecuteInternal(const Frame::InputPtr &input, const Frame::OutputPtr &output) {
  try {
    StorageInfoImpl storage;
    UnresolvedVector all;
    std::vector<UnresolvedOlfsVolume *> matching;
    if (!MatchingSnapshots(input, output, storage, all, matching))
      return;
    for (UnresolvedOlfsVolume *volume : matching) {
      int reason = 0;
      if (!volume->IsEligible(false, false, reason)) {
        output->AddErrorMessage(std::string("Target snapshot cannot be resignatured: ") + ReasonText(reason));
        continue;
      }
      volume->Resignature();
    }
    if (matching.empty()) {
      AddNotFound(input, output);
      return;
    }
    // True even when every match was refused.
    Frame::SetTrueResult(output);
  } catch (const HostCtlException &e) {
    output->AddErrorMessage(e.what());
  }
}

} // namespace TarvexCli::FileSystem
