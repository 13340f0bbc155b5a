#pragma once
// Two stages of one job on two threads: a producer on a thread of its own
// makes items one after another and hands them, in the order made, through
// a small bounded queue to a consumer on the calling thread. The queue
// closes from either end, so a failure on one side never leaves the other
// waiting: a producer that throws closes it once the consumer has taken
// what was made before, and a consumer that throws closes it at once, which
// stops the producer at its next hand-over.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace search {

template <class Item>
class Handoff {
 public:
  explicit Handoff(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

  // Waits while the queue is full. False once it is closed: the item is
  // dropped and the producer should stop.
  bool Push(Item&& item) {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [&] { return closed_ || items_.size() < capacity_; });
    if (closed_) return false;
    items_.push_back(std::move(item));
    changed_.notify_all();
    return true;
  }

  // Waits while the queue is empty and open. Nothing once it is closed and
  // every item pushed before has been taken.
  std::optional<Item> Pop() {
    std::unique_lock<std::mutex> hold(lock_);
    changed_.wait(hold, [&] { return closed_ || !items_.empty(); });
    if (items_.empty()) return std::nullopt;
    std::optional<Item> item(std::move(items_.front()));
    items_.pop_front();
    changed_.notify_all();
    return item;
  }

  // Items still queued stay for Pop; Push refuses from now on.
  void Close() {
    const std::lock_guard<std::mutex> hold(lock_);
    closed_ = true;
    changed_.notify_all();
  }

  // Drops what is queued, so that nothing more reaches the consumer.
  void CloseAndDrop() {
    const std::lock_guard<std::mutex> hold(lock_);
    closed_ = true;
    items_.clear();
    changed_.notify_all();
  }

 private:
  const std::size_t capacity_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<Item> items_;
  bool closed_ = false;
};

// Runs produce(handoff) on a new thread and consume(item) here for each item
// in the order pushed, then returns once both are done. An exception from
// either side reaches the caller once the producer's thread has ended (the
// consumer's, should both fail). False, with nothing run, when no thread
// could be started.
template <class Item, class Produce, class Consume>
bool RunPipelined(std::size_t capacity, Produce&& produce, Consume&& consume) {
  Handoff<Item> handoff(capacity);
  std::exception_ptr produceFailure;
  std::thread producer;
  try {
    producer = std::thread([&] {
      try {
        produce(handoff);
      } catch (...) {
        produceFailure = std::current_exception();
      }
      handoff.Close();
    });
  } catch (const std::system_error&) {
    return false;
  }
  try {
    while (std::optional<Item> item = handoff.Pop()) consume(std::move(*item));
  } catch (...) {
    handoff.CloseAndDrop();
    producer.join();
    throw;
  }
  producer.join();
  if (produceFailure) std::rethrow_exception(produceFailure);
  return true;
}

}  // namespace search
