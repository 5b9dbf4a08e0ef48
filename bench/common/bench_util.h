// Machine and process figures the benchmark programs print beside their
// timings. Linux only: everything is read from /proc.
#pragma once

#include <time.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace bench {

namespace detail {

// A field of /proc/self/status given in kB ("VmHWM", "VmRSS") in MiB; 0 where
// the field is missing.
inline double StatusMiB(const std::string& key) {
  std::ifstream status("/proc/self/status");
  const std::string prefix = key + ":";
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(prefix, 0) == 0) return std::stod(line.substr(prefix.size())) / 1024.0;
  }
  return 0;
}

}  // namespace detail

// The first "model name" of /proc/cpuinfo, or "unknown CPU".
inline std::string CpuModel() {
  std::ifstream info("/proc/cpuinfo");
  for (std::string line; std::getline(info, line);) {
    if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
  }
  return "unknown CPU";
}

// The 1, 5 and 15 minute load averages: on a shared machine they say how far
// the wall times beside them can be trusted.
inline std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

// "machine: 2 cores, <CPU model>, load average 1.2 0.9 0.7", no newline.
inline std::string MachineLine() {
  return "machine: " + std::to_string(std::thread::hardware_concurrency()) + " cores, " +
         CpuModel() + ", load average " + LoadAverage();
}

// Peak resident memory of the process (VmHWM) in MiB, since start or since
// the last ResetPeakRss.
inline double PeakRssMiB() {
  return detail::StatusMiB("VmHWM");
}

// Resident memory of the process now (VmRSS) in MiB.
inline double CurrentRssMiB() {
  return detail::StatusMiB("VmRSS");
}

// Lets PeakRssMiB measure one stage: Linux sets VmHWM back to the current RSS
// when "5" is written to clear_refs.
inline void ResetPeakRss() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The middle of several timings (the upper middle of an even number).
inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// CPU time of the whole process, all threads, in seconds.
inline double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace bench
