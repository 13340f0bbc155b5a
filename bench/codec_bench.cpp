// The page codec against the cheapest possible handling of the same bytes.
// Target for decoding a 48 KiB page (its Base64 text in CR LF lines):
// at least 3.5 GiB/s of text, i.e. within 15x of a plain memcpy of that text.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <string>

#include "reader/core/Base64.h"

namespace {

constexpr std::size_t kPageBytes = 48 * 1024;

const std::string& Page() {
  static const std::string page = [] {
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string p(kPageBytes, '\0');
    for (char& c : p) c = static_cast<char>(byte(rng));
    return p;
  }();
  return page;
}

const std::string& SlotText() {
  static const std::string text = reader::BytesToBase64(Page());
  return text;
}

// Nanoseconds for one memcpy of n bytes, best of several batches so that a
// preempted batch does not flatter the ratio.
double MemcpyNanoseconds(std::size_t n) {
  std::string from(n, 'A'), to(n, '\0');
  double best = 1e300;
  for (int batch = 0; batch < 15; ++batch) {
    constexpr int kCopies = 200;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kCopies; ++i) {
      std::memcpy(to.data(), from.data(), n);
      benchmark::ClobberMemory();
      benchmark::DoNotOptimize(to.data());
    }
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count() / kCopies);
  }
  return best;
}

void MemcpyText(benchmark::State& state) {
  const std::string& text = SlotText();
  std::string to(text.size(), '\0');
  for (auto _ : state) {
    std::memcpy(to.data(), text.data(), text.size());
    benchmark::ClobberMemory();
    benchmark::DoNotOptimize(to.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(MemcpyText);

void DecodeSlot(benchmark::State& state) {
  const std::string& text = SlotText();
  if (reader::Base64ToBytes(text) != Page()) {
    state.SkipWithError("the page does not decode to its bytes");
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    std::string bytes = reader::Base64ToBytes(text);
    benchmark::DoNotOptimize(bytes.data());
  }
  const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  const double decodeNs = took.count() / static_cast<double>(state.iterations());
  state.counters["text_GiBps"] = static_cast<double>(text.size()) / decodeNs * 1e9 / (1u << 30);
  state.counters["x_memcpy"] = decodeNs / MemcpyNanoseconds(text.size());
}
BENCHMARK(DecodeSlot);

void EncodePage(benchmark::State& state) {
  const std::string& page = Page();
  for (auto _ : state) {
    std::string text = reader::BytesToBase64(page);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(EncodePage);

}  // namespace

BENCHMARK_MAIN();
