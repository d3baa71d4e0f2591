#include "scan/pipeline.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace halvik {

namespace {

// What the threads share, under Lock.
class Crew {
 public:
  Crew(const Testsetup &setup, int threads, const std::function<void(Windowresult &&)> &sink)
      : Setup(setup), Sink(sink), Capacity(2 * threads) {
    for (int t = 1; t < threads; ++t) {
      try {
        Workers.emplace_back(&Crew::Work, this);
      } catch (const std::system_error &) {
        break;  // fewer threads: the calling thread tests the rest
      }
    }
  }
  ~Crew() {
    {
      const std::lock_guard<std::mutex> guard(Lock);
      Stopping = true;
    }
    Changed.notify_all();
    for (std::thread &worker : Workers) worker.join();
  }
  Crew(const Crew &) = delete;
  Crew &operator=(const Crew &) = delete;

  void Take(Windowdata &&window) {
    std::unique_lock<std::mutex> lock(Lock);
    // Few windows wait, and large ones fewer: memory stays that of a few.
    while (Produced - Delivered >= Capacity || (Bytes > Budget && Produced > Delivered)) Helpwhilewaiting(lock);
    Bytes += Size(window);
    Pending.push_back(std::move(window));
    ++Produced;
    Changed.notify_one();
    Deliverready(lock);
  }
  void Finish() {
    std::unique_lock<std::mutex> lock(Lock);
    while (Delivered < Produced) Helpwhilewaiting(lock);
  }

 private:
  // Tests the first pending window, if any, else waits for a change; then
  // delivers what is ready. A failure of any thread ends the run here.
  void Helpwhilewaiting(std::unique_lock<std::mutex> &lock) {
    if (!Pending.empty())
      Testone(lock);
    else
      Changed.wait(lock, [&] { return Failure || !Pending.empty() || Done.count(Delivered) > 0; });
    if (Failure) std::rethrow_exception(Failure);
    Deliverready(lock);
  }
  void Testone(std::unique_lock<std::mutex> &lock) {
    Windowdata window = std::move(Pending.front());
    Pending.pop_front();
    lock.unlock();
    std::exception_ptr failure;
    Windowresult result;
    try {
      result = Testwindow(window, Setup);
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    Bytes -= Size(window);
    if (failure && !Failure) Failure = failure;
    if (!failure) Done.emplace(window.Index, std::move(result));
    Changed.notify_all();
  }
  void Deliverready(std::unique_lock<std::mutex> &lock) {
    for (auto ready = Done.find(Delivered); ready != Done.end(); ready = Done.find(Delivered)) {
      Windowresult result = std::move(ready->second);
      Done.erase(ready);
      ++Delivered;
      lock.unlock();
      Sink(std::move(result));
      lock.lock();
    }
  }
  void Work() {
    std::unique_lock<std::mutex> lock(Lock);
    for (;;) {
      Changed.wait(lock, [&] { return Stopping || Failure || !Pending.empty(); });
      if (Stopping || Failure) return;
      Testone(lock);
    }
  }

  static std::int64_t Size(const Windowdata &w) {
    return static_cast<std::int64_t>((w.Alleles.size() + w.Missing.size()) * sizeof(std::uint64_t));
  }

  const Testsetup &Setup;
  const std::function<void(Windowresult &&)> &Sink;
  const std::int64_t Capacity;                      // windows read and not yet delivered
  static constexpr std::int64_t Budget = 96 << 20;  // bytes of calls waiting or being tested
  std::int64_t Bytes = 0;
  std::mutex Lock;
  std::condition_variable Changed;
  std::deque<Windowdata> Pending;
  std::map<std::int64_t, Windowresult> Done;
  std::int64_t Produced = 0, Delivered = 0;
  bool Stopping = false;
  std::exception_ptr Failure;
  std::vector<std::thread> Workers;
};

}  // namespace

void Testwindows(const std::function<void(const Windowtaker &)> &produce, const Testsetup &setup, int threads,
                 const std::function<void(Windowresult &&)> &sink) {
  if (threads <= 1) {
    produce([&](Windowdata &&window) { sink(Testwindow(window, setup)); });
    return;
  }
  Crew crew(setup, threads, sink);
  produce([&](Windowdata &&window) { crew.Take(std::move(window)); });
  crew.Finish();
}

}  // namespace halvik
