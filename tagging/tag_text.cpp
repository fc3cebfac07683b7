// The tag text: the blank-separated form of tags that recipe texts embed.
//
// Both directions work on the stream buffer directly rather than through formatted stream
// operations: the text is a long run of tiny items, and a formatted operation per item (with its
// sentry and locale lookups) costs more than the item itself. The writer gathers items in a local
// buffer and hands them to the stream in blocks; the reader parses items as the standard
// extractions would (same characters consumed, same stream state afterwards) but with the
// C locale's white space and plain decimal numbers.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <limits>
#include <ostream>
#include <string>
#include <utility>

#include <tagtrack/tagging/internal/item_buffer.h>
#include <tagtrack/tagging/internal/printable.h>
#include <tagtrack/tagging/internal/stream_number.h>
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

// Takes items from the stream buffer with the outcome of the standard extractions: white space
// skipped before each item, a number ends at the first character that cannot continue it (left
// unread), reaching the end of the text sets eofbit, and an item that cannot be read sets failbit,
// after which every further item fails. The state reaches the stream in finish() (or, when an
// exception cuts reading short, in the destructor).
class item_reader {
 public:
  explicit item_reader(std::istream& in) : m_in(in) {
    if (in.good() && in.rdbuf() != nullptr) {
      if (in.tie() != nullptr) in.tie()->flush();
      m_buffer = in.rdbuf();
    } else {
      m_state = std::ios_base::failbit;
    }
  }
  item_reader(const item_reader&) = delete;
  item_reader& operator=(const item_reader&) = delete;
  ~item_reader() {
    if (m_finished) return;
    try {
      m_in.setstate(m_state);
    } catch (...) {  // the stream asked for exceptions, but one is already on its way
    }
  }

  bool good() const noexcept { return m_state == std::ios_base::goodbit; }

  // Ends the text here: nothing more is read, as if the text had failed at this point.
  void stop() noexcept { m_state |= std::ios_base::failbit; }

  void finish() {
    m_finished = true;
    m_in.setstate(m_state);
  }

  bool read_char(char& c) {
    if (!skip_space()) return false;
    c = std::char_traits<char>::to_char_type(m_buffer->sbumpc());
    return true;
  }

  bool read_int(std::int32_t& value) {
    return skip_space() && stream_number::read_int32(*m_buffer, m_state, value);
  }

  // Like the standard unsigned extraction, a leading minus negates modulo 2^64.
  bool read_uint64(std::uint64_t& value) {
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (!skip_space() || !stream_number::read_decimal(*m_buffer, m_state, negative, magnitude))
      return false;
    value = negative ? 0 - magnitude : magnitude;
    return true;
  }

 private:
  bool fail() noexcept {
    m_state |= std::ios_base::failbit;
    return false;
  }

  bool skip_space() {
    if (!good()) return fail();
    return stream_number::skip_space(*m_buffer, m_state);
  }

  std::istream& m_in;
  std::streambuf* m_buffer = nullptr;
  std::ios_base::iostate m_state = std::ios_base::goodbit;
  bool m_finished = false;
};

// Reads one tag into `tag`, which holds the defaults, stopping at the first item that fails.
void read_tag(item_reader& in, tag_data& tag, int version) {
  if (version == 1) {
    std::uint64_t number = 0;
    if (!in.read_uint64(number)) return;
    char digits[std::numeric_limits<std::uint64_t>::digits10 + 1];
    const char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    tag.m_primary_id = TPK::tpk_array<char>(digits, static_cast<std::size_t>(end - digits));
  } else {
    std::int32_t length = 0;
    if (!in.read_int(length)) return;
    if (length < 0) {
      in.stop();  // malformed: the text ends here
      return;
    }
    // Gathered in blocks, so that the id grows with the characters actually present rather than
    // with what the count announces.
    char block[64];
    std::size_t used = 0;
    for (std::int32_t i = 0; i < length; ++i) {
      if (!in.read_char(block[used])) break;
      if (++used == sizeof block) {
        tag.m_primary_id.append(block, block + used);
        used = 0;
      }
    }
    tag.m_primary_id.append(block, block + used);
  }

  std::int32_t secondary = 0;
  if (!in.read_int(secondary)) return;
  tag.m_secondary_id = secondary;

  std::int32_t count = 0;
  if (!in.read_int(count)) return;
  int block[32];
  std::size_t used = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    if (!in.read_int(block[used])) break;
    if (++used == sizeof block / sizeof block[0]) {
      tag.m_operation_ids.append(block, block + used);
      used = 0;
    }
  }
  tag.m_operation_ids.append(block, block + used);

  if (version == 1) {
    std::int32_t dropped = 0;
    in.read_int(dropped);
  }
}

}  // namespace

void tag_data::write_text(std::ostream& out) const {
  item_writer writer(out);
  writer.tag(*this);
  writer.flush();
}

bool tag_data::read_text(std::istream& in, int version) {
  item_reader reader(in);
  tag_data tag;
  read_tag(reader, tag, version);
  *this = std::move(tag);
  reader.finish();
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
  item_reader reader(in);
  m_tags.clear();
  std::uint64_t count = 0;
  if (reader.read_uint64(count) && count > max_text_tags) {
    reader.stop();
    count = 0;
  }
  if (count > 0) {
    m_tags.reserve(std::min<std::uint64_t>(count, 16));
    while (m_tags.size() < count && reader.good()) {
      read_tag(reader, m_tags.emplace_back(), version);
    }
    // Once the text has ended or failed every further item would fail as well: the announced tags
    // that remain are default tags, made in one step rather than read one by one.
    if (m_tags.size() < count) {
      reader.stop();
      m_tags.resize(count);
    }
  }
  reader.finish();
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
    } else if (std::any_of(id.begin(), id.end(),
                           [](char c) { return std::isspace(static_cast<unsigned char>(c)); })) {
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
