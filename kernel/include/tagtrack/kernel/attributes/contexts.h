// The contexts the kernel hands to an attribute definition when it notifies it of an event, copies
// it, or saves and restores it.
#pragma once

#include <cstdint>
#include <string>

#include <tagtrack/kernel/kernel_export.h>

class ENTITY;
class ATTRIB_CUSTOM;

namespace TPI_CUSTOM_ENTITY {

class attrib_def;

// Values of roll_notify_context::get_type().
enum ROLL_NOTIFY_TYPE : int {
  // The attribute is about to leave the model, or its current definition is about to be replaced
  // by an earlier or later one.
  ROLL_NOTIFY_LEAVING = 0,
  // The attribute stays in the model and only a definition it does not hold changes (sent to no
  // one by the reference kernel; reserved).
  ROLL_NOTIFY_UNCHANGED = 1,
  // The attribute has just come back into the model, or an earlier or later definition has just
  // been reinstated in it.
  ROLL_NOTIFY_RETURNED = 2,
};

// Names the attribute being copied (entity()) and the attribute that will hold the copy
// (copied_entity()).
class TPK_KERNEL_EXPORT copy_context {
 public:
  copy_context(ENTITY* source, ENTITY* copied) : m_entity(source), m_copied(copied) {}
  ENTITY* entity() const { return m_entity; }
  ENTITY* copied_entity() const { return m_copied; }

 private:
  ENTITY* m_entity;
  ENTITY* m_copied;
};

class TPK_KERNEL_EXPORT roll_notify_context {
 public:
  roll_notify_context(ENTITY* attrib, ROLL_NOTIFY_TYPE type) : m_entity(attrib), m_type(type) {}
  // The attribute concerned.
  ENTITY* entity() const { return m_entity; }
  ROLL_NOTIFY_TYPE get_type() const { return m_type; }

 private:
  ENTITY* m_entity;
  ROLL_NOTIFY_TYPE m_type;
};

// The base of every owner-event context: names the attribute concerned.
class TPK_KERNEL_EXPORT owner_context {
 public:
  explicit owner_context(ATTRIB_CUSTOM* attrib) : m_attrib(attrib) {}
  ATTRIB_CUSTOM* get_attrib() const { return m_attrib; }

 private:
  ATTRIB_CUSTOM* m_attrib;
};

class TPK_KERNEL_EXPORT sync_context : public owner_context {
 public:
  using owner_context::owner_context;
};

// The owner is about to be deleted.
class TPK_KERNEL_EXPORT lose_owner_context : public owner_context {
 public:
  using owner_context::owner_context;
};

// The owner was split; new_entity() is the piece that the split created.
class TPK_KERNEL_EXPORT split_owner_context : public owner_context {
 public:
  split_owner_context(ATTRIB_CUSTOM* attrib, ENTITY* new_entity)
      : owner_context(attrib), m_new(new_entity) {}
  ENTITY* new_entity() const { return m_new; }

 private:
  ENTITY* m_new;
};

// The owner was copied; new_entity() is the copy.
class TPK_KERNEL_EXPORT copy_owner_context : public owner_context {
 public:
  copy_owner_context(ATTRIB_CUSTOM* attrib, ENTITY* new_entity)
      : owner_context(attrib), m_new(new_entity) {}
  ENTITY* new_entity() const { return m_new; }

 private:
  ENTITY* m_new;
};

// The owner is merged with other_entity(). deleting_owner() is true when the owner is the entity
// that goes and other_entity() survives; false when the owner survives and other_entity() goes.
class TPK_KERNEL_EXPORT merge_owner_context : public owner_context {
 public:
  merge_owner_context(ATTRIB_CUSTOM* attrib, ENTITY* other, bool deleting_owner)
      : owner_context(attrib), m_other(other), m_deleting(deleting_owner) {}
  ENTITY* other_entity() const { return m_other; }
  bool deleting_owner() const { return m_deleting; }

 private:
  ENTITY* m_other;
  bool m_deleting;
};

// The owner was moved by a rigid motion.
class TPK_KERNEL_EXPORT trans_owner_context : public owner_context {
 public:
  using owner_context::owner_context;
};

class TPK_KERNEL_EXPORT lop_change_owner_context : public owner_context {
 public:
  using owner_context::owner_context;
};

class TPK_KERNEL_EXPORT replace_owner_surface_context : public owner_context {
 public:
  using owner_context::owner_context;
};

class TPK_KERNEL_EXPORT replace_owner_curve_context : public owner_context {
 public:
  using owner_context::owner_context;
};

class TPK_KERNEL_EXPORT replace_owner_position_context : public owner_context {
 public:
  using owner_context::owner_context;
};

// An edit of the attribute's definition (tag_attrib_def::update_attribute_with_this_def). A
// definition that wants to be replaced rather than changed in place hands the replacement to
// replace_definition(); the kernel installs it once reset_def_for_edit has returned true.
class TPK_KERNEL_EXPORT edit_context : public owner_context {
 public:
  using owner_context::owner_context;
  edit_context(const edit_context&) = delete;
  edit_context& operator=(const edit_context&) = delete;
  ~edit_context();
  // Takes ownership of `replacement` (may be null, which cancels an earlier one).
  void replace_definition(attrib_def* replacement) const;
  // Hands the pending replacement to the caller.
  attrib_def* take_replacement() const;

 private:
  mutable attrib_def* m_replacement = nullptr;
};

// Where a definition writes its items when the kernel saves it.
class TPK_KERNEL_EXPORT save_context {
 public:
  virtual ~save_context();
  virtual void write_int(std::int32_t value) const = 0;
  virtual void write_double(double value) const = 0;
  // Writes a NUL-terminated string; null writes an empty string.
  virtual void write_string(const char* text) const = 0;
};

// Where a definition reads its items when the kernel restores it. Reads never fail from the
// caller's point of view: past a malformed or exhausted record they give 0, 0.0 and the empty
// string, and the kernel reports the record as malformed once the definition has been read.
class TPK_KERNEL_EXPORT restore_context {
 public:
  virtual ~restore_context();
  // The attribute being restored.
  virtual ENTITY* entity() const = 0;
  // The definition version stored with the record.
  virtual std::int32_t entity_def_version() const = 0;
  virtual std::int32_t read_int() const = 0;
  virtual double read_double() const = 0;
  virtual std::string read_string() const = 0;
  // Refuses the record, whose items do not agree with each other (a length that is not its
  // string's, a negative count): the restore then fails at the record with `reason`, whatever the
  // factory gives. The kernel's own reader keeps the first problem; the base ignores it.
  virtual void refuse(const std::string& reason) const;
};

}  // namespace TPI_CUSTOM_ENTITY
