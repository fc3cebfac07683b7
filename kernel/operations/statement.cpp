#include <tagtrack/kernel/internal/statement.h>

#include <memory>

#include <tagtrack/kernel/attributes/attrib.h>
#include <tagtrack/kernel/attributes/contexts.h>
#include <tagtrack/kernel/internal/topology_editor.h>

namespace tpk_detail {

namespace {

using TPI_CUSTOM_ENTITY::attrib_def;

std::vector<ATTRIB_CUSTOM*> custom_attribs(const ENTITY* e) {
  std::vector<ATTRIB_CUSTOM*> found;
  for (ATTRIB* a = e->first_attrib(); a != nullptr; a = a->next()) {
    if (ATTRIB_CUSTOM* custom = a->as_custom()) found.push_back(custom);
  }
  return found;
}

bool still_on(const ATTRIB_CUSTOM* attrib, const ENTITY* owner) {
  return attrib->alive() && attrib->owner() == owner && attrib->def() != nullptr;
}

// Gives `copy` a counterpart of each copyable attribute of `source`.
void replicate(const std::vector<ATTRIB_CUSTOM*>& attribs, ENTITY* copy) {
  for (ATTRIB_CUSTOM* attrib : attribs) {
    if (!attrib->alive() || attrib->def() == nullptr || !attrib->def()->copyable()) continue;
    ATTRIB_CUSTOM* counterpart = topology_editor::new_custom_attrib(copy);
    std::unique_ptr<TPI_CUSTOM_ENTITY::entity_def> made(
        attrib->def()->copy(TPI_CUSTOM_ENTITY::copy_context(attrib, counterpart)));
    if (auto* def = dynamic_cast<attrib_def*>(made.get())) {
      made.release();
      topology_editor::install_def(counterpart, def);
    } else {
      // A definition that gives no copy leaves the copy without the attribute.
      topology_editor::detach(counterpart);
      topology_editor::kill(counterpart);
    }
  }
}

void remove_with_attributes(ENTITY* e) {
  for (ATTRIB* a = e->first_attrib(); a != nullptr; a = a->next()) {
    if (a->alive()) topology_editor::kill(a);
  }
  if (e->alive()) topology_editor::kill(e);
}

}  // namespace

void change_statement::announce() const {
  std::vector<std::vector<ATTRIB_CUSTOM*>> before;
  std::vector<std::vector<ATTRIB_CUSTOM*>> other_before;
  before.reserve(m_entries.size());
  other_before.reserve(m_entries.size());
  for (const entry& e : m_entries) {
    before.push_back(custom_attribs(e.entity));
    other_before.push_back(e.what == fate::merged ? custom_attribs(e.other)
                                                  : std::vector<ATTRIB_CUSTOM*>());
  }
  for (std::size_t i = 0; i < m_entries.size(); ++i) {
    const entry& e = m_entries[i];
    switch (e.what) {
      case fate::kept:
      case fate::created:
        break;
      case fate::moved:
        for (ATTRIB_CUSTOM* a : before[i]) {
          if (still_on(a, e.entity))
            a->def()->trans_owner(TPI_CUSTOM_ENTITY::trans_owner_context(a));
        }
        break;
      case fate::split:
        for (ATTRIB_CUSTOM* a : before[i]) {
          if (still_on(a, e.entity)) {
            a->def()->split_owner(TPI_CUSTOM_ENTITY::split_owner_context(a, e.other));
          }
        }
        break;
      case fate::copied:
        for (ATTRIB_CUSTOM* a : before[i]) {
          if (still_on(a, e.entity)) {
            a->def()->copy_owner(TPI_CUSTOM_ENTITY::copy_owner_context(a, e.other));
          }
        }
        break;
      case fate::merged:
        for (ATTRIB_CUSTOM* a : before[i]) {
          if (still_on(a, e.entity)) {
            a->def()->merge_owner(TPI_CUSTOM_ENTITY::merge_owner_context(a, e.other, true));
          }
        }
        for (ATTRIB_CUSTOM* a : other_before[i]) {
          if (still_on(a, e.other)) {
            a->def()->merge_owner(TPI_CUSTOM_ENTITY::merge_owner_context(a, e.entity, false));
          }
        }
        break;
      case fate::replicated:
        replicate(before[i], e.other);
        break;
      case fate::lost:
        for (ATTRIB_CUSTOM* a : before[i]) {
          if (still_on(a, e.entity)) a->def()->lose_owner(TPI_CUSTOM_ENTITY::lose_owner_context(a));
        }
        break;
    }
  }
  for (const entry& e : m_entries) {
    if (e.what == fate::lost) remove_with_attributes(e.entity);
  }
}

}  // namespace tpk_detail
