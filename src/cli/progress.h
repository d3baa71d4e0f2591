// A progress line on standard error for an analysis that takes longer than
// a second, when standard error is a terminal.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace halvik {

struct Progressbar {
  // Shows `label` and the share of `total` lineups that `done` counts, from a
  // second after it is made until it goes; nothing unless `shown`.
  Progressbar(bool shown, std::string label, std::int64_t total, const std::atomic<std::int64_t> &done);
  ~Progressbar();
  Progressbar(const Progressbar &) = delete;
  Progressbar &operator=(const Progressbar &) = delete;

 private:
  void Run();
  std::string Label;
  std::int64_t Total;
  const std::atomic<std::int64_t> &Done;
  std::mutex Lock;
  std::condition_variable Finished;
  bool Stop = false, Drawn = false;
  std::thread Worker;
};

}  // namespace halvik
