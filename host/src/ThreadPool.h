// Worker threads that run the rows of a pixel iteration.
//
// forEach(begin, end, fn) calls fn(i) once for every i in [begin, end),
// spread over the workers and the calling thread; rows are claimed in
// increasing order. After a row fails no new rows are claimed, and the
// result is the error of the lowest failing row. Because every row below a
// failing one has been claimed before it, that result does not depend on the
// number of threads or their timing. Several threads may call forEach at
// once (several renders); their rows share the workers.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "AE_Effect.h"

namespace kestrow::host {

class ThreadPool {
 public:
  // `threads` rows may run at once, the caller's included; 0 = one per core.
  explicit ThreadPool(unsigned threads = 0);
  ~ThreadPool();
  ThreadPool(const ThreadPool&) = delete;
  ThreadPool& operator=(const ThreadPool&) = delete;

  unsigned threads() const { return threads_; }

  // An exception out of fn counts as PF_Err_INTERNAL_STRUCT_DAMAGED for its row.
  PF_Err forEach(A_long begin, A_long end, const std::function<PF_Err(A_long)>& fn);

 private:
  struct Job;
  void workerLoop();
  static void work(Job& job);

  unsigned threads_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::shared_ptr<Job>> jobs_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace kestrow::host
