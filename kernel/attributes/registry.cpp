// Attaching and finding custom attributes, and the registry of save/restore factories.
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <tagtrack/kernel/attributes/attrib_api.h>
#include <tagtrack/kernel/internal/topology_editor.h>

namespace TPI_CUSTOM_ENTITY {

outcome add_attrib(ENTITY* owner, attrib_def* def, ATTRIB_CUSTOM*& attrib) {
  if (owner == nullptr) return outcome::failure("add_attrib: null owner");
  if (def == nullptr) return outcome::failure("add_attrib: null definition");
  if (owner->kind() == entity_kind::attrib) {
    return outcome::failure("add_attrib: an attribute cannot own attributes");
  }
  if (def->get_attrib() != nullptr) {
    return outcome::failure("add_attrib: the definition is already held by an attribute");
  }
  if (!owner->alive()) return outcome::failure("add_attrib: the owner was deleted");
  TPK::operation_scope scope;
  ATTRIB_CUSTOM* created = tpk_detail::topology_editor::new_custom_attrib(owner);
  tpk_detail::topology_editor::install_def(created, def);
  scope.commit();
  attrib = created;
  return outcome();
}

outcome find_attrib(ENTITY* owner, const char* name, TPK::tpk_array<ATTRIB_CUSTOM*>& found) {
  found.clear();
  if (owner == nullptr) return outcome();
  for (ATTRIB* a = owner->first_attrib(); a != nullptr; a = a->next()) {
    ATTRIB_CUSTOM* custom = a->as_custom();
    if (custom == nullptr) continue;
    if (name != nullptr &&
        (custom->def() == nullptr || std::strcmp(custom->def()->type_name(), name) != 0)) {
      continue;
    }
    found.push_back(custom);
  }
  return outcome();
}

ATTRIB_CUSTOM* next_custom_attrib(ENTITY* owner, ATTRIB_CUSTOM* after) {
  if (owner == nullptr) return nullptr;
  for (ATTRIB* a = after != nullptr ? after->next() : owner->first_attrib(); a != nullptr;
       a = a->next()) {
    if (ATTRIB_CUSTOM* custom = a->as_custom()) return custom;
  }
  return nullptr;
}

namespace {

// In order of first registration; names are unique.
std::vector<std::pair<std::string, save_restore_def*>>& factories() {
  static std::vector<std::pair<std::string, save_restore_def*>> registry;
  return registry;
}

}  // namespace

outcome set_save_restore_def(const char* name, save_restore_def* factory) {
  if (name == nullptr || *name == '\0') {
    return outcome::failure("set_save_restore_def: a factory needs a non-empty name");
  }
  auto& registry = factories();
  for (auto it = registry.begin(); it != registry.end(); ++it) {
    if (it->first == name) {
      if (factory == nullptr) {
        registry.erase(it);
      } else {
        it->second = factory;
      }
      return outcome();
    }
  }
  if (factory != nullptr) registry.emplace_back(name, factory);
  return outcome();
}

save_restore_def* find_save_restore_def(const char* name) {
  if (name == nullptr) return nullptr;
  for (const auto& entry : factories()) {
    if (entry.first == name) return entry.second;
  }
  return nullptr;
}

std::size_t registered_save_restore_defs(const char** names, save_restore_def** found,
                                         std::size_t capacity) {
  const auto& registry = factories();
  for (std::size_t i = 0; i < registry.size() && i < capacity; ++i) {
    if (names != nullptr) names[i] = registry[i].first.c_str();
    if (found != nullptr) found[i] = registry[i].second;
  }
  return registry.size();
}

}  // namespace TPI_CUSTOM_ENTITY
