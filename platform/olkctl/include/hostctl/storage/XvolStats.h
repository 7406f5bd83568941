// Virtual-volume statistics: the host's tree of statistics nodes and the
// per-volume I/O counters of virtual machines.
#pragma once

#include <hostctl/Export.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace HostCtl::Storage {

// The I/O counters of one virtual volume.
struct XvolStats {
  int64_t commandsIssued = 0;
  int64_t readsIssued = 0;
  int64_t writesIssued = 0;
  int64_t commandsDone = 0;
  int64_t readsDone = 0;
  int64_t writesDone = 0;
  int64_t commandLatencyUsecs = 0;
  int64_t readLatencyUsecs = 0;
  int64_t writeLatencyUsecs = 0;
  int64_t commandErrors = 0;
  int64_t readErrors = 0;
  int64_t writeErrors = 0;
};

// One virtual volume of a virtual machine.
struct XvolVmVolume {
  std::string peId;
  std::string containerId;
  std::string uuid;
  std::string name;
};

// The statistics tree. Namespaces are node paths ("/pe/scsi"); "/" or the
// empty text is the whole tree. Operations return false with `ErrInfo` filled
// when the host refuses, and throw HostCtlException when they fail.
class OLKCTL_API XvolStatsInfo {
public:
  struct ErrInfo {
    int32_t code = 0;
    std::string message;
  };
  struct StatNode {
    std::string name;
    std::map<std::string, int64_t> counters;
    std::vector<std::shared_ptr<StatNode>> children; // in order
  };

  virtual ~XvolStatsInfo() = default;

  virtual bool EnableStats(ErrInfo &error) = 0;
  virtual bool DisableStats(ErrInfo &error) = 0;
  // Zeroes the counters of a subtree, or of one tracked entity of it.
  virtual bool ResetStats(const std::string &ns, const std::string &entity, ErrInfo &error) = 0;
  virtual bool AddStatsEntity(const std::string &ns, const std::string &entity, ErrInfo &error) = 0;
  virtual bool RemoveStatsEntity(const std::string &ns, const std::string &entity, ErrInfo &error) = 0;
  // The paths of the nodes of a subtree, depth first.
  virtual bool ListStats(const std::string &ns, std::vector<std::string> &nodes, ErrInfo &error) = 0;
  // A copy of a subtree (or of one tracked entity of it).
  virtual bool GetStats(const std::string &ns, const std::string &entity, const std::string &dump,
                        std::shared_ptr<StatNode> &root, ErrInfo &error) = 0;
};

} // namespace HostCtl::Storage
