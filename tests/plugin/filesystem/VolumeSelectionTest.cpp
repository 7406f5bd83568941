// The volume selection messages: each command family words its refusals in
// its own way, and a volume that is missing is named as it was typed.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

const char *kDatastore1 = "6571c3a2-8f0b4e12-3d9a-0050569a1b2c";

} // namespace

TEST(VolumeSelectionTest, MessagesOfEachSelection) {
  struct Case {
    std::string line;
    std::vector<std::string> errors;
    bool result; // a root object was set
  };
  const std::string both = std::string(" -l datastore1 -u ") + kDatastore1;
  const std::vector<Case> cases = {
      // the single-volume helper
      {"internal: clusteredoldk get" + both,
       {"You cannot specify both --volume-label and --volume-uuid."},
       false},
      {"internal: clusteredoldk get",
       {"A target OLFS volume must be specified either by --volume-label or --volume-uuid."},
       false},
      {"internal: clusteredoldk get -l nosuch", {"OLFS volume with label nosuch could not be found."}, false},
      {"internal: clusteredoldk get -u 1-2", {"OLFS volume with uuid 1-2 could not be found."}, false},
      {"internal: clusteredoldk get -l BOOTBANK1",
       {"OLFS volume with label BOOTBANK1 could not be found."},
       false},
      // the multiple-volume helper: labels first, then uuids, each missing one named
      {"storage olfs lockmode list -u u1 -l l1 -l datastore1",
       {"Error fetching OLFS volume with label 'l1'", "Error fetching OLFS volume with uuid 'u1'"},
       false},
      {"storage olfs lockmode list -u u1 -l l1 -l datastore1 -i", {}, true},
      // filesystem mount: checked only once the host could not mount it
      {"storage filesystem mount" + both,
       {"A target volume specified by uuid cannot also be specified by label"},
       false},
      {"storage filesystem mount -l nosuch -u 6571c7e3-4d5e6f70-8192-0050569a1b2c", {}, true},
      {"storage filesystem mount",
       {"A target volume must be specified by volume uuid or volume label"},
       false},
      {"storage filesystem mount -u 1-2", {"No volume with uuid '1-2' was found"}, false},
      {"storage filesystem mount -l nosuch", {"No volume with label 'nosuch' was found"}, false},
      {"storage filesystem mount -l datastore1", {"Volume 'datastore1' is already mounted"}, false},
      {std::string("storage filesystem mount -u ") + kDatastore1,
       {std::string("Volume '") + kDatastore1 + "' is already mounted"},
       false},
      // filesystem unmount
      {"storage filesystem unmount",
       {"A target volume must be specified by either label, by path, or by uuid."},
       false},
      {"storage filesystem unmount -u x -p /olfs/volumes/x",
       {"A target volume specified by uuid cannot also be specified by path or label"},
       false},
      {"storage filesystem unmount -l x -p /olfs/volumes/x",
       {"A target volume specified by label cannot also be specified by path"},
       false},
      {"storage filesystem unmount -u 1-2", {"No volume with uuid '1-2' was found"}, false},
      {"storage filesystem unmount -p /nfs/x", {"No NAS volume was found mounted on '/nfs/x'"}, false},
      {"storage filesystem unmount -l nosuch", {"No volume with label 'nosuch' was found"}, false},
      {"storage filesystem unmount -p /olfs/volumes/raid-ds",
       {"Volume '/olfs/volumes/raid-ds' is not mounted"},
       false},
      {"storage filesystem unmount -l datastore1",
       {"Volume 'datastore1' cannot be unmounted. Reason: Busy"},
       false},
      // unmap and upgrade resolve the volume themselves
      {"storage olfs unmap" + both,
       {"You cannot specify both uuid and volume label as target. Please specify only one of these"},
       false},
      {"storage olfs upgrade", {"A target OLFS volume must be specified either by label or uuid."}, false},
      {"storage olfs upgrade -u 1-2", {"Cannot find OLFS volume with uuid 1-2"}, false},
      {"storage olfs unmap -l nosuch", {"Cannot find OLFS volume with label nosuch"}, false},
      {"storage olfs unmap -l archive-ds", {"Volume(archive-ds) is unmounted"}, false},
      {"storage olfs unmap -l datastore1 -n 0", {"reclaimUnit must be greater than zero"}, false},
      // snapshot mount and resignature
      {"storage olfs snapshot mount" + both,
       {"A target snapshot cannot be specified by both volume label and uuid."},
       false},
      {"storage olfs snapshot resignature",
       {"A target OLFS volume must be specified by either volume label or uuid but not both."},
       false},
      {"storage olfs snapshot mount -l nosuch",
       {"No unresolved OLFS snapshots with volume label 'nosuch' found."},
       false},
      {"storage olfs snapshot resignature -u 1-2",
       {"No unresolved OLFS snapshots with volume UUID '1-2' found."},
       false},
      // the list commands never report an unmatched filter
      {"storage olfs snapshot list -l nosuch", {}, true},
      {"storage filesystem list -u 1-2", {"Could not find any filesystem with specified UUID."}, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.line);
    UseProfile();
    const std::string internal = "internal: ";
    auto run = c.line.rfind(internal, 0) == 0 ? RunInternalCommand(c.line.substr(internal.size()))
                                              : RunCommand(c.line);
    EXPECT_EQ(run.errors, c.errors);
    EXPECT_EQ(run.root != nullptr, c.result);
  }
}

TEST(VolumeSelectionTest, UnmapOfAnUnmountedVolumeSaysSoEvenWhenItIsAlsoInaccessible) {
  UseHostJson(PatchedProfile(R"({"volumes": {"volumes": [
      {"uuid": "u-1", "label": "ds", "mounted": false, "accessible": false,
       "extents": [{"device": "naa.5000c500a1b2c3d4", "partition": 3}]},
      {"uuid": "u-2", "label": "gone", "accessible": false,
       "extents": [{"device": "naa.5000c500a1b2c3d4", "partition": 4}]}]}})"));
  EXPECT_EQ(RunCommand("storage olfs unmap -l ds").errors,
            std::vector<std::string>{"Volume(ds) is unmounted"});
  EXPECT_EQ(RunCommand("storage olfs unmap -u u-2").errors,
            std::vector<std::string>{"Volume(u-2) is inaccessible"});
}
