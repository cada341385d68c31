// Tests of CFileFilterBuilder: the worked filters, the catch-all entry's rules, string
// resources and the move operations.
#include "vtutils/file_filter_builder.h"

#include <gtest/gtest.h>

#include <utility>

#include "vtplatform/mfc/string_table.h"
#include "vtutils/platform/framework.h"

namespace {

// Text files (*.txt) shown with its patterns, Log files without, sharing *.txt.
CFileFilterBuilder text_and_log() {
  CFileFilterBuilder builder;
  builder.add_filter_item(CString("Text files"), CString("*.txt"), true);
  builder.add_filter_item(CString("Log files"), CString("*.LOG; *.txt"), false);
  return builder;
}

TEST(FileFilterBuilder, BuildsTheWorkedFilters) {
  CFileFilterBuilder builder = text_and_log();
  EXPECT_STREQ(builder.get_filter(false), "Text files (*.txt)|*.txt|Log files|*.LOG; *.txt||");

  builder.set_all_files_filter(CString("All files"), false);
  EXPECT_STREQ(builder.get_filter(false),
               "Text files (*.txt)|*.txt|Log files|*.LOG; *.txt|All files (*.*)|*.*||");
  EXPECT_STREQ(builder.get_filter(true),
               "All files (*.*)|*.*|Text files (*.txt)|*.txt|Log files|*.LOG; *.txt||");

  builder.set_all_files_filter(CString("All supported files"), true);
  EXPECT_STREQ(builder.get_filter(true),
               "All supported files (*.txt;*.log)|*.txt;*.log|Text files (*.txt)|*.txt|"
               "Log files|*.LOG; *.txt||");
}

TEST(FileFilterBuilder, CatchAllEntryNeedsADescriptionAndCombiningNeedsItems) {
  CFileFilterBuilder builder;
  EXPECT_STREQ(builder.get_filter(false), "|");
  EXPECT_STREQ(builder.get_filter(true), "|");
  builder.set_all_files_filter(CString("All files"), true);
  EXPECT_STREQ(builder.get_filter(false), "|");
  builder.set_all_files_filter(CString("All files"), false);
  EXPECT_STREQ(builder.get_filter(false), "All files (*.*)|*.*||");
  builder.set_all_files_filter(CString(), false);
  EXPECT_STREQ(builder.get_filter(true), "|");
}

TEST(FileFilterBuilder, CombinedListIsLowerCaseTrimmedAndFreeOfRepeats) {
  CFileFilterBuilder builder;
  builder.add_filter_item(CString("Images"), CString(";*.PNG;; *.Jpg ;"), true);
  builder.add_filter_item(CString("Pictures"), CString("*.png;*.gif"), false);
  builder.add_filter_item(CString("Images"), CString(";*.PNG;; *.Jpg ;"), true);
  builder.set_all_files_filter(CString("Everything"), true);
  EXPECT_STREQ(builder.get_filter(false),
               "Images (;*.PNG;; *.Jpg ;)|;*.PNG;; *.Jpg ;|Pictures|*.png;*.gif|"
               "Images (;*.PNG;; *.Jpg ;)|;*.PNG;; *.Jpg ;|"
               "Everything (*.png;*.jpg;*.gif)|*.png;*.jpg;*.gif||");
}

TEST(FileFilterBuilder, DescriptionsComeFromStringResources) {
  const CModuleStringTable strings(AfxGetResourceHandle(),
                                   {{64101, "Drawings"}, {64102, "All drawings"}});
  CFileFilterBuilder builder;
  builder.add_filter_item(64101, CString("*.drw"), false);
  builder.add_filter_item(64199, CString("*.x"), false);  // no such string: empty text
  builder.set_all_files_filter(64102, false);
  EXPECT_STREQ(builder.get_filter(false), "Drawings|*.drw||*.x|All drawings (*.*)|*.*||");
  builder.set_all_files_filter(64199, false);
  EXPECT_STREQ(builder.get_filter(false), "Drawings|*.drw||*.x||");
}

TEST(FileFilterBuilder, MovesTakeOnlyTheItems) {
  CFileFilterBuilder source = text_and_log();
  source.set_all_files_filter(CString("All files"), false);
  const CString full = source.get_filter(false);
  CFileFilterBuilder moved(std::move(source));
  EXPECT_EQ(moved.get_filter(false), full);
  EXPECT_STREQ(source.get_filter(false),
               "All files (*.*)|*.*||");  // NOLINT(bugprone-use-after-move)

  CFileFilterBuilder assigned;
  assigned = std::move(moved);
  EXPECT_EQ(assigned.get_filter(false), full);
  EXPECT_STREQ(moved.get_filter(false),
               "All files (*.*)|*.*||");  // NOLINT(bugprone-use-after-move)
}

}  // namespace
