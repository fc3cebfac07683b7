#include <tagtrack/tagging/tag_data.h>

#include <utility>

namespace TPI_TAGGING_TRACKING {

tag_data::tag_data(TPK::tpk_array<char> primary_id) noexcept
    : m_primary_id(std::move(primary_id)) {}

tag_data& tag_data::operator=(const tag_data& other) {
  if (this != &other) {
    // Copy everything before touching this tag, so that a failed allocation leaves it whole.
    tag_data copy(other);
    *this = std::move(copy);
  }
  return *this;
}

tag_data& tag_data::operator=(tag_data&& other) noexcept {
  if (this != &other) {
    m_primary_id = std::move(other.m_primary_id);
    m_secondary_id = other.m_secondary_id;
    m_operation_ids = std::move(other.m_operation_ids);
  }
  return *this;
}

tag_data::~tag_data() = default;

bool tag_data::operator<(const tag_data& other) const noexcept {
  const std::size_t length = m_primary_id.size();
  if (length != other.m_primary_id.size()) return length < other.m_primary_id.size();
  for (std::size_t i = 0; i < length; ++i) {
    const auto a = static_cast<signed char>(m_primary_id[i]);
    const auto b = static_cast<signed char>(other.m_primary_id[i]);
    if (a != b) return a < b;
  }
  if (m_secondary_id != other.m_secondary_id) return m_secondary_id < other.m_secondary_id;
  const std::size_t count = m_operation_ids.size();
  if (count != other.m_operation_ids.size()) return count < other.m_operation_ids.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (m_operation_ids[i] != other.m_operation_ids[i]) {
      return m_operation_ids[i] < other.m_operation_ids[i];
    }
  }
  return false;
}

}  // namespace TPI_TAGGING_TRACKING
