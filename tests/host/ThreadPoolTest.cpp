#include "ThreadPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace kestrow::host {
namespace {

class ThreadPoolTest : public testing::TestWithParam<unsigned> {};

TEST_P(ThreadPoolTest, RunsEveryRowExactlyOnce) {
  ThreadPool pool(GetParam());
  struct Range {
    A_long begin, end;
  };
  for (const Range r : {Range{0, 0}, Range{0, 1}, Range{3, 4}, Range{-5, 7}, Range{0, 1000}}) {
    std::vector<std::atomic<int>> visits(std::size_t(r.end - r.begin + 1));
    const PF_Err err = pool.forEach(r.begin, r.end, [&](A_long row) {
      ++visits[std::size_t(row - r.begin)];
      return PF_Err_NONE;
    });
    EXPECT_EQ(err, PF_Err_NONE);
    for (A_long row = r.begin; row < r.end; ++row) {
      EXPECT_EQ(visits[std::size_t(row - r.begin)].load(), 1)
          << "row " << row << " of [" << r.begin << ", " << r.end << ")";
    }
  }
}

// The lowest failing row's error wins whatever the thread count, and every
// row below it still runs.
TEST_P(ThreadPoolTest, ReportsTheLowestFailingRowAndRunsEveryRowBelowIt) {
  ThreadPool pool(GetParam());
  for (int repeat = 0; repeat < 20; ++repeat) {
    std::vector<std::atomic<int>> visits(200);
    const PF_Err err = pool.forEach(0, 200, [&](A_long row) -> PF_Err {
      ++visits[std::size_t(row)];
      if (row == 150) return 3;
      if (row == 37) return 2;
      if (row == 90) return 1;
      return PF_Err_NONE;
    });
    ASSERT_EQ(err, 2) << "repeat " << repeat;
    for (std::size_t row = 0; row <= 37; ++row) ASSERT_EQ(visits[row].load(), 1) << "row " << row;
  }
}

TEST_P(ThreadPoolTest, AnExceptionFailsItsRow) {
  ThreadPool pool(GetParam());
  const PF_Err err = pool.forEach(0, 10, [](A_long row) -> PF_Err {
    if (row == 4) throw std::runtime_error("row function threw");
    return PF_Err_NONE;
  });
  EXPECT_EQ(err, PF_Err_INTERNAL_STRUCT_DAMAGED);
}

TEST_P(ThreadPoolTest, ConcurrentCallersShareTheWorkers) {
  ThreadPool pool(GetParam());
  std::atomic<long> sums[3] = {0, 0, 0};
  std::vector<std::thread> callers;
  for (int c = 0; c < 3; ++c) {
    callers.emplace_back([&, c] {
      for (int repeat = 0; repeat < 10; ++repeat) {
        pool.forEach(0, 300, [&](A_long row) {
          sums[c] += row;
          return PF_Err_NONE;
        });
      }
    });
  }
  for (std::thread& t : callers) t.join();
  for (int c = 0; c < 3; ++c) EXPECT_EQ(sums[c].load(), 10L * (299L * 300L / 2)) << "caller " << c;
}

INSTANTIATE_TEST_SUITE_P(Threads, ThreadPoolTest, testing::Values(1u, 2u, 3u, 8u),
                         [](const auto& info) { return std::to_string(info.param) + "Threads"; });

TEST(ThreadPoolDefaultTest, UsesAtLeastOneThread) { EXPECT_GE(ThreadPool(0).threads(), 1u); }

}  // namespace
}  // namespace kestrow::host
