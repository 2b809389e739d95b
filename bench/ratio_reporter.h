// A console reporter that also prints, for each pair of benchmarks that differ
// only in their method name, how many times faster the second is than the first.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace morv::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  // Benchmarks are named "<what>/<method>/<size>"; `slow` and `fast` name the methods.
  RatioReporter(std::string slow, std::string fast) : slow_(std::move(slow)), fast_(std::move(fast)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [name, slowTime] : times_) {
      const auto at = name.find("/" + slow_ + "/");
      if (at == std::string::npos) continue;
      std::string fastName = name;
      fastName.replace(at, slow_.size() + 2, "/" + fast_ + "/");
      const auto fast = times_.find(fastName);
      if (fast == times_.end() || fast->second <= 0) continue;
      std::printf("ratio %-40s %s is %.1fx faster than %s\n", name.substr(at + slow_.size() + 2).c_str(),
                  fast_.c_str(), slowTime / fast->second, slow_.c_str());
    }
  }

 private:
  std::string slow_;
  std::string fast_;
  std::map<std::string, double> times_;
};

}  // namespace morv::bench
