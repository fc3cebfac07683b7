// Definitions of custom attributes. A custom attribute (ATTRIB_CUSTOM) carries one definition and
// owns it; the kernel calls the definition's virtual operations when the attribute is copied,
// backed up, rolled, saved or restored, and when its owner is lost, split, copied, merged, moved or
// edited. Every notification gives true when handled; the kernel goes on either way.
//
// Base behaviours: notifications do nothing and give true; copyable, moveable and savable give
// true; num_entities gives 0; a tag_attrib_def edited with another definition puts a copy of it in
// its own place.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include <tagtrack/kernel/attributes/contexts.h>
#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>

class ENTITY;
class ATTRIB_CUSTOM;

namespace tpk_detail {
struct topology_editor;
}

namespace TPI_CUSTOM_ENTITY {

class TPK_KERNEL_EXPORT entity_def {
 public:
  entity_def() = default;
  entity_def(const entity_def&) = default;
  entity_def& operator=(const entity_def&) = default;
  virtual ~entity_def();

  // Called by the kernel just before the definition is deleted.
  virtual void destroy();
  virtual const char* type_name() const = 0;
  virtual std::int32_t version() const;
  virtual void debug(FILE* fp) const;
  // A copy that the history keeps to reinstate this definition on roll back; caller owns it.
  virtual entity_def* copy_for_backup() const = 0;
  // A copy for the attribute of a copied owner; caller owns it.
  virtual entity_def* copy(const copy_context& ctx) const = 0;
  // Entities this definition refers to (none in the base).
  virtual int num_entities() const;
  virtual int entities(ENTITY** list) const;
  virtual bool sync(const sync_context& ctx);
  virtual bool roll_notify(const roll_notify_context& ctx) const;
};

class TPK_KERNEL_EXPORT attrib_def : public entity_def {
 public:
  attrib_def() = default;
  attrib_def(const attrib_def& other) : entity_def(other) {}
  // The holding attribute is not assigned: it belongs to the object, not to the value.
  attrib_def& operator=(const attrib_def& other) {
    entity_def::operator=(other);
    return *this;
  }
  ~attrib_def() override;

  virtual bool copyable() const;
  virtual bool moveable() const;
  virtual bool savable() const;
  virtual bool lose_owner(const lose_owner_context& ctx) const;
  virtual bool split_owner(const split_owner_context& ctx) const;
  virtual bool merge_owner(const merge_owner_context& ctx) const;
  virtual bool trans_owner(const trans_owner_context& ctx) const;
  virtual bool lop_change_owner(const lop_change_owner_context& ctx) const;
  virtual bool replace_owner_surface(const replace_owner_surface_context& ctx) const;
  virtual bool replace_owner_curve(const replace_owner_curve_context& ctx) const;
  virtual bool replace_owner_position(const replace_owner_position_context& ctx) const;
  virtual bool copy_owner(const copy_owner_context& ctx) const;

  // The attribute holding this definition; null while the definition is not attached.
  ATTRIB_CUSTOM* get_attrib() const { return m_attrib; }

 private:
  friend class ::ATTRIB_CUSTOM;
  friend struct tpk_detail::topology_editor;
  ATTRIB_CUSTOM* m_attrib = nullptr;
};

// Factory that writes a definition into a model file (save) and creates one from a record
// (restore). Registered with set_save_restore_def under a name, which the model file records.
class TPK_KERNEL_EXPORT save_restore_def {
 public:
  virtual ~save_restore_def();
  // Writes `def`; false when this factory does not handle it (then nothing may be written).
  virtual bool save(const save_context& ctx, entity_def* def) = 0;
  // Creates a definition and reads it; on true `def` holds it and the kernel owns it.
  virtual bool restore(const restore_context& ctx, entity_def*& def) = 0;
  // Reserved for later record layouts; the kernel uses no other value than 0.
  virtual int pre_save_hint() const;
  virtual int post_restore_hint() const;
};

}  // namespace TPI_CUSTOM_ENTITY

namespace TPI_ANNO {

// The base of annotation definitions: a 32-bit definition version stored with every saved
// definition, and a shared string. Its save writes the base part of a record: the shared string.
class TPK_KERNEL_EXPORT tag_attrib_def : public TPI_CUSTOM_ENTITY::attrib_def {
 public:
  tag_attrib_def() = default;
  tag_attrib_def(const tag_attrib_def& other);
  tag_attrib_def& operator=(const tag_attrib_def& other);
  ~tag_attrib_def() override;

  std::int32_t version() const override;
  int num_entities() const override;
  void debug(FILE* fp) const override;

  // Hands this definition's current value over to `new_def`'s. The base gives false for a null
  // `new_def`; otherwise it asks the kernel (through `ctx`) to put a copy of `new_def` in its
  // place.
  virtual bool reset_def_for_edit(const TPI_CUSTOM_ENTITY::edit_context& ctx,
                                  const tag_attrib_def* new_def);
  virtual void generate_shared_string();
  virtual bool save(const TPI_CUSTOM_ENTITY::save_context& ctx);
  virtual bool restore(const TPI_CUSTOM_ENTITY::restore_context& ctx);
  virtual std::uint32_t check_sum() const;

  // Puts a copy of this definition into `attrib`: the attribute's current definition is offered
  // the edit with reset_def_for_edit. On failure the attribute is left exactly as it was.
  outcome update_attribute_with_this_def(ATTRIB_CUSTOM* attrib) const;

  // Null while no shared string is set.
  const char* get_shared_string() const;

 protected:
  void set_shared_string(const char* text);
  void set_def_version(std::int32_t version) { m_def_version = version; }
  // Exchanges the values this class holds (definition version, shared string) with `other`'s,
  // leaving the attribute each is held by as it is: the commit step of an edit that must not fail
  // half way.
  void swap_values(tag_attrib_def& other) noexcept;

 private:
  std::int32_t m_def_version = 1;
  bool m_has_shared_string = false;
  std::string m_shared_string;
};

}  // namespace TPI_ANNO
