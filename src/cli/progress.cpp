#include "cli/progress.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace halvik {

namespace {

void Show(const std::string &text) {
  // Standard error is unbuffered: one write, and a failed one only loses the bar.
  const std::string line = "\r" + text + "\033[K";
  if (::write(STDERR_FILENO, line.data(), line.size()) < 0) return;
}

}  // namespace

Progressbar::Progressbar(bool shown, std::string label, std::int64_t total, const std::atomic<std::int64_t> &done)
    : Label(std::move(label)), Total(total), Done(done) {
  if (shown && ::isatty(STDERR_FILENO)) Worker = std::thread(&Progressbar::Run, this);
}

Progressbar::~Progressbar() {
  if (!Worker.joinable()) return;
  {
    const std::lock_guard<std::mutex> guard(Lock);
    Stop = true;
  }
  Finished.notify_one();
  Worker.join();
  if (Drawn) Show("");
}

void Progressbar::Run() {
  using namespace std::chrono;
  const auto start = steady_clock::now();
  std::unique_lock<std::mutex> guard(Lock);
  while (!Finished.wait_for(guard, milliseconds(100), [this] { return Stop; })) {
    if (steady_clock::now() - start < seconds(1)) continue;
    const std::int64_t done = Done.load(std::memory_order_relaxed);
    if (done == 0 || Total <= 0) {
      Show(Label + ": reading and measuring");
    } else {
      constexpr int Width = 30;
      const auto filled = static_cast<int>(Width * std::min(done, Total) / Total);
      Show(Label + ": [" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(Width - filled), '.') + "] " + std::to_string(done) + " of " +
           std::to_string(Total) + " lineups");
    }
    Drawn = true;
  }
}

}  // namespace halvik
