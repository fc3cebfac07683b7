#include <tagtrack/kernel/attributes/contexts.h>

#include <tagtrack/kernel/attributes/entity_def.h>

namespace TPI_CUSTOM_ENTITY {

edit_context::~edit_context() {
  delete m_replacement;
}

void edit_context::replace_definition(attrib_def* replacement) const {
  if (replacement == m_replacement) return;
  delete m_replacement;
  m_replacement = replacement;
}

attrib_def* edit_context::take_replacement() const {
  attrib_def* replacement = m_replacement;
  m_replacement = nullptr;
  return replacement;
}

save_context::~save_context() = default;
restore_context::~restore_context() = default;
void restore_context::refuse(const std::string&) const {}

}  // namespace TPI_CUSTOM_ENTITY
