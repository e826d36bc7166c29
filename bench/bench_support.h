#pragma once

#include "bench_host.h"

#include <QByteArray>

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <map>
#include <string>

namespace velmora::bench {

// The baseline every "x a bare libxml2 parse" is against: libxml2 alone, with the options our
// parser passes, on bytes already in memory; nothing of ours in between.
inline void BareLibxml2Parse(const QByteArray& bytes) {
  xmlDocPtr doc = xmlReadMemory(bytes.constData(), static_cast<int>(bytes.size()), nullptr, nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  benchmark::DoNotOptimize(doc);
  xmlFreeDoc(doc);
}

inline void BareLibxml2Parse(benchmark::State& state, const QByteArray& bytes) {
  for (auto _ : state) BareLibxml2Parse(bytes);
  state.SetBytesProcessed(state.iterations() * bytes.size());
}

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
