// The tag attribute in model files and in diagnostics.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/tagging/generic_tag_attrib_def.h>

namespace TPI_TAGGING_TRACKING {

namespace {

// The decimal text of a legacy primary id, read as a double holding a whole number.
TPK::tpk_array<char> legacy_primary_id(double value) {
  std::uint64_t number = 0;
  if (std::isnan(value) || value <= 0) {
    number = 0;
  } else if (value >= 18446744073709551616.0) {
    number = UINT64_MAX;
  } else {
    number = static_cast<std::uint64_t>(value);  // truncation towards zero
  }
  const std::string digits = std::to_string(number);
  return TPK::tpk_array<char>(digits.data(), digits.size());
}

// Reads one tag of the record.
tag_data read_tag(const TPI_CUSTOM_ENTITY::restore_context& ctx, bool legacy) {
  tag_data tag;
  if (legacy) {
    const double value = ctx.read_double();
    if (!std::isfinite(value)) ctx.refuse("a legacy tag's numeric primary id is not finite");
    tag.m_primary_id = legacy_primary_id(value);
  } else {
    // The writer puts the id's length before its string: a record whose two disagree was not
    // written as it reads, and neither tells which id is meant.
    const std::int32_t length = ctx.read_int();
    const std::string text = ctx.read_string();
    if (length < 0 || static_cast<std::size_t>(length) != text.size()) {
      ctx.refuse("a tag's primary id is announced as " + std::to_string(length) +
                 " bytes, but its string holds " + std::to_string(text.size()));
    }
    tag.m_primary_id = TPK::tpk_array<char>(text.data(), text.size());
  }
  tag.m_secondary_id = ctx.read_int();
  const std::int32_t count = ctx.read_int();
  if (count < 0) ctx.refuse("a tag announces " + std::to_string(count) + " operation ids");
  if (count > 0) {
    const std::int32_t kept = std::min(count, tag_data::max_record_operation_ids);
    for (std::int32_t i = 0; i < kept; ++i) tag.m_operation_ids.push_back(ctx.read_int());
  }
  if (legacy) ctx.read_int();  // no meaning here
  return tag;
}

}  // namespace

namespace {

// Whether the record reads back into the same tags. The reader refuses a list or an operation-id
// list above its bound, and a primary id is written as a NUL-terminated string whose length is an
// int32 item.
bool record_holds(const tag_info* tags) {
  if (tags == nullptr) return true;
  if (tags->size() > tag_info::max_text_tags) return false;
  return std::all_of(tags->begin(), tags->end(), [](const tag_data& tag) {
    return tag.m_operation_ids.size() <=
               static_cast<std::size_t>(tag_data::max_record_operation_ids) &&
           tag.m_primary_id.size() <=
               static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) &&
           std::find(tag.m_primary_id.begin(), tag.m_primary_id.end(), '\0') ==
               tag.m_primary_id.end();
  });
}

}  // namespace

bool generic_tag_attrib_def::save(const TPI_CUSTOM_ENTITY::save_context& ctx) {
  // Refused before anything is written: the file then leaves the attribute out with a warning
  // instead of holding a record that would not restore, or restore other tags.
  if (!record_holds(m_tag_info)) return false;
  TPI_ANNO::tag_attrib_def::save(ctx);
  const std::int32_t count = m_tag_info ? static_cast<std::int32_t>(m_tag_info->size()) : 0;
  ctx.write_int(count);
  if (m_tag_info == nullptr) return true;
  std::string primary;
  for (const tag_data& tag : *m_tag_info) {
    ctx.write_int(static_cast<std::int32_t>(tag.m_primary_id.size()));
    primary.assign(tag.m_primary_id.begin(), tag.m_primary_id.end());
    ctx.write_string(primary.c_str());
    ctx.write_int(tag.m_secondary_id);
    ctx.write_int(static_cast<std::int32_t>(tag.m_operation_ids.size()));
    for (int id : tag.m_operation_ids) ctx.write_int(id);
  }
  return true;
}

bool generic_tag_attrib_def::restore(const TPI_CUSTOM_ENTITY::restore_context& ctx) {
  TPI_ANNO::tag_attrib_def::restore(ctx);
  const std::int32_t count = ctx.read_int();
  if (count < 0) ctx.refuse("the record announces " + std::to_string(count) + " tags");
  auto tags = std::make_unique<tag_info>();
  const bool legacy = ctx.entity_def_version() == 1;
  const std::int64_t kept =
      std::min<std::int64_t>(count, static_cast<std::int64_t>(tag_info::max_text_tags));
  for (std::int64_t i = 0; i < kept; ++i) tags->append(read_tag(ctx, legacy));
  set_tag_info(tags.release());
  set_def_version(generic_tag_attrib_def_version);
  return true;
}

std::uint32_t generic_tag_attrib_def::check_sum() const {
  return TPI_ANNO::tag_attrib_def::check_sum();
}

void generic_tag_attrib_def::generate_shared_string() {
  const char* shared = get_shared_string();
  if (shared == nullptr || *shared == '\0') set_shared_string("generic_tag_attrib_def ");
}

void generic_tag_attrib_def::debug(FILE* fp) const {
  TPI_ANNO::tag_attrib_def::debug(fp);
  if (m_tag_info == nullptr) return;
  std::string primary;
  for (std::size_t i = 0; i < m_tag_info->size(); ++i) {
    const tag_data& tag = (*m_tag_info)[i];
    primary.assign(tag.m_primary_id.begin(), tag.m_primary_id.end());
    tpk_fprintf(fp, "\tTag Info array element [%d]\n", static_cast<int>(i));
    tpk_fprintf(fp, "\tTag Data m_primary_id:    %s\n", primary.c_str());
    tpk_fprintf(fp, "\tTag Data m_secondary_id:  %d\n", tag.m_secondary_id);
    tpk_fprintf(fp, "\tTag Data m_operation_ids: [ ");
    for (int id : tag.m_operation_ids) tpk_fprintf(fp, "%d ", id);
    tpk_fprintf(fp, " ]\n");
  }
}

void generic_tag_attrib_def::get_first_ids(TPK::tpk_array<char>& primary_id, int& secondary_id,
                                           TPK::tpk_array<int>& operation_ids) const {
  secondary_id = -1;
  if (m_tag_info == nullptr || m_tag_info->empty()) return;
  const tag_data& first = (*m_tag_info)[0];
  primary_id = first.m_primary_id;
  secondary_id = first.m_secondary_id;
  operation_ids = first.m_operation_ids;
}

TPK::tpk_array<char> generic_tag_attrib_def::get_first_primary_id() const {
  if (m_tag_info == nullptr || m_tag_info->empty()) return TPK::tpk_array<char>();
  return (*m_tag_info)[0].m_primary_id;
}

}  // namespace TPI_TAGGING_TRACKING
