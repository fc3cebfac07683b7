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
//
// In model files the definition writes, after the base part, the number of tags and for each tag
// the number of characters of its primary id, the primary id (a NUL-terminated string), the
// secondary id, the number of operation ids and the operation ids. It reads that layout back, and
// for definition version 1 the legacy layout (per tag: the primary id as a double holding a whole
// number, the secondary id, the operation ids with their count, and one integer that is dropped).
// Records are outside the system's control, so reading is bounded and total:
// - a primary id takes at most the characters the string holds, however many its count claims;
//   a negative count gives an empty id;
// - a negative number of tags or of operation ids reads as none; more tags than
//   tag_info::max_text_tags, or more operation ids than tag_data::max_record_operation_ids, end the
//   reading there (the kernel then finds the record's items unread and rejects the file);
// - a legacy primary id that is negative or NaN reads as 0, one of 2^64 or more as
//   18446744073709551615.
// Whatever is read replaces the tags, and the definition version becomes 2. A list the reader would
// not give back as it is (more tags or operation ids than those bounds, a primary id holding a NUL
// character) is not written: save gives false, and the model file leaves the attribute out with a
// warning.
#pragma once

#include <cstdint>

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/tagging/tag_info.h>
#include <tagtrack/tagtrack_export.h>

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

  void debug(FILE* fp) const override;
  void generate_shared_string() override;
  bool save(const TPI_CUSTOM_ENTITY::save_context& ctx) override;
  bool restore(const TPI_CUSTOM_ENTITY::restore_context& ctx) override;
  std::uint32_t check_sum() const override;

  // The first tag's fields. `secondary_id` becomes -1 first; without a first tag the two arrays
  // keep what they held.
  void get_first_ids(TPK::tpk_array<char>& primary_id, int& secondary_id,
                     TPK::tpk_array<int>& operation_ids) const;
  // A copy of the first tag's primary id; empty without a first tag.
  TPK::tpk_array<char> get_first_primary_id() const;

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
  struct unnumbered_copy {};
  // A copy for staging an edit: not counted as a construction, since it never reaches the kernel.
  generic_tag_attrib_def(const generic_tag_attrib_def& other, unnumbered_copy);

  // Gives `tags` to a new attribute on `entity` carrying a copy of this definition, and records
  // both attributes with the tag manager.
  void follow_to(ATTRIB_CUSTOM* attrib, ENTITY* entity) const;

  tag_info* m_tag_info;
  std::int32_t m_debug_id;
};

}  // namespace TPI_TAGGING_TRACKING
