// Read and write views of attributes, for code that holds an ENTITY or ATTRIB pointer and wants the
// custom attribute behind it. A view of something that is not a custom attribute (or of null) is
// empty: get() and get_def() give null.
#pragma once

#include <cstdint>

#include <tagtrack/kernel/attributes/entity_def.h>
#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/kernel/kernel_export.h>

namespace TPK {

class TPK_KERNEL_EXPORT ATTRIB_CUSTOM_const_xs {
 public:
  explicit ATTRIB_CUSTOM_const_xs(const ENTITY* entity);
  explicit ATTRIB_CUSTOM_const_xs(const ATTRIB* attrib);
  explicit ATTRIB_CUSTOM_const_xs(const ATTRIB_CUSTOM* attrib) : m_attrib(attrib) {}
  const ATTRIB_CUSTOM* get() const { return m_attrib; }
  const TPI_CUSTOM_ENTITY::attrib_def* get_def() const;

 private:
  const ATTRIB_CUSTOM* m_attrib;
};

class TPK_KERNEL_EXPORT ATTRIB_CUSTOM_xs {
 public:
  explicit ATTRIB_CUSTOM_xs(ENTITY* entity);
  explicit ATTRIB_CUSTOM_xs(ATTRIB* attrib);
  explicit ATTRIB_CUSTOM_xs(ATTRIB_CUSTOM* attrib) : m_attrib(attrib) {}
  ATTRIB_CUSTOM* get() const { return m_attrib; }
  TPI_CUSTOM_ENTITY::attrib_def* get_def() const;

 private:
  ATTRIB_CUSTOM* m_attrib;
};

class TPK_KERNEL_EXPORT ATTRIB_const_xs {
 public:
  explicit ATTRIB_const_xs(const ATTRIB* attrib) : m_attrib(attrib) {}
  explicit ATTRIB_const_xs(const ATTRIB_CUSTOM* attrib);
  // The entity carrying the attribute; null for a null attribute.
  ENTITY* owner() const;

 private:
  const ATTRIB* m_attrib;
};

// The attribute's place in the kernel's order of creation: a later attribute has a larger number,
// and two models built by the same sequence of calls number theirs alike, whatever the heap
// addresses. 0 for null.
TPK_KERNEL_EXPORT std::uint64_t creation_order(const ATTRIB_CUSTOM* attrib);

}  // namespace TPK
