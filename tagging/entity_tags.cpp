#include <tagtrack/tagging/entity_tags.h>

#include <memory>

#include <tagtrack/tagging/attribute_operations.h>
#include <tagtrack/tagging/generic_tag_attrib_def.h>

namespace TPI_TAGGING_TRACKING {

TPK::tpk_array<char> primary_id(std::string_view text) {
  return TPK::tpk_array<char>(text.data(), text.size());
}

ATTRIB_CUSTOM* tag_entity(ENTITY* entity, std::string_view id, int operation_id) {
  auto def = std::make_unique<generic_tag_attrib_def>(primary_id(id));
  if (operation_id >= 1) def->prepend_operation_id(operation_id, false);
  ATTRIB_CUSTOM* attrib = nullptr;
  if (!TPI_CUSTOM_ENTITY::add_attrib(entity, def.get(), attrib).ok()) return nullptr;
  def.release();  // the attribute owns it now
  return attrib;
}

const tag_info* tags_on(ENTITY* entity) {
  TPK::tpk_array<ATTRIB_CUSTOM*> found;
  TPI_CUSTOM_ENTITY::find_attrib(entity, nullptr, found);
  for (ATTRIB_CUSTOM* attrib : found) {
    const auto* def =
        dynamic_cast<const generic_tag_attrib_def*>(TPK::ATTRIB_CUSTOM_const_xs(attrib).get_def());
    if (def != nullptr) return def->get_tag_info();
  }
  return nullptr;
}

}  // namespace TPI_TAGGING_TRACKING
