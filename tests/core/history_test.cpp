// The reader's page history, the zoom hint's placement and the interface
// language taken from the environment (the hint's timing is stepped on a
// fake clock with its widget, in the Qt tests).
#include "reader/core/History.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "reader/core/UiLanguage.h"
#include "reader/core/ZoomHintModel.h"

namespace {

// One step of a reading session: 'S' shows a page, 'B' goes back, 'F'
// forward; expected is what Back/Forward return (nullopt: nothing, no move)
// and the page the cursor is on afterwards.
struct Step {
  char op;
  int page;  // for 'S'
  std::optional<int> returned;
  std::optional<int> current;
};

TEST(HistoryTest, ShowsBacksAndForwardsLandOnTheExpectedPage) {
  const std::vector<std::pair<const char*, std::vector<Step>>> sessions = {
      {"empty history", {{'B', 0, std::nullopt, std::nullopt}, {'F', 0, std::nullopt, std::nullopt}}},
      {"one page", {{'S', 2, {}, 2}, {'B', 0, std::nullopt, 2}, {'F', 0, std::nullopt, 2}}},
      {"back and forward through three",
       {{'S', 2, {}, 2},
        {'S', 5, {}, 5},
        {'S', 7, {}, 7},
        {'B', 0, 5, 5},
        {'B', 0, 2, 2},
        {'B', 0, std::nullopt, 2},
        {'F', 0, 5, 5},
        {'F', 0, 7, 7},
        {'F', 0, std::nullopt, 7}}},
      {"a new page after Back drops the later ones",
       {{'S', 2, {}, 2},
        {'S', 5, {}, 5},
        {'S', 7, {}, 7},
        {'B', 0, 5, 5},
        {'S', 9, {}, 9},
        {'F', 0, std::nullopt, 9},
        {'B', 0, 5, 5},
        {'B', 0, 2, 2}}},
      {"showing the page Back reached keeps the later ones",
       {{'S', 2, {}, 2}, {'S', 5, {}, 5}, {'B', 0, 2, 2}, {'S', 2, {}, 2}, {'F', 0, 5, 5}}},
      {"the same page twice is one entry", {{'S', 3, {}, 3}, {'S', 3, {}, 3}, {'B', 0, std::nullopt, 3}}},
      {"a page seen twice apart is two entries",
       {{'S', 3, {}, 3}, {'S', 4, {}, 4}, {'S', 3, {}, 3}, {'B', 0, 4, 4}, {'B', 0, 3, 3}}},
  };
  for (const auto& [name, steps] : sessions) {
    reader::History history;
    for (std::size_t i = 0; i < steps.size(); ++i) {
      const Step& s = steps[i];
      std::optional<int> got;
      if (s.op == 'S') history.Show(s.page);
      if (s.op == 'B') got = history.Back();
      if (s.op == 'F') got = history.Forward();
      if (s.op != 'S') {
        EXPECT_EQ(got, s.returned) << name << ", step " << i;
      }
      EXPECT_EQ(history.Current(), s.current) << name << ", step " << i;
    }
  }
}

TEST(HistoryTest, TheOldestEntriesGoBeyondTheLimit) {
  reader::History history;
  const int shown = static_cast<int>(reader::History::kLimit) + 5;
  for (int page = 1; page <= shown; ++page) history.Show(page);
  EXPECT_EQ(history.Size(), reader::History::kLimit);
  int backs = 0;
  std::optional<int> last;
  while (const std::optional<int> page = history.Back()) {
    last = page;
    ++backs;
  }
  EXPECT_EQ(backs, static_cast<int>(reader::History::kLimit) - 1);
  EXPECT_EQ(last, 6);
}

TEST(ZoomHintModelTest, TheHintSitsAboveTheSliderInsideTheWindow) {
  struct Row {
    const char* name;
    reader::HintRect slider;
    int width, height, clientWidth;
    reader::HintRect expected;
  };
  const Row rows[] = {
      // The design's slider in the bottom-right corner of the design window.
      {"right edges aligned, 2 px above", {1012, 617, 183, 17}, 48, 20, 1195, {1147, 595, 48, 20}},
      {"a window narrower than the slider's right edge", {1012, 617, 183, 17}, 48, 20, 1100, {1052, 595, 48, 20}},
      {"a hint wider than the space on the left", {10, 100, 30, 17}, 48, 20, 300, {0, 78, 48, 20}},
      {"a slider at the top", {500, 5, 183, 17}, 48, 20, 1195, {635, 0, 48, 20}},
  };
  for (const Row& r : rows)
    EXPECT_EQ(reader::PlaceZoomHint(r.slider, r.width, r.height, r.clientWidth), r.expected) << r.name;
}

TEST(UiLanguageTest, TheLocaleOfTheEnvironmentChoosesTheLanguages) {
  using Env = std::map<std::string, std::string>;
  const std::vector<std::tuple<const char*, Env, std::vector<std::string>>> rows = {
      {"LANG alone", {{"LANG", "ru_RU.UTF-8"}}, {"ru_RU", "ru"}},
      {"C means untranslated", {{"LANG", "C"}}, {}},
      {"C.UTF-8 too", {{"LANG", "C.UTF-8"}}, {}},
      {"POSIX too", {{"LANG", "POSIX"}}, {}},
      {"nothing set", {}, {}},
      {"LC_MESSAGES before LANG", {{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "ru_RU.UTF-8"}}, {"ru_RU", "ru"}},
      {"LC_ALL before both", {{"LANG", "ru_RU"}, {"LC_MESSAGES", "ru_RU"}, {"LC_ALL", "fr_FR.UTF-8"}}, {"fr_FR", "fr"}},
      {"LANGUAGE first, then the locale",
       {{"LANG", "de_DE.UTF-8"}, {"LANGUAGE", "uk:ru_RU"}},
       {"uk", "ru_RU", "ru", "de_DE", "de"}},
      {"LANGUAGE ignored under C", {{"LANG", "C"}, {"LANGUAGE", "ru"}}, {}},
      {"empty LANGUAGE entries and a modifier", {{"LANG", "ru_UA.KOI8-U@euro"}, {"LANGUAGE", "::ru"}}, {"ru", "ru_UA"}},
      {"English asked for", {{"LANG", "en_GB.UTF-8"}}, {"en_GB", "en"}},
  };
  for (const auto& [name, env, expected] : rows) {
    const auto get = [&env = env](const char* key) {
      const auto it = env.find(key);
      return it == env.end() ? std::string() : it->second;
    };
    EXPECT_EQ(reader::UiLanguages(get), expected) << name;
  }
}

}  // namespace
