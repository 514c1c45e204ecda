// Runs the registry contract and ends with one line per backend: "contract cases: N on X".
// When a build has several backends, they must have run the same cases.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();

  // The backend is the last part of a case's name ("OpenAndCreateKeys/MemoryRegistry").
  std::map<std::string, std::pair<int, int>> counts;  // backend -> cases run, passed
  const testing::UnitTest& unit = *testing::UnitTest::GetInstance();
  for (int s = 0; s < unit.total_test_suite_count(); ++s) {
    for (int t = 0; t < unit.GetTestSuite(s)->total_test_count(); ++t) {
      const testing::TestInfo& info = *unit.GetTestSuite(s)->GetTestInfo(t);
      if (!info.should_run()) continue;
      const std::string name = info.name();
      auto& [run, passed] = counts[name.substr(name.rfind('/') + 1)];
      ++run;
      passed += info.result()->Passed();
    }
  }
  bool same = true;
  for (const auto& [backend, count] : counts) {
    std::printf("contract cases: %d on %s (%d passed)\n", count.first, backend.c_str(),
                count.second);
    same = same && count.first == counts.begin()->second.first;
  }
  if (!same) std::printf("contract cases: the backends did not run the same cases\n");
  return status != 0 || !same ? 1 : 0;
}
