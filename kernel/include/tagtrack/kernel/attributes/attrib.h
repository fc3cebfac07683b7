// Attributes: entities attached to another entity (their owner), in an ordered list per owner. A
// custom attribute carries a definition (TPI_CUSTOM_ENTITY::attrib_def) and owns it.
#pragma once

#include <tagtrack/kernel/attributes/entity_def.h>
#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/topology/entity.h>

class ATTRIB_CUSTOM;

class TPK_KERNEL_EXPORT ATTRIB : public ENTITY {
 public:
  entity_kind kind() const override { return entity_kind::attrib; }
  const char* type_name() const override { return "attrib"; }
  BODY* body() const override;

  ENTITY* owner() const { return m_links.owner; }
  // The next attribute of the same owner.
  ATTRIB* next() const { return m_links.next; }
  // This attribute as a custom attribute, or null: a cheap alternative to a run-time class test,
  // used on every attribute lookup.
  ATTRIB_CUSTOM* as_custom() { return m_custom; }
  const ATTRIB_CUSTOM* as_custom() const { return m_custom; }

 protected:
  ATTRIB() = default;
  ~ATTRIB() override;

 private:
  friend struct tpk_detail::topology_editor;
  struct links {
    ENTITY* owner = nullptr;
    ATTRIB* next = nullptr;
  };
  links m_links;
  ATTRIB_CUSTOM* m_custom = nullptr;  // set by ATTRIB_CUSTOM to itself
  friend class ATTRIB_CUSTOM;
};

class TPK_KERNEL_EXPORT ATTRIB_CUSTOM final : public ATTRIB {
 public:
  TPI_CUSTOM_ENTITY::attrib_def* def() const { return m_def; }

 private:
  friend struct tpk_detail::topology_editor;
  ATTRIB_CUSTOM() { m_custom = this; }
  // Calls the definition's destroy(), then deletes it.
  ~ATTRIB_CUSTOM() override;
  TPI_CUSTOM_ENTITY::attrib_def* m_def = nullptr;
};
