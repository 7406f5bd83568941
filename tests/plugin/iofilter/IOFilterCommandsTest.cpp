// storage iofilter ...: name matching, the enabled column, enabling through the host.
#include "support/TestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace TestSupport;

namespace {

// Two filters of one name (the host's order decides which one -f shows) and
// states beyond 0 and 1.
void UseFilterHost() {
  UseHostJson(R"({"schemaVersion": 1, "ioFilters": [
    {"id": "A_ioprobe_1", "name": "ioprobe", "vendor": "A", "version": "1", "state": 1, "localId": "ioprobe#1",
     "class": "inspection", "releaseDate": "2025-01-01", "description": "first"},
    {"id": "B_ioprobe_2", "name": "ioprobe", "vendor": "B", "version": "2", "state": 0, "localId": "ioprobe#2",
     "class": "inspection", "releaseDate": "2025-02-02", "description": "second"},
    {"id": "C_olcache_3", "name": "olcache", "vendor": "C", "version": "3", "state": 7, "localId": "olcache#1",
     "class": "cache", "releaseDate": "2025-03-03", "description": "third"}]})");
}

const std::vector<std::string> kShown = {"Name", "Vendor", "Version", "Enabled"};

} // namespace

TEST(IOFilterListTest, FilterMatchesTheExactNameAndShowsTheFirstOnly) {
  struct Case {
    std::string args;
    std::vector<std::string> lines;
    std::vector<std::string> errors;
  };
  const std::vector<Case> cases = {
      {"", {"ioprobe | A | 1 | No", "ioprobe | B | 2 | Yes", "olcache | C | 3 | No"}, {}},
      {"-f ioprobe", {"ioprobe | A | 1 | No"}, {}},
      {"--filter olcache", {"olcache | C | 3 | No"}, {}},
      {"-f IOPROBE", {}, {"Unable to find filter with name IOPROBE"}},
      {"-f \"ioprobe \"", {}, {"Unable to find filter with name ioprobe "}},
      {"-f io*", {}, {"Unable to find filter with name io*"}},
      {"-f iopro", {}, {"Unable to find filter with name iopro"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args);
    UseFilterHost();
    auto run = RunCommand("storage iofilter list " + c.args);
    EXPECT_EQ(run.errors, c.errors);
    if (c.errors.empty())
      EXPECT_EQ(Lines(run.root, kShown), c.lines);
    else
      EXPECT_EQ(run.root, nullptr);
  }
}

TEST(IOFilterListTest, RowsKeepTheRecordOrderOfFields) {
  UseFilterHost();
  auto rows = Rows(RunCommand("storage iofilter list -f olcache").root);
  ASSERT_EQ(rows.size(), 1u);
  const std::vector<std::pair<std::string, std::string>> expected = {{"Name", "olcache"},
                                                                     {"Vendor", "C"},
                                                                     {"Version", "3"},
                                                                     {"ID", "C_olcache_3"},
                                                                     {"LocalID", "olcache#1"},
                                                                     {"Class", "cache"},
                                                                     {"Release Date", "2025-03-03"},
                                                                     {"Enabled", "No"},
                                                                     {"Description", "third"}};
  EXPECT_EQ(Fields(rows[0]), expected);
}

TEST(IOFilterListTest, HostWithoutFilters) {
  UseHostJson(R"({"schemaVersion": 1})");
  auto all = RunCommand("storage iofilter list");
  EXPECT_TRUE(all.errors.empty());
  ASSERT_NE(RootList(all.root), nullptr);
  EXPECT_TRUE(Rows(all.root).empty());
  auto one = RunCommand("storage iofilter list -f ioprobe");
  EXPECT_EQ(one.errors, std::vector<std::string>{"Unable to find filter with name ioprobe"});
  EXPECT_EQ(one.root, nullptr);
}

// Enabling persists, is refused by the host for a name it does not have, and
// needs no look-up of its own: a listing fault does not stop it.
TEST(IOFilterEnableTest, RoundTripAndRefusal) {
  UseProfile();
  InjectFault("IOFilterInfo::ListInstalledFilters");
  ASSERT_TRUE(Succeeded(RunCommand("storage iofilter enable -f olrepl")));
  UseProfile();
  ASSERT_TRUE(Succeeded(RunCommand("storage iofilter enable --filter olrepl")));
  EXPECT_EQ(Lines(RunCommand("storage iofilter list -f olrepl").root, {"Enabled"}),
            std::vector<std::string>{"Yes"});
  EXPECT_TRUE(Succeeded(RunCommand("storage iofilter enable -f olrepl"))); // already enabled

  auto refused = RunCommand("storage iofilter enable -f OLREPL");
  EXPECT_EQ(refused.errors,
            std::vector<std::string>{"Failed to enable iofilter OLREPL. Error was: IO filter OLREPL "
                                     "is not installed on this host"});
  EXPECT_EQ(refused.root, nullptr);
}

TEST(IOFilterCommandsTest, HostFailures) {
  ExpectHostFailures({
      {"storage iofilter list", "IOFilterInfo::ListInstalledFilters", "",
       "Unable to list IOFilters. Error was: boom"},
      // the whole list is fetched also for one name
      {"storage iofilter list -f olcache", "IOFilterInfo::ListInstalledFilters", "",
       "Unable to list IOFilters. Error was: boom"},
      {"storage iofilter list", "Host::GetIOFilterInfo", "", "Unable to list IOFilters. Error was: boom"},
      {"storage iofilter enable -f olqos", "IOFilterInfo::EnableFilter", "olqos",
       "Failed to enable iofilter olqos. Error was: boom"},
      {"storage iofilter enable -f olqos", "Host::GetIOFilterInfo", "",
       "Failed to enable iofilter olqos. Error was: boom"},
  });
  // A failed enable leaves the filter as it was.
  UseProfile();
  InjectFault("IOFilterInfo::EnableFilter", "olqos", "boom");
  RunCommand("storage iofilter enable -f olqos");
  UseProfile();
  EXPECT_EQ(Lines(RunCommand("storage iofilter list -f olqos").root, {"Enabled"}),
            std::vector<std::string>{"No"});
}
