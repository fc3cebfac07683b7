// The ordered tag list of one entity. The order is significant (the first tag is the one at
// position 0, and the orderings depend on it) and duplicates are allowed; every operation keeps the
// order. The list lives on the kernel heap: `new` of a tag_info and the storage of its tags both
// come from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <utility>
#include <vector>

#include <string>

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/tagging/tag_data.h>
#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

class TAGTRACK_EXPORT tag_info : public TPK::TPK_heap {
 public:
  // Largest number of tags that the tag text reader accepts in one list; see read_text. Real lists
  // hold a handful of tags. The bound is kept well below the per-tag bounds because a text that
  // ends right after its count still gives that many default tags: a damaged count costs at most
  // this many (about 5 MB), not memory in proportion to the number it names.
  static constexpr std::uint64_t max_text_tags = 100000;

  tag_info() noexcept = default;
  // A list holding a copy of `tag`.
  explicit tag_info(const tag_data& tag);
  tag_info(const tag_info& other) = default;
  tag_info(tag_info&& other) noexcept = default;
  // Copies the source's tags in order; the target is unchanged when a copy fails to allocate, and
  // self-assignment does nothing.
  tag_info& operator=(const tag_info& other);
  tag_info& operator=(tag_info&& other) noexcept;
  virtual ~tag_info();

  // Read access to the tags, in order, without copying them. Changes go through the operations
  // below.
  std::size_t size() const noexcept { return m_tags.size(); }
  bool empty() const noexcept { return m_tags.empty(); }
  const tag_data& operator[](std::size_t i) const noexcept { return m_tags[i]; }
  const tag_data* begin() const noexcept { return m_tags.begin(); }
  const tag_data* end() const noexcept { return m_tags.end(); }

  // Same number of tags, equal (tag_data ==) position by position.
  bool operator==(const tag_info& other) const noexcept;
  bool operator!=(const tag_info& other) const noexcept { return !(*this == other); }
  // The list ordering: fewer tags first; lists of the same length are decided by the tag ordering
  // at the first position whose tags are not equal. Lists equal position by position (two empty
  // lists included) are the only ones of which neither is less, so lists can key ordered
  // containers.
  bool operator<(const tag_info& other) const noexcept;

  // Sets `count` to the number of matching pairs (tag_data::matches under `mode`), taking each
  // tag of `other` in order against each tag of this list in order. Under a mode of exactly 7 a
  // tag of `other` stops at its first match and so counts at most once; under any other mode it
  // counts once per matching tag here. The count saturates at the largest int.
  void count_matches(const tag_info& other, int mode, int& count) const noexcept;

  // Appends a copy of `tag` unless an equal tag (==) is already in the list.
  void add_unique(const tag_data& tag);
  // Appends `tag`, equal tags included.
  void append(tag_data tag) { m_tags.push_back(std::move(tag)); }
  // Appends `id` at the end of the operation ids of every tag; an empty list stays empty.
  void add_operation_id(int id);
  // Appends the operation ids of every tag, tag by tag, to `ids` without clearing it first.
  void collect_operation_ids(TPK::tpk_array<int>& ids) const;
  // Gives every tag whose primary id equals `old_id` a copy of `new_id`. Either argument may be
  // the primary id of a tag of this list.
  void rename_primary_id(const TPK::tpk_array<char>& old_id, const TPK::tpk_array<char>& new_id);
  // Changes every operation id equal to `old_id`, in every tag, to `new_id`.
  void renumber_operation_id(int old_id, int new_id);
  void clear() noexcept { m_tags.clear(); }
  // Replaces the content of `out` with copies of the tags in order.
  void list_tags(std::vector<tag_data>& out) const;

  // Appends the tag text of the list: a blank and the number of tags, then for each tag one more
  // blank and the tag's text (tag_data::write_text). An empty list writes " 0"; one tag F12 with
  // secondary id 0 and operation ids 7, 9 writes " 1  3 F 1 2 0 2 7 9". Nothing ends the text, so
  // whatever the caller writes next follows it directly.
  void write_text(std::ostream& out) const;

  // Replaces the list with one read from the tag text. Items are separated by any amount of white
  // space (the C locale's); numbers are plain decimal whatever the stream's locale and flags, and
  // a number out of its type's range fails like any unreadable item. The layout:
  //  - the number of tags (unsigned 64-bit; none if it cannot be read); then for each tag:
  //  - version 1 (legacy): the primary id as an unsigned 64-bit number, which becomes its decimal
  //    digits, then the secondary id;
  //    any other version (current): the number of characters, each character (white space
  //    skipped before it), then the secondary id;
  //  - the number of operation ids and, when it is above 0, each operation id;
  //  - version 1 only: one more number, read and dropped.
  // Reading never fails; the result is always true. Text that ends early (or holds an item that
  // cannot be read) cuts reading short there: the tag being read keeps what was read before that
  // point (the characters and operation ids read so far included) and its other items keep the
  // defaults (empty primary id, 0, no operation ids), and every further tag that the count
  // announced is appended as a default tag. So " 2" gives two default tags and " 0" or an empty
  // text an empty list.
  //
  // Malformed counts: a number of tags above max_text_tags (a negative number reads as a huge
  // unsigned one) and a negative number of characters end the text right there, exactly like text
  // that ended before the count: the stream is put into the failed state, so later reads from it
  // fail too, and the list is completed as above. A bad number of tags therefore gives an empty list; a bad
  // count inside a tag gives that tag with what was read before the count, then default tags up to
  // the announced number. Memory and work stay proportional to the text read, except for those
  // default tags, which the maximum bounds. A number of operation ids of 0 or below means none.
  //
  // The stream's state is updated as the standard extractions would leave it (end of text, failure
  // of an item), and reading stops at the first character after the last item taken.
  bool read_text(std::istream& in, int version);

 private:
  friend struct tag_grammar;
  TPK::tpk_array<tag_data> m_tags;
};

// True when the tag text of `tags` reads back into an equal list, as it does unless the list holds
// more than max_text_tags tags (the reader refuses the count) or a primary id holds white space
// (the reader skips it), a NUL character (a recipe text is a NUL-terminated string, which ends
// there) or more characters than a count in the text can say. Otherwise false, and `reason`, when
// given, names the fault (and the first such id). An application calls this before it keeps a
// recipe text of tags it did not make itself.
TAGTRACK_EXPORT bool survives_tag_text(const tag_info& tags, std::string* reason = nullptr);

}  // namespace TPI_TAGGING_TRACKING
