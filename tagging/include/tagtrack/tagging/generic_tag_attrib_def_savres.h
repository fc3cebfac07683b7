// The save/restore factory of the tag attribute: the kernel calls it to write a
// generic_tag_attrib_def into a model file and to make one from a record. One instance exists from
// the library's load to its unload; the caller registers it with set_savres_def before the kernel
// reads a model file holding tag attributes.
#pragma once

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

class TAGTRACK_EXPORT generic_tag_attrib_def_savres : public TPI_CUSTOM_ENTITY::save_restore_def {
 public:
  ~generic_tag_attrib_def_savres() override;
  // The definition's save for a generic_tag_attrib_def; false, writing nothing, for another.
  bool save(const TPI_CUSTOM_ENTITY::save_context& ctx,
            TPI_CUSTOM_ENTITY::entity_def* def) override;
  // A new generic_tag_attrib_def read from the record, owned by the kernel from then on; false,
  // with `def` untouched, when the context's entity is not a custom attribute.
  bool restore(const TPI_CUSTOM_ENTITY::restore_context& ctx,
               TPI_CUSTOM_ENTITY::entity_def*& def) override;

  // Registers the single instance with the kernel under `name`.
  static void set_savres_def(const char* name);
  // The single instance.
  static generic_tag_attrib_def_savres& instance() { return s_instance; }

 private:
  generic_tag_attrib_def_savres() = default;
  static generic_tag_attrib_def_savres s_instance;
};

}  // namespace TPI_TAGGING_TRACKING
