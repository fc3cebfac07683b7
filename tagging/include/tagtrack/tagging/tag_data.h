// One tag: the persistent name that the caller gives to a face, edge or vertex. A tag is a plain
// value made of a primary id (characters), a secondary id and an ordered list of operation ids;
// copies are deep and independent of their source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

// Tag comparison modes: the fields two tags must agree on, combined with |.
enum tag_compare_mode : int {
  compare_primary_id = 1,
  compare_secondary_id = 2,
  compare_operation_ids = 4,
  // Primary id and operation ids; a mode of 0 counts as this one.
  compare_loose = compare_primary_id | compare_operation_ids,
  // All three fields; under this mode alone count_matches counts each tag at most once.
  compare_exact = compare_primary_id | compare_secondary_id | compare_operation_ids,
};

class TAGTRACK_EXPORT tag_data {
 public:
  // Largest number of operation ids that a tag record in a model file may announce. It lies far
  // above anything a real tag holds and keeps a damaged record from asking for unbounded work;
  // see generic_tag_attrib_def. (The tag text needs no such bound: it takes items as they come,
  // so its cost follows the text.)
  static constexpr std::int32_t max_record_operation_ids = 1000000;

  // Empty primary id, secondary id 0, no operation ids.
  tag_data() noexcept = default;
  // The given primary id, secondary id 0, no operation ids.
  explicit tag_data(TPK::tpk_array<char> primary_id) noexcept;
  tag_data(const tag_data& other) = default;
  tag_data(tag_data&& other) noexcept = default;
  // Deep copy; the target is unchanged when a copy fails to allocate, and self-assignment does
  // nothing.
  tag_data& operator=(const tag_data& other);
  tag_data& operator=(tag_data&& other) noexcept;
  virtual ~tag_data();

  // Same primary id bytes, same secondary id, same operation ids in the same order.
  bool operator==(const tag_data& other) const noexcept;
  bool operator!=(const tag_data& other) const noexcept { return !(*this == other); }

  // The tag ordering, decided by the first rule that tells the tags apart:
  //  1. the shorter primary id first (so Z comes before AA);
  //  2. at the first differing byte of primary ids of equal length, the smaller byte first, bytes
  //     compared as signed 8-bit values (0x80..0xFF before 0x00..0x7F);
  //  3. the smaller secondary id first;
  //  4. fewer operation ids first;
  //  5. at the first differing operation id, the smaller one first.
  // Tags equal under == are the only ones of which neither is less.
  bool operator<(const tag_data& other) const noexcept;

  // Equality of the fields that `mode` selects: bit 1 the primary id, bit 2 the secondary id,
  // bit 4 the operation ids. A mode of 0 counts as 5; other bits are ignored, so a mode that
  // selects none of the three fields (8, say) makes every pair of tags match.
  bool matches(const tag_data& other, int mode) const noexcept;

  // Appends this tag's text: the number of characters of the primary id, each character, the
  // secondary id, the number of operation ids and each operation id, every item preceded by one
  // blank and numbers in plain decimal whatever the stream's format flags; " 3 F 1 2 0 2 7 9" for
  // primary id F12, secondary id 0 and operation ids 7, 9. A primary id holding white space does
  // not read back the same, since the reader skips white space before each character.
  void write_text(std::ostream& out) const;
  // Replaces this tag with one read from the tag text, in the layout of format `version` (see
  // tag_info::read_text, which reads each of its tags this way). Always true.
  bool read_text(std::istream& in, int version);

  TPK::tpk_array<char> m_primary_id;  // the characters, without a terminating NUL
  std::int32_t m_secondary_id = 0;
  TPK::tpk_array<int> m_operation_ids;  // in order

 private:
  template <class T>
  static bool same_items(const TPK::tpk_array<T>& a, const TPK::tpk_array<T>& b) noexcept;
};

// Equality and matching are inline: list comparisons and matching call them for every pair of
// tags, and ids are a few items long, where a call costs more than the comparison.

template <class T>
inline bool tag_data::same_items(const TPK::tpk_array<T>& a, const TPK::tpk_array<T>& b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

inline bool tag_data::operator==(const tag_data& other) const noexcept {
  return m_secondary_id == other.m_secondary_id &&
         m_primary_id.size() == other.m_primary_id.size() &&
         m_operation_ids.size() == other.m_operation_ids.size() &&
         same_items(m_primary_id, other.m_primary_id) &&
         same_items(m_operation_ids, other.m_operation_ids);
}

// The fields the tag holds in place (the secondary id, the lengths of the ids) are compared before
// the contents of the ids, which lie elsewhere on the heap: a scan over many entities' tags mostly
// decides without loading those. The answer is the same in any order.
inline bool tag_data::matches(const tag_data& other, int mode) const noexcept {
  if (mode == 0) mode = compare_loose;
  const bool primary = mode & compare_primary_id, operations = mode & compare_operation_ids;
  if ((mode & compare_secondary_id) && m_secondary_id != other.m_secondary_id) return false;
  if (primary && m_primary_id.size() != other.m_primary_id.size()) return false;
  if (operations && m_operation_ids.size() != other.m_operation_ids.size()) return false;
  if (primary && !same_items(m_primary_id, other.m_primary_id)) return false;
  return !operations || same_items(m_operation_ids, other.m_operation_ids);
}

}  // namespace TPI_TAGGING_TRACKING
