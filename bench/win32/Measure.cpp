#include "bench/win32/Measure.h"

#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <algorithm>

namespace plumeroll::bench {

double Now() {
  LARGE_INTEGER counter;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double CpuTime() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  const auto ticks = [](const FILETIME& time) {  // of 100 ns
    return static_cast<double>(ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart);
  };
  return (ticks(kernel) + ticks(user)) / 10000.0;
}

double PeakWorkingSetMib() {
  PROCESS_MEMORY_COUNTERS memory{};
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) return 0;
  return static_cast<double>(memory.PeakWorkingSetSize) / (1 << 20);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Lowest(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

double Highest(const std::vector<double>& values) {
  return *std::max_element(values.begin(), values.end());
}

}  // namespace plumeroll::bench
