// The field registry is the one list of value fields: a row added wrongly would reach project
// files, the report and the JSON output at once.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/FieldRegistry.h"

using namespace velm;

TEST(FieldRegistry, EveryNameAndPlaceIsUnique) {
  std::set<std::string> codes, keys;
  std::set<int> fileOrder;
  std::set<std::pair<int, int>> cells, places;
  for (const TFieldInfo& f : FieldRegistry()) {
    SCOPED_TRACE(f.Code);
    EXPECT_EQ(&FieldInfo(f.Field), &f);
    EXPECT_EQ(std::string(f.Code).back(), 'D');  // its unit selector and label follow from it
    EXPECT_TRUE(codes.insert(f.Code).second);
    if (f.JsonKey) {
      EXPECT_TRUE(keys.insert(f.JsonKey).second);
    }
    if (f.FileOrder >= 0) {
      EXPECT_TRUE(fileOrder.insert(f.FileOrder).second);
    }
    if (f.Report.Row > 0) {
      EXPECT_TRUE(cells.insert({f.Report.Row, f.Report.Column}).second);
    }
    EXPECT_EQ(f.Role == TFieldRole::Input, f.Place.Column < 0);
    if (f.Place.Column >= 0) {
      EXPECT_TRUE(places.insert({f.Place.Column, f.Place.Row}).second);
    }
  }
  // Project files keep the value fields at positions 0, 1, 2 ... without a gap.
  ASSERT_FALSE(fileOrder.empty());
  EXPECT_EQ(*fileOrder.rbegin(), static_cast<int>(fileOrder.size()) - 1);
  EXPECT_EQ(StoredFields().size(), fileOrder.size());
  EXPECT_EQ(InputFields().size() + ResultFields().size(), FieldRegistry().size());
}
