// ENTITY, the base of every object of a model: bodies, their faces, loops, coedges, edges and
// vertices, and the attributes attached to any of them. An entity carries an ordered list of
// attributes (the order of attachment) and a creation serial number. The serial gives the kernel
// an order that depends only on the sequence of construction, never on heap addresses, so that two
// models built the same way enumerate their entities in corresponding orders.
//
// Entities are created and destroyed only by the kernel: a deleted entity stays in its history
// stream, at the same address, until the states that could bring it back are discarded.
#pragma once

#include <cstdint>

#include <tagtrack/kernel/heap.h>
#include <tagtrack/kernel/kernel_export.h>

class ATTRIB;
class BODY;

namespace tpk_detail {
struct topology_editor;
}

enum class entity_kind { body, face, loop, coedge, edge, vertex, attrib };

class TPK_KERNEL_EXPORT ENTITY : public TPK::TPK_heap {
 public:
  ENTITY(const ENTITY&) = delete;
  ENTITY& operator=(const ENTITY&) = delete;

  virtual entity_kind kind() const = 0;
  // "body", "face", "loop", "coedge", "edge", "vertex" or "attrib".
  virtual const char* type_name() const = 0;
  // The body the entity belongs to (for an attribute, its owner's body); null if none.
  virtual BODY* body() const = 0;

  // The first attached attribute; the others follow through ATTRIB::next().
  ATTRIB* first_attrib() const { return m_base.first_attrib; }
  std::uint64_t serial() const { return m_serial; }
  // False once the entity was deleted (or its creation rolled back).
  bool alive() const { return m_alive; }

 protected:
  ENTITY();
  // Frees only what the entity alone owns (geometry, a definition); never other entities.
  virtual ~ENTITY();

  // Links shared by every kind, saved and restored with the history.
  struct base_links {
    ATTRIB* first_attrib = nullptr;
  };

 private:
  friend struct tpk_detail::topology_editor;
  base_links m_base;
  std::uint64_t m_serial;
  bool m_alive = true;
  std::uint64_t m_backup_stamp = 0;  // the open history state that last saved this entity's links
  mutable std::uint64_t m_mark = 0;  // scratch mark of the kernel's queries
};
