// Tests of natural-order comparison under a UTF-8 ANSI code page and the root collation.
#include <gtest/gtest.h>

#include <unicode/uclean.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "vtutils/logical_compare.h"
#include "vtutils/platform/framework_strings.h"

// Counts the heap allocations the calling thread makes while `counting` is set; the non-throwing
// forms fail while `refusing` is set.
namespace {
thread_local bool counting = false;
thread_local bool refusing = false;
thread_local int allocations = 0;
}  // namespace

// The replacements below pair operator new with malloc and operator delete with free on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  if (counting) ++allocations;
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (counting) ++allocations;
  return refusing ? nullptr : std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { operator delete(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { operator delete(block); }

namespace {

TEST(LogicalStringCompare, DigitsCompareAsNumbers) {
  const vtuLogicalStringLess less;
  EXPECT_TRUE(less("Plane 2", "Plane 10"));
  EXPECT_FALSE(less("Plane 10", "Plane 2"));
  EXPECT_TRUE(less(utString("Plane 2"), utString("Plane 10")));

  std::vector<std::string> names = {"Plane 10", "plane 9", "Plane 010b", "Plane 2", "Plane 02",
                                    "Plane 1.5", "Plane", "Plane 100"};
  std::stable_sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
    return less(a.c_str(), b.c_str());
  });
  const std::vector<std::string> expected = {"Plane", "Plane 1.5", "Plane 02", "Plane 2",
                                             "plane 9", "Plane 10", "Plane 010b", "Plane 100"};
  EXPECT_EQ(names, expected);
  // Equal numbers with different leading zeros are still different names.
  EXPECT_FALSE(vtuLogicalStringEquals()("Plane 2", "Plane 02"));
}

TEST(LogicalStringCompare, CompareIsCaseSensitiveAndCaseCompareIsNot) {
  const vtuLogicalStringCompare comparison;
  const vtuLogicalStringEquals equals;
  EXPECT_FALSE(equals("abc", "ABC"));
  EXPECT_NE(comparison.compare(L"abc", L"ABC"), 0);
  EXPECT_EQ(comparison.case_compare(L"abc", L"ABC"), 0);
  EXPECT_LT(comparison.case_compare(L"file2", L"FILE10"), 0);
  EXPECT_GT(comparison.case_compare(L"b", L"A"), 0);
}

TEST(LogicalStringCompare, EqualTextsAreNeitherLess) {
  const vtuLogicalStringLess less;
  const vtuLogicalStringEquals equals;
  EXPECT_TRUE(equals("", ""));
  EXPECT_TRUE(equals(utString(), utString("")));
  EXPECT_FALSE(less("Bore 3", "Bore 3"));
  EXPECT_FALSE(less(utString(), utString("")));
  EXPECT_FALSE(less(utString(""), utString()));
  EXPECT_TRUE(less(utString(), utString("a")));
}

TEST(LogicalStringCompare, AFailedComparisonCountsAsEqual) {
  const vtuLogicalStringCompare comparison;
  EXPECT_EQ(comparison.compare(nullptr, L"a"), 0);
  EXPECT_TRUE(vtuLogicalStringEquals()(nullptr, "anything"));
  EXPECT_FALSE(vtuLogicalStringLess()(nullptr, "anything"));
}

TEST(LogicalStringCompare, LongTextsConvertOnTheHeap) {
  const std::string prefix(300, 'x');
  const std::string first = prefix + "Größe 9";
  const std::string second = prefix + "Größe 10";
  EXPECT_TRUE(vtuLogicalStringLess()(first.c_str(), second.c_str()));
  EXPECT_FALSE(vtuLogicalStringEquals()(first.c_str(), second.c_str()));

  // Without the memory for it, the comparison throws the framework's exception.
  refusing = true;
  try {
    vtuLogicalStringLess()(first.c_str(), second.c_str());
    refusing = false;
    ADD_FAILURE() << "no exception";
  } catch (CMemoryException* exception) {
    refusing = false;
    exception->Delete();
  }
}

// Counts ICU's own allocations too; ICU takes its allocator only before its first use, so this
// runs in a fresh process (the threadsafe death test style starts the test program anew).
std::atomic<int> icu_allocations{0};
void* count_malloc(const void*, size_t size) {
  if (counting) ++icu_allocations;
  return std::malloc(size);
}
void* count_realloc(const void*, void* block, size_t size) {
  if (counting) ++icu_allocations;
  return std::realloc(block, size);
}
void count_free(const void*, void* block) { std::free(block); }

TEST(LogicalStringCompareDeathTest, ShortTextsCompareWithoutTouchingTheHeap) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        UErrorCode status = U_ZERO_ERROR;
        u_setMemoryFunctions(nullptr, count_malloc, count_realloc, count_free, &status);
        if (U_FAILURE(status)) std::exit(2);
        const vtuLogicalStringLess less;
        const std::string longest(127, 'z');
        const utString first("Deckel 7 Gehäuse");
        const utString second("Deckel 12 Gehäuse");
        // The first calls open the collators: numbers by value, and digit by digit for ties.
        less("Plane 2", "Plane 02");
        counting = true;
        bool order = less("Bohrung_Ø12_Tiefe_10.igs", "Bohrung_Ø12_Tiefe_9.igs");
        order = less(first, second) && !order;
        order = !less(longest.c_str(), longest.c_str()) && order;
        order = vtuLogicalStringEquals()("Plane 2", "Plane 02") == false && order;
        counting = false;
        std::exit(order && allocations == 0 && icu_allocations == 0 ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
