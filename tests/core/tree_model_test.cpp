#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "controls/tree/ContentsList.h"
#include "controls/tree/TreeModel.h"

namespace {

using tree::ParseContentsList;
using tree::TreeItem;
using tree::TreeModel;

using namespace std::string_literals;

std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty() || &line != lines.begin()) text += "\r\n";
    text += line;
  }
  return text;
}

std::vector<TreeItem> ParseOk(std::string_view text) {
  auto items = ParseContentsList(text);
  EXPECT_TRUE(items.has_value());
  return items.value_or(std::vector<TreeItem>{});
}

TEST(ContentsListTest, SectionWithTwoChildrenThenTopLevelPage) {
  const auto items = ParseOk(Lines({"A", "\tB", "\tC", "D"}));
  ASSERT_EQ(items.size(), 4u);

  const std::vector<int> levels = {items[0].Level, items[1].Level, items[2].Level, items[3].Level};
  EXPECT_EQ(levels, (std::vector<int>{0, 1, 1, 0}));
  EXPECT_TRUE(items[0].HasChildren);
  EXPECT_FALSE(items[1].HasChildren);
  EXPECT_FALSE(items[2].HasChildren);
  EXPECT_FALSE(items[3].HasChildren);
  EXPECT_EQ(items[1].Parent, 0);
  EXPECT_EQ(items[2].Parent, 0);
  EXPECT_EQ(items[3].Parent, 0);

  EXPECT_EQ(items[0].Texts[0], "A");
  EXPECT_EQ(items[1].Texts[0], "A/B");
  EXPECT_EQ(items[2].Texts[0], "A/C");
  EXPECT_EQ(items[3].Texts[0], "D");
  EXPECT_EQ(items[2].Texts[1], "C");

  for (const TreeItem& item : items) {
    EXPECT_FALSE(item.IsOpen);
    EXPECT_EQ(item.AnimState, 0);
    EXPECT_EQ(item.RowTop, 0);
    EXPECT_EQ(item.TextLeft, 0);
    EXPECT_EQ(item.TextRight, 0);
    EXPECT_EQ(item.RowHeight, 0);
  }
}

TEST(ContentsListTest, ConsecutiveTopLevelLinesArePagesWhateverTheirText) {
  const auto items = ParseOk(Lines({"Chapter 1", "Chapter 2", "\tPage"}));
  ASSERT_EQ(items.size(), 3u);
  EXPECT_FALSE(items[0].HasChildren);
  EXPECT_TRUE(items[1].HasChildren);
  EXPECT_EQ(items[2].Parent, 1);
}

TEST(ContentsListTest, PathsAndParentsOfAThreeLevelTree) {
  // 0 A; 1 B; 2 C; 3 D; 4 E; 5 F; 6 G; 7 H
  const auto items =
      ParseOk(Lines({"A", "\tB", "\t\tC", "\t\tD", "\tE", "\t\tF", "G", "\tH"}));
  ASSERT_EQ(items.size(), 8u);
  using P = std::vector<std::string>;
  EXPECT_EQ(items[0].Path, (P{"0"}));
  EXPECT_EQ(items[1].Path, (P{"0", "1"}));
  EXPECT_EQ(items[2].Path, (P{"0", "1", "2"}));
  EXPECT_EQ(items[3].Path, (P{"0", "1", "3"}));
  EXPECT_EQ(items[4].Path, (P{"0", "4"}));
  EXPECT_EQ(items[5].Path, (P{"0", "4", "5"}));
  EXPECT_EQ(items[6].Path, (P{"6"}));
  EXPECT_EQ(items[7].Path, (P{"6", "7"}));

  const std::vector<int> parents = {items[0].Parent, items[1].Parent, items[2].Parent,
                                    items[3].Parent, items[4].Parent, items[5].Parent,
                                    items[6].Parent, items[7].Parent};
  EXPECT_EQ(parents, (std::vector<int>{0, 0, 1, 1, 0, 4, 0, 6}));
  EXPECT_EQ(items[5].Texts[0], "A/E/F");
  EXPECT_EQ(items[7].Texts[0], "G/H");
  EXPECT_TRUE(items[1].HasChildren);
  EXPECT_FALSE(items[3].HasChildren);
  EXPECT_TRUE(items[4].HasChildren);
}

TEST(ContentsListTest, RisingSeveralLevelsFindsTheNearestShallowerEntry) {
  // 0 A; 1 B; 2 C; 3 D; 4 E; 5 F; 6 G; 7 H
  const auto items =
      ParseOk(Lines({"A", "\tB", "\t\tC", "\t\t\tD", "\t\t\t\tE", "\tF", "\t\tG", "\t\t\tH"}));
  ASSERT_EQ(items.size(), 8u);
  EXPECT_EQ(items[4].Level, 4);
  EXPECT_EQ(items[5].Level, 1);
  EXPECT_EQ(items[5].Parent, 0);
  EXPECT_EQ(items[5].Path, (std::vector<std::string>{"0", "5"}));
  EXPECT_EQ(items[5].Texts[0], "A/F");
  EXPECT_EQ(items[6].Parent, 5);
  EXPECT_EQ(items[7].Path, (std::vector<std::string>{"0", "5", "6", "7"}));
  EXPECT_EQ(items[7].Texts[0], "A/F/G/H");

  // Rising from level 3 to level 2 must find the later level-1 entry, not the
  // earlier one at the same level.
  const auto second = ParseOk(Lines({"A", "\tB", "\t\tC", "\tD", "\t\tE", "\t\t\tF", "\t\tG"}));
  ASSERT_EQ(second.size(), 7u);
  EXPECT_EQ(second[6].Parent, 3);
  EXPECT_EQ(second[6].Texts[0], "A/D/G");
}

TEST(ContentsListTest, TrailingBlankLinesAreDropped) {
  for (const std::string& text : {"A\r\n\tB\r\n"s, "A\r\n\tB\r\n\r\n   \r\n \r\n"s, "A\r\n\tB\r\n  "s}) {
    SCOPED_TRACE(text);
    const auto items = ParseOk(text);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].Texts[1], "B");
  }
}

TEST(ContentsListTest, BlankLinesInsideTheListAndTabOnlyTrailingLinesAreEntries) {
  const auto inner = ParseOk(Lines({"A", "", "  ", "B"}));
  ASSERT_EQ(inner.size(), 4u);
  EXPECT_EQ(inner[1].Texts[1], "");
  EXPECT_EQ(inner[2].Texts[1], "  ");

  // A TAB is content, not blank: the last line is an empty-named child of A.
  const auto tabbed = ParseOk(Lines({"A", "\t", ""}));
  ASSERT_EQ(tabbed.size(), 2u);
  EXPECT_EQ(tabbed[1].Level, 1);
  EXPECT_EQ(tabbed[1].Texts[1], "");
  EXPECT_EQ(tabbed[1].Texts[0], "A/");
  EXPECT_TRUE(tabbed[0].HasChildren);
}

TEST(ContentsListTest, OnlyCrLfEndsALine) {
  const auto items = ParseOk("A\nB\r\nC\rD\r\r\n\n");
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].Texts[1], "A\nB");
  EXPECT_EQ(items[1].Texts[1], "C\rD\r");
  // A lone LF is not blank, so the last line survives trimming.
  EXPECT_EQ(items[2].Texts[1], "\n");
}

TEST(ContentsListTest, MalformedListsFail) {
  const std::vector<std::string> bad = {
      "",
      "\r\n",
      "   \r\n \r\n",
      Lines({"A", "\t\tB"}),
      Lines({"\tA", "B"}),
      Lines({"A", "\tB", "C", "\t\t\tD"}),
  };
  for (const std::string& text : bad) {
    SCOPED_TRACE(testing::PrintToString(text));
    EXPECT_FALSE(ParseContentsList(text).has_value());
  }
}

TEST(ContentsListTest, FieldsSplitAtNulPaddedToNineAndCutAfterTheNinth) {
  const auto items = ParseOk(Lines({"Name\0x\0"s "17", "\tOne\0" "2\0" "3\0" "4\0" "5\0" "6\0" "7\0" "8\0" "9\0" "10\0" "11"s}));
  ASSERT_EQ(items.size(), 2u);

  const auto& short_ = items[0].Texts;
  EXPECT_EQ(short_[1], "Name");
  EXPECT_EQ(short_[2], "x");
  EXPECT_EQ(short_[3], "17");
  for (int k = 4; k <= 9; ++k) EXPECT_EQ(short_[k], "") << k;
  EXPECT_EQ(short_[0], "Name");

  const auto& long_ = items[1].Texts;
  EXPECT_EQ(long_[1], "One");
  for (int k = 2; k <= 9; ++k) EXPECT_EQ(long_[k], std::to_string(k)) << k;
  // The name path carries display names only.
  EXPECT_EQ(long_[0], "Name/One");
}

TEST(ContentsListTest, PiecesBeforeTheLastTabAreIgnored) {
  const auto items = ParseOk(Lines({"A", "junk\tB\0" "5"s}));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].Level, 1);
  EXPECT_EQ(items[1].Texts[1], "B");
  EXPECT_EQ(items[1].Texts[2], "5");
}

TEST(ContentsListTest, Utf8NamesPassThroughUnchanged) {
  const std::string section = "Глава 1. Введение";
  const std::string page = "5-bet Основы";
  const auto items = ParseOk(Lines({section, "\t" + page + "\0\0" "5"s}));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].Texts[1], page);
  EXPECT_EQ(items[1].Texts[0], section + "/" + page);
  EXPECT_EQ(items[1].Texts[3], "5");
}

TEST(ContentsListTest, OversizedTableIsRefusedInsteadOfExhaustingMemory) {
  // Each child repeats the 1 MiB name in its name path: 300 children would
  // need about 300 MiB.
  std::string text(std::size_t{1} << 20, 'n');
  for (int k = 0; k < 300; ++k) text += "\r\n\t";
  EXPECT_FALSE(ParseContentsList(text).has_value());

  // Well below the limit the same shape parses.
  std::string small(1000, 'n');
  for (int k = 0; k < 300; ++k) small += "\r\n\t";
  EXPECT_EQ(ParseOk(small).size(), 301u);
}

TEST(TreeModelTest, EmptyBeforeTheFirstList) {
  TreeModel model;
  EXPECT_EQ(model.LastItemIndex(), -1);
  EXPECT_EQ(model.Vibran(), -1);
  EXPECT_EQ(model.VibranO(true), -1);
  EXPECT_EQ(model.VibranO(false), -1);
}

TEST(TreeModelTest, NewListReplacesTableAndClearsSelection) {
  TreeModel model;
  ASSERT_TRUE(model.PoluchiSpisok(Lines({"A", "\tB", "C"}), false));
  EXPECT_EQ(model.LastItemIndex(), 2);
  model.Items()[0].IsOpen = true;
  model.Items()[1].AnimState = 2;
  model.Items()[1].RowTop = 40;
  model.SetVibran(1);

  ASSERT_TRUE(model.PoluchiSpisok(Lines({"A", "\tB", "C", "D"}), false));
  EXPECT_EQ(model.LastItemIndex(), 3);
  EXPECT_EQ(model.Vibran(), -1);
  EXPECT_FALSE(model.Items()[0].IsOpen);
  EXPECT_EQ(model.Items()[1].AnimState, 0);
  EXPECT_EQ(model.Items()[1].RowTop, 0);
}

TEST(TreeModelTest, FailedListEmptiesTheTable) {
  TreeModel model;
  ASSERT_TRUE(model.PoluchiSpisok(Lines({"A", "\tB"}), true));
  model.SetVibran(1);
  EXPECT_FALSE(model.PoluchiSpisok(Lines({"A", "\t\tB"}), true));
  EXPECT_TRUE(model.Items().empty());
  EXPECT_EQ(model.LastItemIndex(), -1);
  EXPECT_EQ(model.Vibran(), -1);
  EXPECT_EQ(model.VibranO(true), -1);
}

TEST(TreeModelTest, OpenFirstExpandsOnlyEntryZero) {
  const std::string text = Lines({"A", "\tB", "C", "\tD", "E", "\tF"});
  TreeModel model;
  ASSERT_TRUE(model.PoluchiSpisok(text, true));
  const auto& items = model.Items();
  ASSERT_EQ(items.size(), 6u);
  EXPECT_TRUE(items[0].IsOpen);
  for (std::size_t k = 1; k < items.size(); ++k) EXPECT_FALSE(items[k].IsOpen) << k;
  EXPECT_TRUE(items[2].HasChildren);
  EXPECT_TRUE(items[4].HasChildren);

  ASSERT_TRUE(model.PoluchiSpisok(text, false));
  for (const TreeItem& item : model.Items()) EXPECT_FALSE(item.IsOpen);
}

TEST(TreeModelTest, VibranOHidesSelectedSectionsOnRequest) {
  TreeModel model;
  ASSERT_TRUE(model.PoluchiSpisok(Lines({"A", "\tB", "C"}), false));

  model.SetVibran(0);  // a section
  EXPECT_EQ(model.VibranO(false), -1);
  EXPECT_EQ(model.VibranO(true), 0);

  model.SetVibran(1);  // a page inside it
  EXPECT_EQ(model.VibranO(false), 1);
  EXPECT_EQ(model.VibranO(true), 1);

  model.SetVibran(2);  // a top-level page
  EXPECT_EQ(model.VibranO(false), 2);

  model.SetVibran(-1);
  EXPECT_EQ(model.VibranO(false), -1);
  EXPECT_EQ(model.VibranO(true), -1);

  // A stored selection beyond the table names no section and is passed on.
  model.SetVibran(9);
  EXPECT_EQ(model.VibranO(false), 9);
}

}  // namespace
