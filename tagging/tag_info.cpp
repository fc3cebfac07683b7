#include <tagtrack/tagging/tag_info.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

namespace TPI_TAGGING_TRACKING {

tag_info::tag_info(const tag_data& tag) {
  m_tags.push_back(tag);
}

tag_info& tag_info::operator=(const tag_info& other) {
  // The array copies the source completely before it lets go of the old tags, so a failed
  // allocation leaves this list as it was.
  m_tags = other.m_tags;
  return *this;
}

tag_info& tag_info::operator=(tag_info&& other) noexcept {
  m_tags = std::move(other.m_tags);
  return *this;
}

tag_info::~tag_info() = default;

bool tag_info::operator==(const tag_info& other) const noexcept {
  return size() == other.size() && std::equal(begin(), end(), other.begin());
}

bool tag_info::operator<(const tag_info& other) const noexcept {
  if (size() != other.size()) return size() < other.size();
  for (std::size_t i = 0; i < size(); ++i) {
    if (m_tags[i] != other.m_tags[i]) return m_tags[i] < other.m_tags[i];
  }
  return false;
}

void tag_info::count_matches(const tag_info& other, int mode, int& count) const noexcept {
  // A tag equal to the one before it matches exactly what that one matched, in either list, so
  // each run of equal tags is compared once. A text that announces more tags than it holds ends in
  // a long run of default tags; this keeps comparing such lists in proportion to their runs
  // instead of to the product of their lengths.
  const bool first_match_only = mode == compare_exact;
  const std::size_t n = m_tags.size();
  std::int64_t matched = 0;
  std::int64_t per_tag = 0;  // what the current run of `other` contributes per tag
  for (std::size_t i = 0; i < other.m_tags.size(); ++i) {
    const tag_data& o = other.m_tags[i];
    if (i == 0 || !(o == other.m_tags[i - 1])) {
      per_tag = 0;
      for (std::size_t j = 0; j < n;) {
        std::size_t end = j + 1;
        while (end < n && m_tags[end] == m_tags[j]) ++end;
        if (m_tags[j].matches(o, mode)) {
          if (first_match_only) {
            per_tag = 1;
            break;
          }
          per_tag += static_cast<std::int64_t>(end - j);
        }
        j = end;
      }
    }
    matched += per_tag;
  }
  count = static_cast<int>(std::min<std::int64_t>(matched, INT_MAX));
}

void tag_info::add_unique(const tag_data& tag) {
  if (std::find(begin(), end(), tag) == end()) m_tags.push_back(tag);
}

void tag_info::add_operation_id(int id) {
  for (tag_data& tag : m_tags) tag.m_operation_ids.push_back(id);
}

void tag_info::collect_operation_ids(TPK::tpk_array<int>& ids) const {
  std::size_t total = ids.size();
  for (const tag_data& tag : m_tags) total += tag.m_operation_ids.size();
  ids.reserve(total);
  for (const tag_data& tag : m_tags) {
    ids.append(tag.m_operation_ids.begin(), tag.m_operation_ids.end());
  }
}

void tag_info::rename_primary_id(const TPK::tpk_array<char>& old_id,
                                 const TPK::tpk_array<char>& new_id) {
  // When `old_id` is one of our own primary ids, renaming that tag would change what the later
  // tags are compared with; compare with a copy taken before any change.
  TPK::tpk_array<char> old_copy;
  const TPK::tpk_array<char>* old = &old_id;
  for (const tag_data& tag : m_tags) {
    if (&tag.m_primary_id == &old_id) {
      old_copy = old_id;
      old = &old_copy;
      break;
    }
  }
  for (tag_data& tag : m_tags) {
    const TPK::tpk_array<char>& id = tag.m_primary_id;
    if (id.size() == old->size() && std::equal(id.begin(), id.end(), old->begin())) {
      tag.m_primary_id = new_id;
    }
  }
}

void tag_info::renumber_operation_id(int old_id, int new_id) {
  for (tag_data& tag : m_tags)
    std::replace(tag.m_operation_ids.begin(), tag.m_operation_ids.end(), old_id, new_id);
}

void tag_info::list_tags(std::vector<tag_data>& out) const {
  out.assign(begin(), end());
}

}  // namespace TPI_TAGGING_TRACKING
