#include <tagtrack/kernel/attributes/attrib.h>

#include <type_traits>

#include <tagtrack/kernel/attributes/access.h>

BODY* ATTRIB::body() const {
  return m_links.owner ? m_links.owner->body() : nullptr;
}

ATTRIB::~ATTRIB() = default;

ATTRIB_CUSTOM::~ATTRIB_CUSTOM() {
  if (m_def != nullptr) {
    m_def->m_attrib = nullptr;
    m_def->destroy();
    delete m_def;
  }
}

namespace TPK {

namespace {
template <class Entity>
auto as_custom(Entity* entity) {
  using result = std::conditional_t<std::is_const_v<Entity>, const ATTRIB_CUSTOM*, ATTRIB_CUSTOM*>;
  using attrib = std::conditional_t<std::is_const_v<Entity>, const ATTRIB*, ATTRIB*>;
  if (entity == nullptr || entity->kind() != entity_kind::attrib) return result(nullptr);
  return static_cast<attrib>(entity)->as_custom();
}
}  // namespace

ATTRIB_CUSTOM_const_xs::ATTRIB_CUSTOM_const_xs(const ENTITY* entity)
    : m_attrib(as_custom(entity)) {}

const TPI_CUSTOM_ENTITY::attrib_def* ATTRIB_CUSTOM_const_xs::get_def() const {
  return m_attrib ? m_attrib->def() : nullptr;
}

ATTRIB_CUSTOM_const_xs::ATTRIB_CUSTOM_const_xs(const ATTRIB* attrib)
    : m_attrib(as_custom(static_cast<const ENTITY*>(attrib))) {}

ATTRIB_CUSTOM_xs::ATTRIB_CUSTOM_xs(ENTITY* entity) : m_attrib(as_custom(entity)) {}

ATTRIB_CUSTOM_xs::ATTRIB_CUSTOM_xs(ATTRIB* attrib)
    : m_attrib(as_custom(static_cast<ENTITY*>(attrib))) {}

TPI_CUSTOM_ENTITY::attrib_def* ATTRIB_CUSTOM_xs::get_def() const {
  return m_attrib ? m_attrib->def() : nullptr;
}

ATTRIB_const_xs::ATTRIB_const_xs(const ATTRIB_CUSTOM* attrib) : m_attrib(attrib) {}

std::uint64_t creation_order(const ATTRIB_CUSTOM* attrib) {
  return attrib != nullptr ? attrib->serial() : 0;
}

ENTITY* ATTRIB_const_xs::owner() const {
  return m_attrib ? m_attrib->owner() : nullptr;
}

}  // namespace TPK
