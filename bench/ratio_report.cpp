#include "ratio_report.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <vector>

namespace bench_support {

namespace {

struct BudgetEntry {
    double MaxRatio;
    std::string Description;
};

std::map<std::string, BudgetEntry>& Budgets()
{
    static std::map<std::string, BudgetEntry> budgets;
    return budgets;
}

// Keeps the real time per iteration of every run while the console shows it.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                Times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> Times;
};

// The group of a name such as "BmpRead/subject/real_time".
bool Split(const std::string& name, std::string& group, std::string& role)
{
    const size_t slash = name.find('/');
    if (slash == std::string::npos)
        return false;
    group = name.substr(0, slash);
    const size_t end = name.find('/', slash + 1);
    role = name.substr(slash + 1, end == std::string::npos ? std::string::npos : end - slash - 1);
    return true;
}

}  // namespace

void Budget(const std::string& group, double maxRatio, const std::string& description)
{
    Budgets()[group] = {maxRatio, description};
}

int RunAndReportRatios(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::map<std::string, double> baseline, subject;
    for (const auto& [name, time] : reporter.Times) {
        std::string group, role;
        if (!Split(name, group, role))
            continue;
        if (role == "baseline")
            baseline[group] = time;
        else if (role == "subject")
            subject[group] = time;
    }
    int failures = 0;
    std::printf("\n%-28s %10s %8s  %s\n", "ratio", "measured", "limit", "");
    for (const auto& [group, time] : subject) {
        if (baseline.count(group) == 0 || baseline[group] <= 0)
            continue;
        const double ratio = time / baseline[group];
        const auto budget = Budgets().find(group);
        const bool over = budget != Budgets().end() && ratio > budget->second.MaxRatio;
        failures += over;
        std::printf("%-28s %10.3f %8s  %s%s\n", group.c_str(), ratio,
                    budget != Budgets().end() ? std::to_string(budget->second.MaxRatio).substr(0, 4).c_str() : "-",
                    budget != Budgets().end() ? budget->second.Description.c_str() : "",
                    over ? "  OVER BUDGET" : "");
    }
    benchmark::Shutdown();
    return failures == 0 ? 0 : 1;
}

}  // namespace bench_support
