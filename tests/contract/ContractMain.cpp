// Runs the registry contract and ends with one line per backend: "contract cases: N on X".
// When a build has several backends, they must have run the same cases.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

struct Count {
  int run = 0;
  int passed = 0;
};

// The backend is the last part of a case's name ("OpenKey/MemoryRegistry").
std::map<std::string, Count> CountByBackend(const testing::UnitTest& unit) {
  std::map<std::string, Count> counts;
  for (int s = 0; s < unit.total_test_suite_count(); ++s) {
    const testing::TestSuite& suite = *unit.GetTestSuite(s);
    for (int t = 0; t < suite.total_test_count(); ++t) {
      const testing::TestInfo& info = *suite.GetTestInfo(t);
      if (!info.should_run()) continue;
      const std::string name = info.name();
      Count& count = counts[name.substr(name.rfind('/') + 1)];
      ++count.run;
      if (info.result()->Passed()) ++count.passed;
    }
  }
  return counts;
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();

  const std::map<std::string, Count> counts = CountByBackend(*testing::UnitTest::GetInstance());
  bool same = true;
  for (const auto& [backend, count] : counts) {
    std::printf("contract cases: %d on %s (%d passed)\n", count.run, backend.c_str(), count.passed);
    same = same && count.run == counts.begin()->second.run;
  }
  if (!same) std::printf("contract cases: the backends did not run the same cases\n");
  return status != 0 || !same ? 1 : 0;
}
