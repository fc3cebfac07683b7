#include <tagtrack/tag_manager/internal/tag_registry.h>

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/tag_manager/tag_manager.h>
#include <tagtrack/tagging/generic_tag_attrib_def.h>

namespace TPI_TAGGING_TRACKING {

namespace {

// The attribute's tag list, or null when it has none (or is no tag attribute).
const tag_info* tags_of(const ATTRIB_CUSTOM* attrib) {
  if (attrib == nullptr) return nullptr;
  const auto* def =
      dynamic_cast<const generic_tag_attrib_def*>(TPK::ATTRIB_CUSTOM_const_xs(attrib).get_def());
  return def != nullptr ? def->get_tag_info() : nullptr;
}

}  // namespace

tag_registry::tag_registry() {
  tag_events::set_listener(this);
}

tag_registry::~tag_registry() {
  tag_events::set_listener(nullptr);
}

tag_registry& tag_registry::instance() {
  static tag_registry registry;
  return registry;
}

void tag_registry::place(ATTRIB_CUSTOM* attrib, const tag_info& tags) {
  auto entry = m_entries.find(tags);
  if (entry == m_entries.end()) entry = m_entries.emplace(tags, attribs_type()).first;
  const auto [where, fresh] = m_where.emplace(attrib, entry);
  if (!fresh && where->second == entry) return;
  try {
    entry->second.insert(attrib);
  } catch (...) {
    if (fresh) m_where.erase(where);
    throw;
  }
  if (!fresh) {
    where->second->second.erase(attrib);
    where->second = entry;
  }
}

void tag_registry::register_attrib(ATTRIB_CUSTOM* attrib) {
  if (!m_active) return;
  const tag_info* tags = tags_of(attrib);
  if (tags == nullptr) return unregister_attrib(attrib);
  place(attrib, *tags);
}

void tag_registry::unregister_attrib(ATTRIB_CUSTOM* attrib) noexcept {
  if (!m_active) return;
  const auto where = m_where.find(attrib);
  if (where == m_where.end()) return;
  where->second->second.erase(attrib);
  m_where.erase(where);
}

void tag_registry::retagged(ATTRIB_CUSTOM* attrib, const tag_info* tags) {
  if (!m_active || attrib == nullptr) return;
  if (tags == nullptr) return unregister_attrib(attrib);
  place(attrib, *tags);
}

void tag_registry::clear() noexcept {
  m_where.clear();
  m_entries.clear();
}

void activateTagManager(bool on) {
  tag_registry& registry = tag_registry::instance();
  registry.clear();
  registry.set_active(on);
}

}  // namespace TPI_TAGGING_TRACKING
