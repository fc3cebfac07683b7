// The tag text: the blank-separated form of tags that recipe texts embed.
//
// Both directions work on the stream buffer directly rather than through formatted stream
// operations: the text is a long run of tiny items, and a formatted operation per item (with its
// sentry and locale lookups) costs more than the item itself. The writer gathers items in a local
// buffer and hands them to the stream in blocks; the reader walks the tag grammar over the
// stream's items (tag_grammar.h, text_items.h).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <limits>
#include <ostream>
#include <string>
#include <utility>

#include <tagtrack/tagging/internal/item_buffer.h>
#include <tagtrack/tagging/internal/printable.h>
#include <tagtrack/tagging/internal/tag_grammar.h>
#include <tagtrack/tagging/internal/text_items.h>
#include <tagtrack/tagging/tag_data.h>
#include <tagtrack/tagging/tag_info.h>

namespace TPI_TAGGING_TRACKING {

namespace {

// A tag's items, each after a blank: the primary id's length and characters, the secondary id,
// and the count and values of the operation ids, all numbers as 32-bit signed integers.
class item_writer : public item_buffer<512> {
 public:
  using item_buffer::item_buffer;

  void tag(const tag_data& tag) {
    blank_count(tag.m_primary_id.size());
    for (const char c : tag.m_primary_id) put(' ', c);
    blank_number(tag.m_secondary_id);
    blank_count(tag.m_operation_ids.size());
    for (const int id : tag.m_operation_ids) blank_number(id);
  }
};

}  // namespace

void tag_data::write_text(std::ostream& out) const {
  item_writer writer(out);
  writer.tag(*this);
  writer.flush();
}

bool tag_data::read_text(std::istream& in, int version) {
  stream_items items(in);
  tag_data tag;
  tag_grammar::tag(items, tag, version);
  *this = std::move(tag);
  items.finish();
  return true;
}

void tag_info::write_text(std::ostream& out) const {
  item_writer writer(out);
  writer.blank_count(size());
  for (const tag_data& tag : m_tags) {
    writer.put(' ');
    writer.tag(tag);
  }
  writer.flush();
}

bool tag_info::read_text(std::istream& in, int version) {
  stream_items items(in);
  tag_grammar::list(items, *this, version);
  items.finish();
  return true;
}

namespace {

// The id as a reader would want it quoted: printable characters as they are, others as \xHH.
std::string shown(const TPK::tpk_array<char>& id) {
  return printable(id.begin(), id.size(), 40);
}

}  // namespace

bool survives_tag_text(const tag_info& tags, std::string* reason) {
  // A longer list is written in full but reads back empty: its count ends the text.
  if (tags.size() > tag_info::max_text_tags) {
    if (reason != nullptr) {
      *reason = "the list holds " + std::to_string(tags.size()) + " tags, more than the " +
                std::to_string(tag_info::max_text_tags) + " a tag text may announce";
    }
    return false;
  }
  for (const tag_data& tag : tags) {
    const TPK::tpk_array<char>& id = tag.m_primary_id;
    const char* problem = nullptr;
    if (id.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
      problem = "is longer than the text can count";
    } else if (std::find(id.begin(), id.end(), '\0') != id.end()) {
      problem = "holds a NUL character, where the text would end";
    } else if (std::any_of(id.begin(), id.end(), [](char c) {
                 // The reader's own white space, the C locale's, whatever the program's locale.
                 return stream_number::is_space(static_cast<unsigned char>(c));
               })) {
      problem = "holds white space, which the text skips";
    }
    if (problem != nullptr) {
      if (reason != nullptr) *reason = "the primary id \"" + shown(id) + "\" " + problem;
      return false;
    }
  }
  return true;
}

}  // namespace TPI_TAGGING_TRACKING
