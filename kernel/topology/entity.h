// ENTITY, the base of every object of a model: bodies, their faces, loops, coedges, edges and
// vertices, and the attributes attached to any of them. An entity carries an ordered list of
// attributes (the order of attachment) and a creation serial number. The serial gives the kernel
// an order that depends only on the sequence of construction, never on heap addresses, so that two
// models built the same way enumerate their entities in corresponding orders.
#pragma once

#include <cstdint>

#include "kernel/heap.h"
#include "kernel/kernel_export.h"

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
  // Destroys the attributes still attached, in order.
  virtual ~ENTITY();

  virtual entity_kind kind() const = 0;
  // "body", "face", "loop", "coedge", "edge", "vertex" or "attrib".
  virtual const char* type_name() const = 0;
  // The body the entity belongs to (for an attribute, its owner's body); null if none.
  virtual BODY* body() const = 0;

  // The first attached attribute; the others follow through ATTRIB::next().
  ATTRIB* first_attrib() const { return m_first_attrib; }
  std::uint64_t serial() const { return m_serial; }

 protected:
  ENTITY();

 private:
  friend struct tpk_detail::topology_editor;
  ATTRIB* m_first_attrib = nullptr;
  std::uint64_t m_serial;
  mutable std::uint64_t m_mark = 0;  // scratch mark of the kernel's queries, see query.cpp
};
