// What the file-system commands share: OLFS volume selection parameters and
// their resolution, the ignore-errors flag, the OLFS version text and the
// datastore notification.
#pragma once

#include "frame/Command.h"

#include <hostctl/storage/FileSystem.h>

#include <clikit/CallSpec.h>

#include <memory>
#include <string>
#include <vector>

namespace TarvexCli::FileSystem {

using VmFileSystemPtr = std::unique_ptr<HostCtl::Storage::VmFileSystem>;

// "ignore-errors" / "i".
std::shared_ptr<CliKit::CallSpec::ParameterSpec> IgnoreErrorInputParameter();

// "volume-label" and "volume-uuid", one value each.
Frame::InputSpecPtr GetSingleOLFSVolumeInputSpec();
// The one OLFS volume they name, or none after an error message was added.
VmFileSystemPtr GetSingleOLFSVolume(const Frame::InputPtr &input, const Frame::OutputPtr &output);

// "volume-label" and "volume-uuid", repeatable, then "ignore-errors".
Frame::InputSpecPtr GetMultipleOLFSVolumesInputSpec();
// Fills `volumes` with the named volumes (every mounted one when none is
// named). False when one was missing and errors are not ignored.
bool GetMultipleOLFSVolumes(const Frame::InputPtr &input, const Frame::OutputPtr &output,
                            std::vector<VmFileSystemPtr> &volumes);

// "OLFS-6", ..., "OLFS-unknown version", or "Non-OLFS".
const char *GetOLFSVersionString(HostCtl::Storage::FileSystem &volume);

// Tells the host management daemon about datastores ("PreUnmount",
// "FailedUnmount"); `names` is what the script reads on its standard input.
// Its outcome never changes the command's.
void NotifyDatastore(const std::string &type, const std::string &names);

// "Error getting data for filesystem on '<mount point>': <what>, skipping."
std::string SkippedVolumeText(const std::string &mountPoint, const std::exception &error);

} // namespace TarvexCli::FileSystem
