// Advanced options over the system family of the simulated host.
#pragma once

#include <hostctl/Adv.h>

#include <memory>
#include <string>
#include <vector>

namespace OlkCtl::Sim {
class State;
}

namespace OlkCtl::Adv {

class AdvancedOptionsImpl final : public HostCtl::Adv::AdvancedOptions {
public:
  std::vector<std::string> GetGroups() override;
  std::vector<std::unique_ptr<HostCtl::Adv::AdvancedOption>> GetOptions(const std::string &group) override;
  std::unique_ptr<HostCtl::Adv::AdvancedOption> GetOption(const std::string &group,
                                                          const std::string &name) override;
};

} // namespace OlkCtl::Adv
