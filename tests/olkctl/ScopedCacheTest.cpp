#include "support/TestHost.h"

#include <hostctl/storage/StorageInfoScopedCache.h>
#include <olkctl/storage/ScsiPathImpl.h>
#include <olkctl/storage/StorageInfoImpl.h>

#include <gtest/gtest.h>

using HostCtl::Storage::StorageInfoScopedCache;
using OlkCtl::Storage::StorageInfoImpl;

namespace {
const char *kPath = "olhba2:C0:T0:L1";
std::string StateSeen() {
  return StorageInfoImpl().GetScsiPath(kPath)->GetStateString();
}
void TurnOff() {
  OlkCtl::Storage::ScsiPathImpl::GetPath(kPath)->SetState(true);
}
void TurnOn() {
  OlkCtl::Storage::ScsiPathImpl::GetPath(kPath)->SetState(false);
}
} // namespace

TEST(StorageInfoScopedCache, ListingsInsideAGuardShareOneSnapshot) {
  TestSupport::UseProfile("default");
  const std::string before = StateSeen();
  ASSERT_NE(before, "off");
  {
    StorageInfoScopedCache cache(true);
    TurnOff();
    EXPECT_EQ(StateSeen(), before) << "a guard keeps the snapshot it started with";
    { StorageInfoScopedCache inner(true); }
    EXPECT_EQ(StateSeen(), before) << "an inner guard must not end the outer one";
  }
  EXPECT_EQ(StateSeen(), "off") << "after the guard, the newest state shows";

  StorageInfoScopedCache disabled(false);
  TurnOn();
  EXPECT_EQ(StateSeen(), before) << "a disabled guard pins nothing";
}
