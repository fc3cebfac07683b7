// The definition of the tag attribute: the custom attribute that carries an entity's tags. It owns
// the entity's tag list (on the kernel heap) and answers the kernel's notifications so that the
// tags follow the entity:
//   split_owner, copy_owner   the new entity gets an attribute with a copy of this definition; the
//                             tag manager records both attributes (equal tags: duplicates);
//   merge_owner               when this entity goes, its tags join the other entity's tags, after
//                             them and without repeats (the other entity gets a tag attribute if
//                             it had none); the surviving entity's own notification does nothing;
//   lose_owner                the tag manager forgets the attribute;
//   roll_notify               the tag manager forgets an attribute leaving the model (type 0) and
//                             records one coming back (type 2);
//   reset_def_for_edit        takes over the tags of the new definition; the tag manager moves the
//                             attribute from the entry of its old tags to that of the new ones;
//   copyable                  the registered copy-attribute callback decides (yes without one);
//   copy, copy_for_backup     a new copy of this definition.
// Every construction, copies included, takes the next number of a process-wide counter that
// starts at 1 (debug_id); assignment keeps the target's number.
#pragma once

#include <cstdint>

#include "kernel/attributes/entity_def.h"
#include "kernel/tpk_array.h"
#include "tagging/tag_info.h"
#include "tagtrack_export.h"

namespace TPI_TAGGING_TRACKING {

// The definition version of every generic_tag_attrib_def.
constexpr std::int32_t generic_tag_attrib_def_version = 2;

class TAGTRACK_EXPORT generic_tag_attrib_def : public TPI_ANNO::tag_attrib_def {
 public:
  // An empty tag list.
  generic_tag_attrib_def();
  // One tag with this primary id, secondary id 0 and no operation ids.
  explicit generic_tag_attrib_def(TPK::tpk_array<char> primary_id);
  // A deep copy of the source's list (the source must hold one) and a new debug_id.
  generic_tag_attrib_def(const generic_tag_attrib_def& other);
  // Self-assignment does nothing; otherwise the base part and the tags are assigned, and the
  // debug_id stays. A target without a list gets a copy of the source's.
  generic_tag_attrib_def& operator=(const generic_tag_attrib_def& other);
  // Deletes the tag list.
  ~generic_tag_attrib_def() override;

  static const char* name();

  void destroy() override;
  const char* type_name() const override;
  TPI_CUSTOM_ENTITY::entity_def* copy_for_backup() const override;
  // Prints "ERROR: copy_context::copied_entity is incorrect\n" when the context does not name two
  // distinct attributes, and gives a copy either way.
  TPI_CUSTOM_ENTITY::entity_def* copy(const TPI_CUSTOM_ENTITY::copy_context& ctx) const override;
  bool roll_notify(const TPI_CUSTOM_ENTITY::roll_notify_context& ctx) const override;
  bool copyable() const override;
  bool lose_owner(const TPI_CUSTOM_ENTITY::lose_owner_context& ctx) const override;
  bool split_owner(const TPI_CUSTOM_ENTITY::split_owner_context& ctx) const override;
  // False, changing nothing, when this definition has no list and the other entity has a tag
  // attribute.
  bool merge_owner(const TPI_CUSTOM_ENTITY::merge_owner_context& ctx) const override;
  bool copy_owner(const TPI_CUSTOM_ENTITY::copy_owner_context& ctx) const override;
  // False, changing nothing, when `new_def` is not a generic_tag_attrib_def, or when the context's
  // attribute is not the one holding this definition.
  bool reset_def_for_edit(const TPI_CUSTOM_ENTITY::edit_context& ctx,
                          const TPI_ANNO::tag_attrib_def* new_def) override;

  // The list itself, not a copy; null only after set_tag_info(nullptr). Neither tells the kernel
  // of a change.
  tag_info* get_tag_info() const { return m_tag_info; }
  tag_info* get_tag_info_for_change() { return m_tag_info; }
  // Deletes the current list and takes ownership of `tags` (may be null), which the caller made
  // with new on the kernel heap.
  void set_tag_info(tag_info* tags);
  std::int32_t debug_id() const { return m_debug_id; }
  // Appends `id` (or -id when `negate`) to every tag's operation ids, in place, without telling the
  // kernel. False, changing nothing, for an id below 1 or a definition without a list.
  bool prepend_operation_id(int id, bool negate);

 private:
  // Gives `tags` to a new attribute on `entity` carrying a copy of this definition, and records
  // both attributes with the tag manager.
  void follow_to(ATTRIB_CUSTOM* attrib, ENTITY* entity) const;

  tag_info* m_tag_info;
  std::int32_t m_debug_id;
};

}  // namespace TPI_TAGGING_TRACKING
