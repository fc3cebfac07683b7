#include <tagtrack/tagging/attribute_operations.h>

#include <utility>
#include <vector>

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/tagging/generic_tag_attrib_def.h>

namespace TPI_TAGGING_TRACKING {

namespace {

const generic_tag_attrib_def* tag_def_of(const ATTRIB_CUSTOM* attrib) {
  return dynamic_cast<const generic_tag_attrib_def*>(TPK::ATTRIB_CUSTOM_const_xs(attrib).get_def());
}

// Gives the first tag of a copy of the attribute's definition the change `edit` makes, puts the
// tags back without repeats, and hands the copy to the kernel.
template <class Edit>
bool update_first_tag(ATTRIB_CUSTOM* attrib, Edit edit) {
  const generic_tag_attrib_def* def = tag_def_of(attrib);
  if (def == nullptr) return false;
  generic_tag_attrib_def changed(*def);
  tag_info* tags = changed.get_tag_info_for_change();
  if (tags == nullptr || tags->empty()) return false;
  std::vector<tag_data> local;
  tags->list_tags(local);
  edit(local.front());
  tags->clear();
  for (const tag_data& tag : local) tags->add_unique(tag);
  changed.update_attribute_with_this_def(attrib);
  return true;
}

}  // namespace

bool prepend_operation_id_for_attrib(ATTRIB_CUSTOM* attrib, int id, bool negate) {
  const generic_tag_attrib_def* def = tag_def_of(attrib);
  if (def == nullptr) return false;
  generic_tag_attrib_def changed(*def);
  if (id >= 1 && changed.get_tag_info() != nullptr) {
    changed.get_tag_info_for_change()->add_operation_id(negate ? -id : id);
  }
  changed.update_attribute_with_this_def(attrib);
  return true;
}

bool update_primary_Id_for_attrib(ATTRIB_CUSTOM* attrib, TPK::tpk_array<char> primary_id) {
  return update_first_tag(attrib,
                          [&](tag_data& first) { first.m_primary_id = std::move(primary_id); });
}

bool update_secondary_id_for_attrib(ATTRIB_CUSTOM* attrib, int secondary_id) {
  return update_first_tag(attrib, [&](tag_data& first) { first.m_secondary_id = secondary_id; });
}

bool get_operation_ids_from_attrib(const ATTRIB_CUSTOM* attrib, TPK::tpk_array<int>& ids) {
  const generic_tag_attrib_def* def = tag_def_of(attrib);
  if (def == nullptr || def->get_tag_info() == nullptr) return false;
  def->get_tag_info()->collect_operation_ids(ids);
  return true;
}

}  // namespace TPI_TAGGING_TRACKING
