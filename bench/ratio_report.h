// Ratios of benchmarks against baselines measured in the same run.
//
// A benchmark named "Group/subject" is compared with "Group/baseline"; a
// budget gives the largest ratio allowed for a group. After the run the
// ratios are printed, and the program fails when one is over its budget.
#pragma once

#include <string>

namespace bench_support {

void Budget(const std::string& group, double maxRatio, const std::string& description);

// Runs the registered benchmarks (taking Google Benchmark's options) and
// reports the ratios; returns the process exit code.
int RunAndReportRatios(int argc, char** argv);

}  // namespace bench_support
