// The device-selection helpers shared by the device setting commands.
#include "core/DeviceData.h"

#include "support/TestHost.h"

#include <olkctl/storage/StorageInfoImpl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using TarvexCli::Storage::LunVector;

namespace {

const char *kHost = R"({"schemaVersion": 1, "devices": [
  {"name": "d.abc", "vendor": "ABC     ", "model": "Model X         "},
  {"name": "d.abcd", "vendor": "ABCD", "model": "Model Y"},
  {"name": "d.ab", "vendor": "AB", "model": "Model X"},
  {"name": "d.lower", "vendor": "abc", "model": "Model X"},
  {"name": "d.nvme1", "vendor": "NVMe", "nvmeControllerModel": "HX7 3.84TB NVMe SSD   ",
   "pciVendorId": 7544, "pciSubVendorId": 7545},
  {"name": "d.nvme2", "vendor": "NVMe", "nvmeControllerModel": "HX9 7.68TB NVMe SSD",
   "pciVendorId": 7544, "pciSubVendorId": 4096},
  {"name": "d.off", "vendor": "ABC", "offline": true}]})";

std::vector<std::string> Names(const LunVector &devices) {
  std::vector<std::string> names;
  for (const auto &device : devices)
    names.push_back(device ? device->GetName() : "<moved>");
  return names;
}

using Selector = std::function<bool(LunVector &, const TarvexCli::Frame::OutputPtr &, LunVector &)>;

Selector ByVendor(const std::string &vendor, const std::string &model = "") {
  return [=](LunVector &candidates, const TarvexCli::Frame::OutputPtr &output, LunVector &result) {
    return TarvexCli::Storage::GetDevicesByVendorAndModel(vendor, model, candidates, output, result);
  };
}
Selector ByController(const std::string &model) {
  return [=](LunVector &candidates, const TarvexCli::Frame::OutputPtr &output, LunVector &result) {
    return TarvexCli::Storage::GetDevicesByNvmeCtrlModel(model, candidates, output, result);
  };
}
Selector ByPci(const std::string &vendor, const std::string &subVendor = "") {
  return [=](LunVector &candidates, const TarvexCli::Frame::OutputPtr &output, LunVector &result) {
    return TarvexCli::Storage::GetDevicesByPciVendor(vendor, subVendor, candidates, output, result);
  };
}

TEST(DeviceSelectionTest, PatternsAndRefusals) {
  struct Case {
    std::string name;
    Selector select;
    bool ok;
    std::vector<std::string> selected;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"prefix", ByVendor("ABC*"), true, {"d.abc", "d.abcd"}, {}},
      {"exact ignores trailing blanks of the device", ByVendor("ABC"), true, {"d.abc"}, {}},
      {"case-sensitive", ByVendor("Abc"), true, {}, {}},
      {"shorter vendor", ByVendor("AB"), true, {"d.ab"}, {}},
      {"vendor prefix with exact model", ByVendor("A*", "Model X"), true, {"d.abc", "d.ab"}, {}},
      {"model prefix", ByVendor("AB*", "Model *"), true, {"d.abc", "d.abcd", "d.ab"}, {}},
      {"vendor star refused", ByVendor("*"), false, {}, {"Invalid value for --vendor"}},
      {"model star refused", ByVendor("ABC", "*"), false, {}, {"Invalid value for --model"}},
      {"controller prefix", ByController("HX*"), true, {"d.nvme1", "d.nvme2"}, {}},
      {"controller star refused",
       ByController("*"),
       false,
       {},
       {"Invalid value for --nvme-controller-model"}},
      {"pci vendor", ByPci("1d78"), true, {"d.nvme1", "d.nvme2"}, {}},
      {"pci vendor upper case hex", ByPci("1D78", "1000"), true, {"d.nvme2"}, {}},
      {"pci sub-vendor", ByPci("1d78", "1d79"), true, {"d.nvme1"}, {}},
      {"pci vendor zero", ByPci("0"), false, {}, {"Invalid input for --pci-vendor-id"}},
      {"pci sub-vendor zero", ByPci("1d78", "0000"), false, {}, {"Invalid input for --pci-sub-vendor-id"}},
  };
  TestSupport::UseHostJson(kHost);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    LunVector candidates = OlkCtl::Storage::StorageInfoImpl().GetLuns(false, false);
    const std::vector<std::string> before = Names(candidates);
    LunVector result;
    result.push_back(
        OlkCtl::Storage::StorageInfoImpl().GetLun("d.off", true)); // appended after, never replaced
    auto output = CliKit::CallSpec::Output::New();

    EXPECT_EQ(c.select(candidates, output, result), c.ok);
    EXPECT_EQ(output->GetErrorMessages(), c.errors);
    std::vector<std::string> expectedResult = {"d.off"};
    expectedResult.insert(expectedResult.end(), c.selected.begin(), c.selected.end());
    EXPECT_EQ(Names(result), expectedResult);
    // What moved is left empty in the candidates; the rest stays in place.
    std::vector<std::string> expectedLeft = before;
    for (std::string &name : expectedLeft)
      if (std::find(c.selected.begin(), c.selected.end(), name) != c.selected.end())
        name = "<moved>";
    EXPECT_EQ(Names(candidates), expectedLeft);
  }
}

TEST(DeviceSelectionTest, ByName) {
  TestSupport::UseHostJson(kHost);
  auto output = CliKit::CallSpec::Output::New();
  LunVector result;
  EXPECT_TRUE(TarvexCli::Storage::GetDevicesByName("d.abcd", result, output));
  EXPECT_FALSE(TarvexCli::Storage::GetDevicesByName("d.off", result, output));
  EXPECT_FALSE(TarvexCli::Storage::GetDevicesByName("d.none", result, output));
  EXPECT_EQ(Names(result), std::vector<std::string>{"d.abcd"});
  EXPECT_EQ(output->GetErrorMessages(), (std::vector<std::string>{"Unable to find device with name d.off",
                                                                  "Unable to find device with name d.none"}));
}

} // namespace
