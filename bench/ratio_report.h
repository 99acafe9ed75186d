// Ratios between benchmarks of the same run, printed after Google Benchmark's own
// table: each measured benchmark's time divided by its baseline's. With
// --benchmark_repetitions=N the medians are compared, otherwise the single runs.
//
// The time compared is CPU time, which the other work on a shared machine disturbs
// far less than wall time; a benchmark that runs another program reports that
// program's CPU time per iteration in the counter "child_ms", which is used instead.
// A ratio marked per byte compares times per byte instead: each time divided by
// its benchmark's counter "bytes" (the size of its input).
//
//   int main(int argc, char** argv) {
//       return vireta::bench::runWithRatios(argc, argv, {{"Big/TXMLDoc", "Big/expat"}});
//   }
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vireta::bench {

struct Ratio {
    std::string measured;
    std::string baseline;
    bool perByte = false;
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            double seconds = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (auto child = run.counters.find("child_ms"); child != run.counters.end())
                seconds = child->second.value / 1000.0;
            const std::string name = run.run_name.str();
            const bool aggregate = run.run_type == Run::RT_Aggregate;
            if (auto bytes = run.counters.find("bytes");
                bytes != run.counters.end() && (!aggregate || run.aggregate_name == "median"))
                bytes_[name] = bytes->second.value;
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median")
                    medians_[name] = seconds;
            } else if (!singles_.count(name)) {
                singles_[name] = seconds;
            }
        }
    }

    // The time of a benchmark by its name (as given to ->Name()); < 0 when not run.
    double seconds(const std::string& name) const {
        if (auto m = medians_.find(name); m != medians_.end())
            return m->second;
        if (auto s = singles_.find(name); s != singles_.end())
            return s->second;
        return -1;
    }

    // The size of a benchmark's input, its counter "bytes"; 0 when it has none.
    double bytes(const std::string& name) const {
        auto b = bytes_.find(name);
        return b != bytes_.end() ? b->second : 0;
    }

    void printRatios(const std::vector<Ratio>& ratios) const {
        bool header = false;
        for (const Ratio& r : ratios) {
            double a = seconds(r.measured);
            double b = seconds(r.baseline);
            if (r.perByte) {
                if (bytes(r.measured) <= 0 || bytes(r.baseline) <= 0)
                    continue;
                a /= bytes(r.measured);
                b /= bytes(r.baseline);
            }
            if (a < 0 || b <= 0)
                continue;
            if (!header) {
                std::printf("\nRatios (CPU time / baseline CPU time, %s):\n",
                            medians_.empty() ? "single runs" : "medians");
                header = true;
            }
            std::printf("  %-44s / %-34s %7.3fx%s\n", r.measured.c_str(), r.baseline.c_str(), a / b,
                        r.perByte ? " per byte" : "");
        }
        std::fflush(stdout);
    }

private:
    std::map<std::string, double> medians_;
    std::map<std::string, double> singles_;
    std::map<std::string, double> bytes_;
};

inline int runWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios(ratios);
    benchmark::Shutdown();
    return 0;
}

} // namespace vireta::bench
