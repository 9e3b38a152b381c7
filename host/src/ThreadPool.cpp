#include "ThreadPool.h"

#include <atomic>
#include <cstdint>

namespace kestrow::host {

struct ThreadPool::Job {
  const std::function<PF_Err(A_long)>* fn = nullptr;
  A_long end = 0;
  std::atomic<A_long> next{0};
  std::atomic<bool> failed{false};
  std::mutex mutex;
  std::condition_variable done;
  int active = 0;  // threads inside work(), guarded by mutex
  A_long firstFailedRow = INT32_MAX;
  PF_Err firstError = PF_Err_NONE;
};

ThreadPool::ThreadPool(unsigned threads) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads_ = threads;
  for (unsigned i = 1; i < threads; ++i) workers_.emplace_back([this] { workerLoop(); });
}

ThreadPool::~ThreadPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void ThreadPool::work(Job& job) {
  {
    std::lock_guard lock(job.mutex);
    ++job.active;
  }
  while (!job.failed.load(std::memory_order_relaxed)) {
    const A_long row = job.next.fetch_add(1);
    if (row >= job.end) break;
    PF_Err err = PF_Err_NONE;
    try {
      err = (*job.fn)(row);
    } catch (...) {
      err = PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
    if (err != PF_Err_NONE) {
      std::lock_guard lock(job.mutex);
      if (row < job.firstFailedRow) {
        job.firstFailedRow = row;
        job.firstError = err;
      }
      job.failed = true;
    }
  }
  std::lock_guard lock(job.mutex);
  if (--job.active == 0) job.done.notify_all();
}

void ThreadPool::workerLoop() {
  for (;;) {
    std::shared_ptr<Job> job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (stopping_) return;
      job = jobs_.front();
      // A job whose rows are all claimed needs no more helpers.
      if (job->next.load() >= job->end || job->failed.load()) {
        jobs_.pop_front();
        continue;
      }
    }
    work(*job);
  }
}

PF_Err ThreadPool::forEach(A_long begin, A_long end, const std::function<PF_Err(A_long)>& fn) {
  if (begin >= end) return PF_Err_NONE;
  auto job = std::make_shared<Job>();
  job->fn = &fn;
  job->next = begin;
  job->end = end;
  if (!workers_.empty() && end - begin > 1) {
    {
      std::lock_guard lock(mutex_);
      jobs_.push_back(job);
    }
    wake_.notify_all();
  }
  work(*job);
  {
    // Rows are all claimed; wait for helpers still inside the job, then
    // take it off the queue if no worker has done so yet.
    std::unique_lock lock(job->mutex);
    job->done.wait(lock, [&] { return job->active == 0; });
  }
  {
    std::lock_guard lock(mutex_);
    std::erase(jobs_, job);
  }
  return job->firstError;
}

}  // namespace kestrow::host
