// The book search on the real-size book: the whole build (pages to text,
// then the index) as the window makes it, beside the plain one-thread build
// and its parts; index memory, and query latency (median,
// 95th percentile) over a fixed list of 50 queries, side by side with a
// plain case-insensitive substring scan of every decoded page; then the
// same on a book ten times larger (each page the concatenation of ten), so
// the growth is known. Prints its figures first, then runs the registered
// benchmarks.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "reader/core/PageStore.h"
#include "reader/packing/Packing.h"
#include "search/BookIndex.h"

namespace {

// Single words, inflected forms, two and three words, prefixes (typing),
// phrases; all but a few occur in the book.
struct Query {
  const char* text;
  bool typing;
};
const Query kQueries[] = {
    {"камень", false}, {"кость", false}, {"дерево", false}, {"глина", false}, {"кожа", false},
    {"тростник", false}, {"мастер", false}, {"торговля", false}, {"инструменты", false}, {"город", false},
    {"камнем", false}, {"костями", false}, {"деревом", false}, {"глиной", false}, {"кожей", false},
    {"мастерских", false}, {"ученика", false}, {"деревни", false}, {"находках", false}, {"словарём", false},
    {"камень глина", false}, {"кость мастер", false}, {"дерево руками", false}, {"торговля навыки", false},
    {"жизнь города", false}, {"ошибки ученика", false}, {"археологические находки", false},
    {"камень кость дерево", false}, {"глина торговля заказывал", false}, {"приёмы инструменты ошибки", false},
    {"повседневную жизнь города", false}, {"словарь терминов главах", false}, {"кам", true}, {"кос", true},
    {"глин", true}, {"трост", true}, {"мастерс", true}, {"археолог", true}, {"камень гл", true},
    {"кость инстр", true}, {"дерево сво", true}, {"\"глина и торговля\"", false}, {"\"словарь терминов\"", false},
    {"\"повседневную жизнь\"", false}, {"\"своими руками\"", false}, {"\"типичные ошибки\"", false},
    {"\"как использовали дерево\"", false}, {"синхрофазотрон", false}, {"камень синхрофазотрон", false},
    {"\"кость камень\"", false},
};
static_assert(std::size(kQueries) == 50);

reader::PageStore LargeBook() {
  reader::PageStore store;
  const std::string folder = LARGE_BOOK_DIR;
  store.SetSlot(reader::kContentsSlot, reader::BuildContents(reader::ReadOutline(reader::OutlinePath(folder))));
  reader::PackPageFolder(reader::PageFolderPath(folder), store);
  return store;
}

std::vector<search::IndexedPage> TenTimes(const std::vector<search::IndexedPage>& pages) {
  std::vector<search::IndexedPage> out = pages;
  for (std::size_t i = 0; i < out.size(); ++i)
    for (std::size_t k = 1; k < 10; ++k) out[i].text += "\n" + pages[(i + k) % pages.size()].text;
  return out;
}

// The baseline: every decoded page lower-cased once, then each query word
// looked for in every page with a plain substring search.
std::string Lower(const std::string& utf8) {
  std::string out = utf8;
  for (std::size_t i = 0; i + 1 < out.size(); ++i) {
    auto& a = reinterpret_cast<unsigned char&>(out[i]);
    auto& b = reinterpret_cast<unsigned char&>(out[i + 1]);
    if (a == 0xD0 && b >= 0x90 && b <= 0x9F) { b += 0x20; ++i; }
    else if (a == 0xD0 && b >= 0xA0 && b <= 0xAF) { a = 0xD1; b -= 0x20; ++i; }
    else if (a < 0x80 && a >= 'A' && a <= 'Z') a += 32;
  }
  return out;
}

std::vector<int> Scan(const std::vector<std::string>& lowered, const std::vector<search::IndexedPage>& pages,
                      const std::string& query) {
  std::vector<std::string> words;
  std::string word;
  for (char c : Lower(query) + " ") {
    if (c == ' ' || c == '"') {
      if (!word.empty()) words.push_back(word);
      word.clear();
    } else {
      word.push_back(c);
    }
  }
  std::vector<int> found;
  for (std::size_t p = 0; p < lowered.size(); ++p)
    if (std::all_of(words.begin(), words.end(), [&](const std::string& w) { return lowered[p].find(w) != std::string::npos; }))
      found.push_back(pages[p].slot);
  return found;
}

double Ms(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// This thread's CPU time: on a machine shared with other work, wall time
// also counts the time the thread waited for a core.
double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Percentiles {
  double median, p95;
};
Percentiles Of(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 95 / 100)]};
}

// Builds the index of `pages` seven times: its time (wall and this thread's
// CPU) and the heap it keeps.
struct BuildFigures {
  std::vector<double> wall, cpu;
  std::size_t heap = 0, stored = 0;
};
BuildFigures BuildIndex(const std::vector<search::IndexedPage>& pages) {
  BuildFigures f;
  for (int r = 0; r < 7; ++r) {
    std::vector<search::IndexedPage> copy = pages;
    const std::size_t before = mallinfo2().uordblks;
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = CpuMs();
    const search::BookIndex index(std::move(copy));
    f.cpu.push_back(CpuMs() - c0);
    f.wall.push_back(Ms(std::chrono::steady_clock::now() - t0));
    // Heap the index keeps beyond the pages' text, which it takes over.
    f.heap = mallinfo2().uordblks - before;
    f.stored = index.StoredBytes();
  }
  return f;
}

// From the page store to an index ready to query: as the window builds it
// (IndexBook on a thread of its own, at the window's lowered priority),
// beside the plain one-thread build and the window's build at normal
// priority, run after run in turn, so that a slow phase of the machine
// weighs on all three alike. The plain build is also timed in its parts.
void ReportWholeBuild(const reader::PageStore& store) {
  auto onThread = [&](const search::BuildOptions& options) {
    double ms = 0;
    std::thread([&] {
      const auto t0 = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(search::IndexBook(store, options));
      ms = Ms(std::chrono::steady_clock::now() - t0);
    }).join();
    return ms;
  };
  std::vector<double> window, foreground, oneThread, extract, index, oneThreadCpu;
  for (int r = 0; r < 9; ++r) {
    window.push_back(onThread({.pipelined = true, .background = true}));
    oneThread.push_back(onThread({.pipelined = false, .background = true}));
    foreground.push_back(onThread({.pipelined = true, .background = false}));
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = CpuMs();
    std::vector<search::IndexedPage> pages = search::BookPages(store, 1);
    const auto t1 = std::chrono::steady_clock::now();
    const search::BookIndex built(std::move(pages));
    const auto t2 = std::chrono::steady_clock::now();
    oneThreadCpu.push_back(CpuMs() - c0);
    extract.push_back(Ms(t1 - t0));
    index.push_back(Ms(t2 - t1));
  }
  std::vector<double> extractAllCores;
  for (int r = 0; r < 9; ++r) {
    const auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(search::BookPages(store));
    extractAllCores.push_back(Ms(std::chrono::steady_clock::now() - t0));
  }
  const Percentiles w = Of(window), o = Of(oneThread), f = Of(foreground), e = Of(extract), i = Of(index),
                    oc = Of(oneThreadCpu), ea = Of(extractAllCores);
  std::printf("large book, whole build, 9 runs each:\n");
  std::printf("  total_build_ms (as the window: pipelined, lowered priority) median=%.1f max=%.1f | "
              "one_thread_total_ms median=%.1f max=%.1f | pipelined at normal priority median=%.1f max=%.1f\n",
              w.median, w.p95, o.median, o.p95, f.median, f.p95);
  std::printf("  one thread in parts: extract_ms median=%.1f max=%.1f | build_ms median=%.1f max=%.1f | cpu median=%.1f\n",
              e.median, e.p95, i.median, i.p95, oc.median);
  std::printf("  extract_ms on every core median=%.1f max=%.1f\n", ea.median, ea.p95);
}

void Report(const char* label, const std::vector<search::IndexedPage>& pages) {
  std::size_t textBytes = 0;
  for (const auto& p : pages) textBytes += p.name.size() + p.text.size();
  const BuildFigures built = BuildIndex(pages);
  const std::vector<double>& builds = built.wall;
  const std::vector<double>& buildCpu = built.cpu;
  const std::size_t heap = built.heap, stored = built.stored;
  const search::BookIndex index(pages);
  std::vector<std::string> lowered;
  for (const auto& p : pages) lowered.push_back(Lower(p.name + "\n" + p.text));
  // Per query the best of 20 runs (what the query costs when it has a
  // core), and every run (what it cost on this machine as it was).
  std::vector<double> match, withSnippets, scan;
  std::vector<double> bestMatch(std::size(kQueries), 1e9), bestSnippets(std::size(kQueries), 1e9),
      bestScan(std::size(kQueries), 1e9);
  for (int r = 0; r < 20; ++r) {
    for (std::size_t k = 0; k < std::size(kQueries); ++k) {
      const Query& q = kQueries[k];
      search::SearchOptions options;
      options.typing = q.typing;
      auto t0 = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(index.Match(q.text, options));
      match.push_back(Ms(std::chrono::steady_clock::now() - t0));
      t0 = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(index.Search(q.text, options));
      withSnippets.push_back(Ms(std::chrono::steady_clock::now() - t0));
      t0 = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(Scan(lowered, pages, q.text));
      scan.push_back(Ms(std::chrono::steady_clock::now() - t0));
      bestMatch[k] = std::min(bestMatch[k], match.back());
      bestSnippets[k] = std::min(bestSnippets[k], withSnippets.back());
      bestScan[k] = std::min(bestScan[k], scan.back());
    }
  }
  const Percentiles b = Of(builds), bc = Of(buildCpu), m = Of(match), s = Of(withSnippets), c = Of(scan);
  const Percentiles bm = Of(bestMatch), bs = Of(bestSnippets), bsc = Of(bestScan);
  std::printf("%s: %zu pages, %.2f MiB of text\n", label, pages.size(), textBytes / 1048576.0);
  std::printf("  build_ms wall median=%.1f max=%.1f | cpu median=%.1f\n", b.median, b.p95, bc.median);
  std::printf("  index_mib stored=%.2f heap=%.2f total=%.2f\n", stored / 1048576.0, heap / 1048576.0,
              (stored + heap) / 1048576.0);
  std::printf("  query_ms (top 10) median=%.3f p95=%.3f | with snippets median=%.3f p95=%.3f | scan median=%.3f "
              "p95=%.3f | p95 ratio scan/search=%.1f\n",
              m.median, m.p95, s.median, s.p95, c.median, c.p95, c.p95 / s.p95);
  std::printf("  query_ms best of 20 per query: (top 10) median=%.3f p95=%.3f | with snippets median=%.3f p95=%.3f "
              "| scan median=%.3f p95=%.3f | p95 ratio scan/search=%.1f\n",
              bm.median, bm.p95, bs.median, bs.p95, bsc.median, bsc.p95, bsc.p95 / bs.p95);
}

void BM_Build(benchmark::State& state) {
  const auto pages = search::BookPages(LargeBook());
  for (auto _ : state) benchmark::DoNotOptimize(search::BookIndex(pages));
}
BENCHMARK(BM_Build)->Unit(benchmark::kMillisecond);

void BM_QueryAll50(benchmark::State& state) {
  const search::BookIndex index(search::BookPages(LargeBook()));
  for (auto _ : state)
    for (const Query& q : kQueries) benchmark::DoNotOptimize(index.Search(q.text, {.typing = q.typing}));
}
BENCHMARK(BM_QueryAll50)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const reader::PageStore store = LargeBook();
  ReportWholeBuild(store);
  const auto pages = search::BookPages(store);
  Report("large book", pages);
  Report("ten times larger", TenTimes(pages));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
