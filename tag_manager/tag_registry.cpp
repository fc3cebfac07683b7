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

void tag_registry::register_attrib(ATTRIB_CUSTOM* attrib) {
  if (!m_active) return;
  const tag_info* tags = tags_of(attrib);
  if (tags == nullptr) return;
  auto entry = m_entries.find(*tags);
  if (entry == m_entries.end()) entry = m_entries.emplace(*tags, std::set<ATTRIB_CUSTOM*>()).first;
  entry->second.insert(attrib);
}

void tag_registry::unregister_attrib(ATTRIB_CUSTOM* attrib) {
  if (!m_active) return;
  const tag_info* tags = tags_of(attrib);
  if (tags == nullptr) return;
  const auto entry = m_entries.find(*tags);
  if (entry != m_entries.end()) entry->second.erase(attrib);
}

void activateTagManager(bool on) {
  tag_registry& registry = tag_registry::instance();
  registry.clear();
  registry.set_active(on);
}

}  // namespace TPI_TAGGING_TRACKING
