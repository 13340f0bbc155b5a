// The hand-over between the index build's two threads, with failures put in
// where the engine's would come (an error or lack of memory on either side).
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "search/Pipeline.h"

namespace {

// Every item reaches the consumer once and in the order made, whatever the
// queue holds; a failure on either side reaches the caller (the consumer's,
// should both fail) and stops the other side: a producer that went on pushing
// into a closed queue, a consumer that never learnt the producer had
// stopped, or a producer left waiting on a full queue nobody empties would
// each show here (the last two as a test that never ends).
TEST(BookIndexPipeline, HandsOverInOrderAndStopsOnAFailureOfEitherSide) {
  constexpr int kItems = 2000;
  const struct {
    const char* what;
    std::size_t capacity;
    int producerFailsAt;  // -1: never
    int consumerFailsAt;
  } cases[] = {
      {"a queue of one", 1, -1, -1},
      {"a queue of a few", 3, -1, -1},
      {"a queue larger than the job", 5000, -1, -1},
      {"the producer fails before its first item", 2, 0, -1},
      {"the producer fails midway", 2, 1700, -1},
      {"the consumer fails at the first item", 2, -1, 0},
      {"the consumer fails while the producer waits on a full queue", 1, -1, 900},
      {"the consumer fails first of both", 4, 1200, 600},
      {"the producer fails first of both", 4, 500, 1500},
  };
  for (const auto& c : cases) {
    std::vector<int> consumed;
    int pushed = 0;
    std::string failure;
    try {
      const bool ran = search::RunPipelined<int>(
          c.capacity,
          [&](search::Handoff<int>& handoff) {
            for (int i = 0; i < kItems; ++i) {
              if (i == c.producerFailsAt) throw std::runtime_error("producer");
              if (!handoff.Push(int(i))) return;
              ++pushed;
            }
          },
          [&](int&& item) {
            if (static_cast<int>(consumed.size()) == c.consumerFailsAt) throw std::runtime_error("consumer");
            consumed.push_back(item);
          });
      EXPECT_TRUE(ran) << c.what;
    } catch (const std::runtime_error& e) {
      failure = e.what();
    }
    int made = kItems;
    if (c.producerFailsAt >= 0) made = c.producerFailsAt;
    const bool consumerFails = c.consumerFailsAt >= 0 && c.consumerFailsAt < made;
    std::vector<int> expected(static_cast<std::size_t>(consumerFails ? c.consumerFailsAt : made));
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(failure, consumerFails ? "consumer" : c.producerFailsAt >= 0 ? "producer" : "") << c.what;
    EXPECT_EQ(consumed, expected) << c.what;
    // Once the consumer fails, the producer stops at its next hand-over.
    if (consumerFails) {
      EXPECT_LE(pushed, c.consumerFailsAt + 1 + static_cast<int>(c.capacity)) << c.what;
    } else {
      EXPECT_EQ(pushed, made) << c.what;
    }
  }
}

}  // namespace
