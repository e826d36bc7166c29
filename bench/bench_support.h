#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>

namespace velmora::bench {

// Keeps every run's time so a benchmark can print its targets, and their ratios against the
// baselines measured in the same run, at the end.
class TimingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) seconds_[r.benchmark_name()] = r.GetAdjustedRealTime() * Scale(r.time_unit);
    ConsoleReporter::ReportRuns(runs);
  }
  // Seconds of the first run whose name starts with `prefix`; 0 when none ran.
  double Seconds(const std::string& prefix) const {
    for (const auto& [name, value] : seconds_)
      if (name.rfind(prefix, 0) == 0) return value;
    return 0.0;
  }
  double Ms(const std::string& prefix) const { return Seconds(prefix) * 1e3; }

 private:
  static double Scale(benchmark::TimeUnit u) {
    switch (u) {
      case benchmark::kNanosecond: return 1e-9;
      case benchmark::kMicrosecond: return 1e-6;
      case benchmark::kMillisecond: return 1e-3;
      default: return 1.0;
    }
  }
  std::map<std::string, double> seconds_;
};

}  // namespace velmora::bench
