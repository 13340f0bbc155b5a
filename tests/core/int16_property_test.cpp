// Stored 16-bit properties: a value that does not fit is refused at load
// and the default stays, instead of wrapping into a valid-looking value.
#include <gtest/gtest.h>

#include "controls/tree/Tray.h"
#include "drawing/PropertyBag.h"
#include "tests/fakes/FakeHost.h"

namespace {

struct Int16Case {
  std::int32_t stored;
  bool accepted;
};

constexpr Int16Case kCases[] = {
    {0, true}, {1, true}, {-32768, true}, {32767, true}, {32768, false}, {-32769, false}, {65537, false},
    {INT32_MIN, false},
};

TEST(StoredInt16, ValuesOutsideTheRangeAreRefused) {
  for (const Int16Case& c : kCases) {
    SCOPED_TRACE(c.stored);
    const auto value = drawing::StoredInt16(c.stored);
    ASSERT_EQ(value.has_value(), c.accepted);
    if (c.accepted) {
      EXPECT_EQ(*value, c.stored);
    }
  }
}

TEST(StoredInt16, TheTreeKeepsItsDefaultBorderAndAppearance) {
  for (const Int16Case& c : kCases) {
    SCOPED_TRACE(c.stored);
    fakes::FakeHost host;
    fakes::RecordingSite site(host);
    drawing::PropertyBag bag;
    bag.Set("BorderStyle", c.stored);
    bag.Set("Appearance", c.stored);
    tree::Tray tray(site.site, nullptr);
    tray.ReadProperties(bag);
    const std::int16_t expected = c.accepted ? static_cast<std::int16_t>(c.stored) : 1;
    EXPECT_EQ(tray.BorderStyle(), expected);
    EXPECT_EQ(tray.Appearance(), expected);
  }
}

}  // namespace
