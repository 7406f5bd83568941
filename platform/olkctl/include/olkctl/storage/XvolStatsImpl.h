// Virtual-volume statistics of the simulated host.
#pragma once

#include <hostctl/Export.h>
#include <hostctl/storage/XvolStats.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace OlkCtl::Storage::XvolStatsInfo {

class OLKCTL_API XvolStatsImpl : public HostCtl::Storage::XvolStatsInfo {
public:
  bool EnableStats(ErrInfo &error) override;
  bool DisableStats(ErrInfo &error) override;
  bool ResetStats(const std::string &ns, const std::string &entity, ErrInfo &error) override;
  bool AddStatsEntity(const std::string &ns, const std::string &entity, ErrInfo &error) override;
  bool RemoveStatsEntity(const std::string &ns, const std::string &entity, ErrInfo &error) override;
  bool ListStats(const std::string &ns, std::vector<std::string> &nodes, ErrInfo &error) override;
  bool GetStats(const std::string &ns, const std::string &entity, const std::string &dump,
                std::shared_ptr<StatNode> &root, ErrInfo &error) override;

  // The volumes of a VM (config volumes only with `getConfig`) and its world
  // id; an unknown or powered-off VM has world id 0.
  static void GetXvolInfoForVm(const std::string &vmName,
                               std::vector<HostCtl::Storage::XvolVmVolume> &volumes, uint32_t &worldId,
                               bool getConfig);
  // The counters of a volume; false (and `stats` untouched) when it has none.
  static bool GetPerXvolStats(const std::string &uuid, HostCtl::Storage::XvolStats &stats);
};

} // namespace OlkCtl::Storage::XvolStatsInfo
