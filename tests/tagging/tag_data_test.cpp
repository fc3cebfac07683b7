#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include <tagtrack/kernel/heap.h>
#include <tagtrack/tagging/tag_info.h>
#include "support/tags.h"

namespace {

using namespace test_support;
using TPI_TAGGING_TRACKING::tag_data;
using TPI_TAGGING_TRACKING::tag_info;

// One tag from its description ("primary/secondary[op,op]"); the empty description is the default.
tag_data tag(const std::string& description) {
  const tag_info tags = tags_from(description);
  return tags.empty() ? tag_data() : tags[0];
}

tag_info list(std::initializer_list<tag_data> tags) {
  tag_info result;
  for (const tag_data& t : tags) result.add_unique(t);
  return result;
}

std::string text_of(const tag_info& tags) {
  std::ostringstream out;
  tags.write_text(out);
  return out.str();
}

tag_info read_list(const std::string& text) {
  std::istringstream in(text);
  tag_info tags(tag("old"));
  EXPECT_TRUE(tags.read_text(in, 3));
  return tags;
}

int matches(const tag_info& self, const tag_info& other, int mode) {
  int count = -1;
  self.count_matches(other, mode, count);
  return count;
}

// `chain` is strictly increasing: every pair is ordered one way only, and only equal to itself.
template <class T>
void expect_strictly_increasing(const std::vector<T>& chain) {
  for (std::size_t i = 0; i < chain.size(); ++i) {
    for (std::size_t j = 0; j < chain.size(); ++j) {
      EXPECT_EQ(chain[i] < chain[j], i < j) << i << " " << j;
      EXPECT_EQ(chain[i] == T(chain[j]), i == j) << i << " " << j;
    }
  }
}

TEST(TagDataTest, CopiesAreDeepAndOrderingTakesLengthSignedBytesSecondaryThenOperationIds) {
  const tag_data a = tag("F1/3[1,2]");
  tag_data b(a);
  b.m_primary_id[0] = 'G';
  b.m_operation_ids[0] = 9;
  EXPECT_EQ(describe(tag_info(a)), "F1/3[1,2]");
  const tag_data& same = b;
  b = same;
  EXPECT_EQ(describe(tag_info(b)), "G1/3[9,2]");

  // 0x80 and 0xE9 are negative as signed bytes.
  expect_strictly_increasing(
      std::vector<tag_data>{tag("\x80"), tag(std::string(1, '\0')), tag("A/-1[9]"), tag("A"),
                            tag("A/0[9]"), tag("A/0[1,2]"), tag("A/0[1,2,3]"), tag("A/0[2,1,3]"),
                            tag("B"), tag("Z"), tag("AA"), tag("x\xE9"), tag("xe")});
  // Lists: the shorter first, then tag by tag.
  expect_strictly_increasing(std::vector<tag_info>{
      tag_info(), list({tag("ZZZZ/9")}), list({tag("A"), tag("B")}),
      list({tag("A"), tag("B/0[1]")}), list({tag("A"), tag("C")}), list({tag("B"), tag("A")})});
}

TEST(TagDataTest, MatchesComparesTheFieldsTheModeSelects) {
  struct example {
    const char* other;
    int mode;
    bool matches;
  };
  const example examples[] = {
      {"A/2[5]", 0, true},  {"A/1[6]", 0, false},    {"B/1[5]", 0, false},    {"A/2[5]", 5, true},
      {"A/1[6]", 5, false}, {"B/1[5]", 5, false},    {"A/1[6]", 3, true},     {"A/2[5]", 2, false},
      {"A/2[5]", 7, false}, {"zz/-4[1,2]", 8, true}, {"B/1[5]", 16 | 2, true}};
  for (const example& e : examples) {
    EXPECT_EQ(tag("A/1[5]").matches(tag(e.other), e.mode), e.matches) << e.other << " " << e.mode;
  }
}

// A list holding `tags` as they are, repeats included (only text gives such lists).
tag_info with_repeats(const std::vector<tag_data>& tags) {
  std::ostringstream text;
  text << ' ' << tags.size();
  for (const tag_data& t : tags) {
    text << ' ';
    t.write_text(text);
  }
  return read_list(text.str());
}

// Runs of equal tags are compared once; the counts are those of comparing every pair, one way
// (each tag of the other list against this list), stopping at the first match only under mode 7.
TEST(TagInfoTest, CountMatchesAgreesWithEveryPairCompared) {
  const tag_info twice = with_repeats({tag("A"), tag("A")}), once(tag("A"));
  EXPECT_EQ(matches(twice, once, 7), 1);
  EXPECT_EQ(matches(twice, once, 15), 2);  // only exactly 7 stops early
  EXPECT_EQ(matches(once, twice, 7), 2);

  const std::vector<tag_data> pool = {tag(""), tag("A"), tag("A/5"), tag("A/0[1]"), tag("B/5")};
  std::srand(5);
  const auto random_list = [&] {
    std::vector<tag_data> tags;
    const int runs = std::rand() % 5;
    for (int r = 0; r < runs; ++r)
      tags.insert(tags.end(), 1 + std::rand() % 3, pool[std::rand() % 5]);
    return tags;
  };
  for (int round = 0; round < 2000; ++round) {
    const std::vector<tag_data> a = random_list(), b = random_list();
    const int mode = std::rand() % 9;
    int expected = 0;
    for (const tag_data& o : b) {
      for (const tag_data& t : a) {
        if (!t.matches(o, mode)) continue;
        ++expected;
        if (mode == 7) break;
      }
    }
    EXPECT_EQ(matches(with_repeats(a), with_repeats(b), mode), expected) << round;
  }
}

TEST(TagInfoTest, AddUniqueOperationIdsAndRenaming) {
  tag_info tags = list({tag("A/0[1,2]"), tag("B/0[3]")});
  tags.add_unique(tag("A/0[1,2]"));
  tags.add_operation_id(5);
  EXPECT_EQ(describe(tags), "A/0[1,2,5] B/0[3,5]");
  tag_info none;
  none.add_operation_id(5);
  EXPECT_TRUE(none.empty());

  TPK::tpk_array<int> ids;
  ids.push_back(7);
  tags.collect_operation_ids(ids);
  tags.collect_operation_ids(ids);
  EXPECT_EQ(std::vector<int>(ids.begin(), ids.end()),
            (std::vector<int>{7, 1, 2, 5, 3, 5, 1, 2, 5, 3, 5}));
  tags.renumber_operation_id(5, -8);
  EXPECT_EQ(describe(tags), "A/0[1,2,-8] B/0[3,-8]");

  tags = list({tag("A"), tag("B"), tag("A/1"), tag("AB")});
  tags.rename_primary_id(id("A"), id("C"));
  std::vector<tag_data> out(3, tag("junk"));
  tags.list_tags(out);
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[2], tag("C/1"));
  EXPECT_EQ(describe(tags), "C/0[] B/0[] C/1[] AB/0[]");
  // The first tag's own id names the tags to rename; renaming that tag must not change which of
  // the later tags are renamed.
  tags.rename_primary_id(tags[0].m_primary_id, tags[1].m_primary_id);
  EXPECT_EQ(describe(tags), "B/0[] B/0[] B/1[] AB/0[]");
}

TEST(TagInfoTest, KernelHeapIsReturnedAndFailedCopiesLeaveTheTarget) {
  const TPK::heap_counts before = TPK::get_heap_counts();
  {
    std::unique_ptr<tag_info> owned(new tag_info(tag("F1/2[1,2,3]")));
    owned->add_unique(tag("F2/0[4]"));
    tag_info copy(*owned);
    std::istringstream in(" 2  3 a b c 0 1 4  1 x 0 0 trailing");
    copy.read_text(in, 3);
    tag_info target = list({tag("keep/0[1]")});
    TPK::fail_heap_allocation_after(3);
    EXPECT_THROW(target = *owned, std::bad_alloc);
    TPK::fail_heap_allocation_after(0);
    EXPECT_EQ(target, list({tag("keep/0[1]")}));
    target = *owned;
    EXPECT_EQ(target, *owned);
    EXPECT_GT(TPK::get_heap_counts().live_blocks, before.live_blocks);
  }
  EXPECT_EQ(TPK::get_heap_counts().live_blocks, before.live_blocks);
  EXPECT_EQ(TPK::get_heap_counts().live_bytes, before.live_bytes);
}

// Pinned texts; every other text, and reading, is held to plain stream insertions and extractions
// in the recipe text's tests. The tag text is followed by the caller's text, which is left unread.
TEST(TagTextTest, WritesTheExactTextAndReadsItBackLeavingTheFollowingText) {
  EXPECT_EQ(text_of(tag_info()), " 0");
  EXPECT_EQ(text_of(list({tag("F12/0[7,9]")})), " 1  3 F 1 2 0 2 7 9");
  EXPECT_EQ(text_of(list({tag(""), tag("x/-2147483648[-1,2147483647]")})),
            " 2  0 0 0  1 x -2147483648 2 -1 2147483647");
  std::ostringstream out;  // stream formatting flags do not reach the text
  out << std::hex << std::showpos;
  out.width(8);
  tag("q/26[10]").write_text(out);
  EXPECT_EQ(out.str(), " 1 q 26 1 10");

  const tag_info tags = list({tag("F12/0[7,9]"), tag("\xE9\x01z/-3"), tag("")});
  std::istringstream in(text_of(tags) + " 42  1 a 0 0 7");
  tag_info back(tag("old"));
  EXPECT_TRUE(back.read_text(in, 3));
  EXPECT_EQ(back, tags);
  int next = 0;
  EXPECT_TRUE(in >> next && next == 42);
  tag_data one = tag("old/3[1]");  // a single tag replaces the one read into
  EXPECT_TRUE(one.read_text(in, 3));
  EXPECT_EQ(one, tag("a"));
  EXPECT_TRUE(in >> next && next == 7);
}

}  // namespace
