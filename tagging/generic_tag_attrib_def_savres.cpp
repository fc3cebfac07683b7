#include <tagtrack/tagging/generic_tag_attrib_def_savres.h>

#include <memory>

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/tagging/generic_tag_attrib_def.h>

namespace TPI_TAGGING_TRACKING {

generic_tag_attrib_def_savres::~generic_tag_attrib_def_savres() = default;

bool generic_tag_attrib_def_savres::save(const TPI_CUSTOM_ENTITY::save_context& ctx,
                                         TPI_CUSTOM_ENTITY::entity_def* def) {
  auto* tags = dynamic_cast<generic_tag_attrib_def*>(def);
  return tags != nullptr && tags->save(ctx);
}

bool generic_tag_attrib_def_savres::restore(const TPI_CUSTOM_ENTITY::restore_context& ctx,
                                            TPI_CUSTOM_ENTITY::entity_def*& def) {
  if (TPK::ATTRIB_CUSTOM_const_xs(ctx.entity()).get() == nullptr) return false;
  auto made = std::make_unique<generic_tag_attrib_def>();
  made->restore(ctx);
  def = made.release();
  return true;
}

// Made when the library loads, gone when it unloads.
generic_tag_attrib_def_savres generic_tag_attrib_def_savres::s_instance;

void generic_tag_attrib_def_savres::set_savres_def(const char* name) {
  TPI_CUSTOM_ENTITY::set_save_restore_def(name, &instance());
}

}  // namespace TPI_TAGGING_TRACKING
