#include "spread/task_spread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace tarn {
namespace {

TEST(ThreadSpread, ResultsInIndexOrderForAnyNumberOfThreads) {
  const IndexedTask square = [](int t) { return TaskResult{double(t), double(t * t)}; };
  const std::vector<TaskResult> one = ThreadSpread().run(7, 1, square);
  ASSERT_EQ(one.size(), 7u);
  for (int t = 0; t < 7; ++t) EXPECT_EQ(one[t], (TaskResult{double(t), double(t * t)}));
  EXPECT_EQ(ThreadSpread().run(7, 3, square), one);
  EXPECT_EQ(ThreadSpread().run(7, 20, square), one);
  EXPECT_EQ(run_tasks(nullptr, 7, 2, square), one);
  EXPECT_TRUE(ThreadSpread().run(0, 2, square).empty());
}

TEST(ThreadSpread, EveryTaskEndsBeforeTheLowestFailureIsThrown) {
  std::atomic<int> ran{0};
  const IndexedTask failing = [&ran](int t) {
    ++ran;
    if (t == 2 || t == 4) throw std::runtime_error("task " + std::to_string(t));
    return TaskResult{};
  };
  for (const int threads : {1, 3}) {
    ran = 0;
    try {
      ThreadSpread().run(6, threads, failing);
      ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "task 2");
    }
    EXPECT_EQ(ran, 6);
  }
}

TEST(ResultReader, ReadsInOrderAndRefusesToReadPastTheEnd) {
  const TaskResult values{1, 2, 3, 4};
  ResultReader reader(values);
  EXPECT_EQ(reader.next(), 1);
  EXPECT_EQ(reader.next(2), (std::vector<double>{2, 3}));
  EXPECT_THROW(reader.next(2), std::logic_error);
  EXPECT_EQ(reader.next(), 4);
  EXPECT_THROW(reader.next(), std::logic_error);
}

}  // namespace
}  // namespace tarn
