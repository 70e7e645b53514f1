#include "job_pool.h"

#include <algorithm>

JobPool::JobPool(unsigned jobs) {
  for (unsigned job = 0; job < std::max(jobs, 1u); ++job) threads.emplace_back([this, job] { serve(job); });
}

JobPool::~JobPool() {
  {
    std::lock_guard lock(mutex);
    closing = true;
  }
  wake.notify_all();
  for (std::thread& thread : threads) thread.join();
}

void JobPool::forEach(std::size_t total, const Work& task,
                      const std::function<void()>& whileWaiting,
                      std::chrono::milliseconds interval) {
  if (total == 0) return;
  std::unique_lock lock(mutex);
  work = &task;
  next = 0;
  count = pending = total;
  wake.notify_all();
  while (pending > 0) {
    if (done.wait_for(lock, interval) == std::cv_status::timeout) {
      lock.unlock();
      whileWaiting();
      lock.lock();
    }
  }
  work = nullptr;
  count = 0;
}

void JobPool::serve(unsigned job) {
  std::unique_lock lock(mutex);
  for (;;) {
    wake.wait(lock, [this] { return closing || next < count; });
    if (closing) return;
    const std::size_t index = next++;
    const auto& task = *work;
    lock.unlock();
    task(index, job);
    lock.lock();
    if (--pending == 0) done.notify_one();
  }
}
