#include "crashreport/dialogs/listview/list_view_rows.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

// Two groups divided by a separator: header, 2 rows | separator | header, 1 row.
TListViewRows TwoGroups() {
  TListViewRows rows;
  rows.AddHeader("first", hkOwnStack | hkExceptionEntry);
  rows.AddRow({"a"}, liSourceLine);
  rows.AddRow({"b"}, liLibrary);
  rows.AddSeparator();
  rows.AddHeader("second", 0);
  rows.AddRow({"c"}, liExecutable);
  return rows;
}

TEST(ListViewRows, ToggleGroupHidesAndShowsOnlyItsOwnRows) {
  TListViewRows rows = TwoGroups();
  EXPECT_EQ(rows.VisibleCount(), 6);
  ASSERT_TRUE(rows.ToggleGroup(0));
  EXPECT_FALSE(rows[0].expanded);
  EXPECT_EQ(rows.VisibleCount(), 4);
  EXPECT_EQ(rows.RowOfVisible(0), 0);
  EXPECT_EQ(rows.RowOfVisible(1), 3);  // the separator follows the closed header
  EXPECT_EQ(rows.RowOfVisible(3), 5);
  EXPECT_EQ(rows.RowOfVisible(4), -1);
  ASSERT_TRUE(rows.ToggleGroup(0));
  EXPECT_EQ(rows.VisibleCount(), 6);
}

TEST(ListViewRows, OnlyHeadersToggle) {
  TListViewRows rows = TwoGroups();
  EXPECT_FALSE(rows.ToggleGroup(1));
  EXPECT_FALSE(rows.ToggleGroup(3));
  EXPECT_FALSE(rows.ToggleGroup(-1));
  EXPECT_FALSE(rows.ToggleGroup(6));
  EXPECT_EQ(rows.VisibleCount(), 6);
}

TEST(ListViewRows, ARowInsertedIntoAClosedGroupStartsHidden) {
  TListViewRows rows = TwoGroups();
  rows.ToggleGroup(4);
  TListViewItemRec row;
  row.cells = {"d"};
  rows.InsertRow(6, row);
  EXPECT_FALSE(rows[6].visible);
  rows.InsertRow(2, row);  // into the open first group
  EXPECT_TRUE(rows[2].visible);
  rows.DeleteRow(2);
  EXPECT_EQ(rows.Count(), 7);
  EXPECT_EQ(rows[2].cells[0], "b");
  rows.Clear();
  EXPECT_EQ(rows.VisibleCount(), 0);
}

TEST(ListViewRows, SignIsHitFrom2To12PixelsPastTheIndent) {
  EXPECT_FALSE(HitsGroupSign(1, 0));
  EXPECT_TRUE(HitsGroupSign(2, 0));
  EXPECT_TRUE(HitsGroupSign(12, 0));
  EXPECT_FALSE(HitsGroupSign(13, 0));
  EXPECT_TRUE(HitsGroupSign(22, 16));
}

}  // namespace
}  // namespace tarvex
