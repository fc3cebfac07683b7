// The grammar of the tag text, walked over any item source (text_items.h): the tag reader and the
// recipe text's reader and check all take tag lists through it.
//
// A tag list is the number of tags (unsigned 64-bit) and that many tags. A tag is, from version 2
// on, the length of its primary id and that many characters; in version 1 a number that is the
// primary id's digits. Then the secondary id, the number of operation ids and the ids, and in
// version 1 one more number, read and dropped.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>

#include <tagtrack/tagging/internal/text_items.h>
#include <tagtrack/tagging/tag_data.h>
#include <tagtrack/tagging/tag_info.h>

namespace TPI_TAGGING_TRACKING {

struct tag_grammar {
  // Reads one tag into `tag`, which holds the defaults, stopping at the first item that fails: the
  // tag keeps what was read before that point.
  template <class Items>
  static void tag(Items& in, tag_data& tag, int version) {
    if (version == 1) {
      std::uint64_t number = 0;
      if (!in.uint64({text_item::numeric_primary_id}, number)) return;
      char digits[std::numeric_limits<std::uint64_t>::digits10 + 1];
      const char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
      tag.m_primary_id = TPK::tpk_array<char>(digits, static_cast<std::size_t>(end - digits));
    } else {
      std::int32_t length = 0;
      if (!in.int32({text_item::primary_id_length}, length)) return;
      if (length < 0) {
        in.refuse(text_refusal::negative_length, {text_item::primary_id_length}, length);
        return;
      }
      // Gathered in blocks, so that the id grows with the characters actually present rather than
      // with what the count announces.
      char block[64];
      std::size_t used = 0;
      for (std::int32_t i = 0; i < length; ++i) {
        if (!in.character({text_item::primary_id_character, i + 1, length}, block[used])) break;
        if (++used == sizeof block) {
          tag.m_primary_id.append(block, block + used);
          used = 0;
        }
      }
      tag.m_primary_id.append(block, block + used);
    }

    std::int32_t secondary = 0;
    if (!in.int32({text_item::secondary_id}, secondary)) return;
    tag.m_secondary_id = secondary;

    std::int32_t count = 0;
    if (!in.int32({text_item::operation_count}, count)) return;
    int block[32];
    std::size_t used = 0;
    for (std::int32_t i = 0; i < count; ++i) {
      if (!in.int32({text_item::operation_id, i + 1, count}, block[used])) break;
      if (++used == sizeof block / sizeof block[0]) {
        tag.m_operation_ids.append(block, block + used);
        used = 0;
      }
    }
    tag.m_operation_ids.append(block, block + used);

    if (version == 1) {
      std::int32_t dropped = 0;
      in.int32({text_item::dropped_number}, dropped);
    }
  }

  // Replaces the tags of `list` with a list read from the text. A count above max_text_tags ends
  // the text there. Once the text has ended or failed every further item would fail as well: the
  // announced tags that remain are default tags, made in one step rather than read one by one.
  template <class Items>
  static void list(Items& in, tag_info& list, int version) {
    auto& tags = list.m_tags;
    tags.clear();
    std::uint64_t count = 0;
    if (in.uint64({text_item::tag_count}, count) && count > tag_info::max_text_tags) {
      in.refuse(text_refusal::too_many_tags, {text_item::tag_count},
                static_cast<std::int64_t>(count));
      count = 0;
    }
    if (count == 0) return;
    tags.reserve(std::min<std::uint64_t>(count, 16));
    const auto announced = static_cast<std::int64_t>(count);
    while (tags.size() < count && in.good()) {
      [[maybe_unused]] const auto here =
          in.enter(text_place::tag, static_cast<std::int64_t>(tags.size()) + 1, announced);
      tag_grammar::tag(in, tags.emplace_back(), version);
    }
    if (tags.size() < count) {
      in.stop();
      tags.resize(count);
    }
  }
};

}  // namespace TPI_TAGGING_TRACKING
