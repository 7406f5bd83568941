// Registering a tree costs time proportional to the commands registered: a
// per-registration scan over the siblings would make a namespace of thousands of
// commands quadratic.
#include <clikit/AutoCli.h>

#include <gtest/gtest.h>

#include <time.h>

#include <algorithm>
#include <string>

namespace {

using CliKit::AutoCli::Namespace;

// CPU seconds of this thread: other processes on a busy machine do not count,
// as they would in wall-clock time.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The fastest of five runs, in CPU seconds: registering `count` children under
// one namespace, then finding each of them.
double RegisterAndFind(int count) {
  double best = 1e9;
  for (int run = 0; run < 5; ++run) {
    const double start = ThreadSeconds();
    auto root = Namespace::New();
    for (int i = 0; i < count; ++i)
      root->RegisterNamespaceNode(Namespace::New(), "command" + std::to_string(i));
    for (int i = 0; i < count; ++i)
      EXPECT_NE(root->FindChild("command" + std::to_string(i)), nullptr);
    best = std::min(best, ThreadSeconds() - start);
  }
  return best;
}

TEST(TreeScale, RegistrationIsLinearInTheCommands) {
  const double small = RegisterAndFind(5000);
  const double large = RegisterAndFind(20000);
  // Four times the commands: linear work takes about 4x, quadratic 16x; the
  // bound sits between them, with room for what a busy machine still costs
  // (caches shared with other processes).
  EXPECT_LT(large, 10 * small) << "5,000 commands: " << small << " s, 20,000: " << large << " s";
}

TEST(TreeScale, OrderAndReplacementSurviveTheIndex) {
  auto root = Namespace::New();
  auto early = Namespace::New();
  auto late = Namespace::New();
  for (int i = 0; i < 20; ++i) {
    root->RegisterNamespaceNode(Namespace::New(), "n" + std::to_string(i));
    // Replaced once while the children are scanned, once after the index is built.
    if (i == 4)
      root->RegisterNamespaceNode(early, "n3");
    if (i == 19)
      root->RegisterNamespaceNode(late, "n17");
  }
  const auto &children = root->GetChildren();
  ASSERT_EQ(children.size(), 20u);
  for (size_t i = 0; i < children.size(); ++i)
    EXPECT_EQ(children[i].first, "n" + std::to_string(i));
  EXPECT_EQ(root->FindChild("n3"), early);
  EXPECT_EQ(root->FindChild("n17"), late);
  EXPECT_EQ(root->FindChild("n20"), nullptr);
}

} // namespace
