#pragma once
// Runs the registered benchmarks and then prints the ratios a goal is stated
// in, between benchmarks measured in the same run.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vantor::bench {

class ratio_reporter : public benchmark::ConsoleReporter {
 public:
  using summary = std::function<void(const ratio_reporter&)>;
  explicit ratio_reporter(summary print_summary) : print_summary_(std::move(print_summary)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      const std::string& name = run.run_name.function_name;
      seconds_[name] = run.GetAdjustedRealTime();
      for (const auto& [counter, value] : run.counters) counters_[name + "." + counter] = value.value;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    print_summary_(*this);
  }

  /// Time of one iteration of a benchmark (0 when it did not run).
  double time_of(const std::string& name) const { return value_in(seconds_, name); }
  /// A counter a benchmark reported, as "benchmark.counter".
  double counter(const std::string& name) const { return value_in(counters_, name); }

  /// Prints "label: value (goal)" when value could be measured.
  static void print(const char* label, double value, const char* goal) {
    if (value > 0 && value < 1e12) std::printf("%s: %.3f (%s)\n", label, value, goal);
  }

 private:
  static double value_in(const std::map<std::string, double>& values, const std::string& name) {
    const auto found = values.find(name);
    return found == values.end() ? 0.0 : found->second;
  }
  summary print_summary_;
  std::map<std::string, double> seconds_;
  std::map<std::string, double> counters_;
};

/// main() of a benchmark program: runs everything, then the summary.
inline int run_with_summary(int argc, char** argv, ratio_reporter::summary print_summary) {
  benchmark::Initialize(&argc, argv);
  ratio_reporter reporter(std::move(print_summary));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace vantor::bench
