// What the Windows benchmarks measure of their own process, and the figures they print.
#pragma once

#include <vector>

namespace plumeroll::bench {

// Milliseconds from the performance counter.
double Now();
// Milliseconds the process has run on any processor, in user and kernel mode, all threads.
double CpuTime();
// The most memory the process has held so far (its peak working set), in MiB. Under Wine, the
// peak resident set of the whole process, Wine's own libraries included.
double PeakWorkingSetMib();

double Median(std::vector<double> values);
double Lowest(const std::vector<double>& values);
double Highest(const std::vector<double>& values);

}  // namespace plumeroll::bench
