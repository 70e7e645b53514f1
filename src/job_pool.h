#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

/// Threads that share out the indices of one piece of work at a time.
class JobPool {
 public:
  /// Starts jobs (at least one) threads, which wait for work.
  explicit JobPool(unsigned jobs);
  /// Lets the threads finish and joins them.
  ~JobPool();
  JobPool(const JobPool&) = delete;
  JobPool& operator=(const JobPool&) = delete;

  /// Calls work(i, job) once for each i below count, on the pool's threads
  /// (job: which thread, below the number of jobs), and returns when all
  /// calls have returned; calls whileWaiting every interval meanwhile, on
  /// the calling thread.
  using Work = std::function<void(std::size_t index, unsigned job)>;
  void forEach(std::size_t count, const Work& work,
               const std::function<void()>& whileWaiting = [] {},
               std::chrono::milliseconds interval = std::chrono::milliseconds(200));

 private:
  void serve(unsigned job);

  std::vector<std::thread> threads;
  std::mutex mutex;
  std::condition_variable wake, done;
  const Work* work = nullptr;
  std::size_t next = 0, count = 0, pending = 0;
  bool closing = false;
};
