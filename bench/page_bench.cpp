// One page display without the browser: decode the slot, apply the colour
// theme and rewrite tmp.html in the private temporary folder.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "reader/core/Base64.h"
#include "reader/core/PageTheme.h"
#include "reader/core/TempFolder.h"

namespace {

// About 50 KB of page in the shape the book's pages have: every block
// carries each of the four themed fragments once.
std::string SamplePage() {
  const std::string block =
      "<div style=\"background-color:#fff5d2; padding:4px\">\r\n"
      "<p class=MsoNormal><span style=\"font-family:'Calibri'; color:#000000\">"
      "\xCF\xF0\xE8\xEC\xE5\xF0 \xF2\xE5\xEA\xF1\xF2\xE0 \xF1\xF2\xF0\xE0\xED\xE8\xF6\xFB, "
      "with some plain words to fill the line as a real paragraph would.</span></p>\r\n"
      "<p><span style=\"font-family:'Times New Roman'; color:#000000\">Second paragraph, "
      "a little longer, because the pages mix two fonts in most of their sections.</span></p>\r\n"
      "<table style=\"background: #83776e\"><tr><td>cell</td><td>cell</td></tr></table>\r\n"
      "</div>\r\n";
  std::string page = "<html><head><meta charset=windows-1251></head><body>\r\n";
  while (page.size() < 50000) page += block;
  return page + "</body></html>\r\n";
}

struct PrivateFolder {
  std::filesystem::path base;
  std::filesystem::path folder;
  PrivateFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "page_bench.XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    base = pattern;
    folder = reader::TempFolderFrom(nullptr, base.c_str(), "page-bench");
  }
  ~PrivateFolder() {
    std::error_code ec;
    std::filesystem::remove_all(base, ec);
  }
};

const reader::ThemeColours kColours = {"#E0E0E0", "#FFFFFF", "#042640"};

void PreparePage(benchmark::State& state) {
  const std::string slot = reader::BytesToBase64(SamplePage());
  for (auto _ : state) {
    std::string page = reader::PreparePage(slot, kColours);
    benchmark::DoNotOptimize(page.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * slot.size()));
}
BENCHMARK(PreparePage)->Unit(benchmark::kMicrosecond);

void ShowPageFile(benchmark::State& state) {
  const std::string source = SamplePage();
  const std::string slot = reader::BytesToBase64(source);
  PrivateFolder temp;
  const std::filesystem::path file = temp.folder / "tmp.html";
  const std::string once = reader::PreparePage(slot, kColours);
  if (once.find("#fff5d2") != std::string::npos || once.find("#83776e") != std::string::npos) {
    state.SkipWithError("the sample page was not themed");
    return;
  }
  for (auto _ : state) reader::WritePrivateFile(file, reader::PreparePage(slot, kColours));
  state.counters["page_bytes"] = static_cast<double>(source.size());
}
BENCHMARK(ShowPageFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
