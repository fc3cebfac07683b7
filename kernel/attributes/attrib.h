// Attributes: entities attached to another entity (their owner), in an ordered list per owner. A
// custom attribute carries a definition (TPI_CUSTOM_ENTITY::attrib_def) and owns it.
#pragma once

#include "kernel/attributes/entity_def.h"
#include "kernel/kernel_export.h"
#include "kernel/topology/entity.h"

class TPK_KERNEL_EXPORT ATTRIB : public ENTITY {
 public:
  entity_kind kind() const override { return entity_kind::attrib; }
  const char* type_name() const override { return "attrib"; }
  BODY* body() const override;

  ENTITY* owner() const { return m_links.owner; }
  // The next attribute of the same owner.
  ATTRIB* next() const { return m_links.next; }

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
};

class TPK_KERNEL_EXPORT ATTRIB_CUSTOM final : public ATTRIB {
 public:
  TPI_CUSTOM_ENTITY::attrib_def* def() const { return m_def; }

 private:
  friend struct tpk_detail::topology_editor;
  ATTRIB_CUSTOM() = default;
  // Calls the definition's destroy(), then deletes it.
  ~ATTRIB_CUSTOM() override;
  TPI_CUSTOM_ENTITY::attrib_def* m_def = nullptr;
};
