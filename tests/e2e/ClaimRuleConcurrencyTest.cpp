// Many orlocli processes changing and listing the claim rules of one host file
// at once: no change is lost, and no listing sees a change half made.
#include "support/TestHost.h"
#include "support/Tools.h"

#include <olkctl/sim/HostControl.h>

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace {

// Runs orlocli on `host` with `arguments`; its exit status, and standard
// output in `out` when given.
int Orlocli(const std::string &host, const std::string &arguments, std::string *out = nullptr) {
  std::vector<std::string> argv = {"orlocli", "--host", host};
  for (const std::string &word : TestSupport::SplitWords(arguments))
    argv.push_back(word);
  TestSupport::ToolRun run = TestSupport::RunTool(argv);
  if (out)
    *out = run.out;
  return run.status;
}

// The (rule, side) pairs of one class in a json listing.
std::multiset<std::pair<int, std::string>> Listed(const std::string &json) {
  std::multiset<std::pair<int, std::string>> rows;
  for (const auto &row : nlohmann::json::parse(json))
    rows.insert({row["Rule"].get<int>(), row["Class"].get<std::string>()});
  return rows;
}

std::string NewHost(const TestSupport::TempDir &dir) {
  const std::string file = dir.File("host.json");
  TestSupport::WriteFile(file, OlkCtl::Sim::ProfileJson("default"));
  return file;
}

TEST(ClaimRuleConcurrencyTest, ConcurrentAddsAreAllKept) {
  TestSupport::TempDir dir;
  const std::string host = NewHost(dir);
  constexpr int kWriters = 10;
  constexpr int kRulesEach = 4;
  std::vector<pid_t> writers;
  for (int w = 0; w < kWriters; ++w)
    writers.push_back(TestSupport::Spawn([&host, w] {
      bool ok = true;
      for (int r = 0; r < kRulesEach; ++r) {
        const int id = 1000 + w * 10 + r;
        ok = Orlocli(host, "storage core claimrule add -r " + std::to_string(id) +
                               " -t transport -R fc -P NMP") == 0 &&
             ok;
      }
      return ok;
    }));
  for (pid_t pid : writers)
    EXPECT_TRUE(TestSupport::WaitOk(pid)) << "a writer saw a failing add";

  std::string json;
  ASSERT_EQ(Orlocli(host, "--formatter json storage core claimrule list", &json), 0);
  const auto rows = Listed(json);
  for (int w = 0; w < kWriters; ++w)
    for (int r = 0; r < kRulesEach; ++r) {
      const int id = 1000 + w * 10 + r;
      EXPECT_EQ(rows.count({id, "file"}), 1u) << "rule " << id << " was lost";
    }
  // Nothing but the added rules was written to the file side.
  size_t fileRows = 0;
  for (const auto &row : rows)
    fileRows += row.second == "file" && row.first >= 1000 && row.first < 2000;
  EXPECT_EQ(fileRows, static_cast<size_t>(kWriters * kRulesEach));
}

// A move takes a rule away from one ID and gives it to another in a single
// change of the host. Listings running meanwhile must always see each moving
// rule exactly once, and every other rule unchanged.
TEST(ClaimRuleConcurrencyTest, ListingsNeverSeeAHalfAppliedChange) {
  TestSupport::TempDir dir;
  const std::string host = NewHost(dir);
  const std::vector<int> movers = {3000, 4000};
  for (int id : movers)
    ASSERT_EQ(
        Orlocli(host, "storage core claimrule add -r " + std::to_string(id) + " -t transport -R sas -P HPP"),
        0);
  std::string json;
  ASSERT_EQ(Orlocli(host, "--formatter json storage core claimrule list", &json), 0);
  const auto initial = Listed(json);

  constexpr int kMoves = 12;
  constexpr int kReaders = 3;
  constexpr int kListings = 12;
  std::vector<pid_t> writers, readers;
  for (int id : movers)
    writers.push_back(TestSupport::Spawn([&host, id] {
      bool ok = true;
      for (int m = 0; m < kMoves; ++m) {
        const int from = id + m % 2;
        const int to = id + 1 - m % 2;
        ok = Orlocli(host, "storage core claimrule move -r " + std::to_string(from) + " -n " +
                               std::to_string(to)) == 0 &&
             ok;
      }
      return ok;
    }));
  for (int r = 0; r < kReaders; ++r)
    readers.push_back(TestSupport::Spawn([&host, &movers, &initial] {
      for (int l = 0; l < kListings; ++l) {
        std::string text;
        if (Orlocli(host, "--formatter json storage core claimrule list", &text) != 0)
          return false;
        auto rows = Listed(text);
        for (int id : movers) {
          const size_t seen = rows.count({id, "file"}) + rows.count({id + 1, "file"});
          if (seen != 1) {
            std::fprintf(stderr, "rule %d seen %zu times\n", id, seen);
            return false;
          }
          rows.erase({id, "file"});
          rows.erase({id + 1, "file"});
        }
        auto others = initial;
        for (int id : movers)
          others.erase({id, "file"});
        if (rows != others)
          return false;
      }
      return true;
    }));
  for (pid_t pid : writers)
    EXPECT_TRUE(TestSupport::WaitOk(pid)) << "a move failed";
  for (pid_t pid : readers)
    EXPECT_TRUE(TestSupport::WaitOk(pid)) << "a listing saw a half-applied change";

  // An even number of moves brings every rule home.
  ASSERT_EQ(Orlocli(host, "--formatter json storage core claimrule list", &json), 0);
  EXPECT_EQ(Listed(json), initial);
}

} // namespace
