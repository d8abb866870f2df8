// Google Benchmark's console output, keeping the median real time of every benchmark so that
// a program can print ratios between them at the end.
#pragma once

#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& reports) override {
    ConsoleReporter::ReportRuns(reports);
    for (const Run& run : reports) {
      if (run.error_occurred) continue;
      const std::string& name = run.run_name.function_name;
      if (run.run_type == Run::RT_Iteration) iterations_[name].push_back(run.GetAdjustedRealTime());
      else if (run.aggregate_name == "median") medians_[name] = run.GetAdjustedRealTime();
    }
  }
  // The median time of a benchmark over its repetitions; 0 when it did not run.
  double Time(const std::string& name) const {
    auto median = medians_.find(name);
    if (median != medians_.end()) return median->second;
    auto runs = iterations_.find(name);
    if (runs == iterations_.end() || runs->second.empty()) return 0;
    std::vector<double> times = runs->second;
    std::sort(times.begin(), times.end());
    size_t n = times.size();
    return n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
  }

 private:
  std::map<std::string, std::vector<double>> iterations_;
  std::map<std::string, double> medians_;
};
