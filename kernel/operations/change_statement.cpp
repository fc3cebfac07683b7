#include <tagtrack/kernel/operations/change_statement.h>

#include <cassert>
#include <memory>
#include <unordered_set>

#include <tagtrack/kernel/attributes/attrib.h>
#include <tagtrack/kernel/attributes/contexts.h>
#include <tagtrack/kernel/internal/journal.h>
#include <tagtrack/kernel/internal/topology_editor.h>

namespace TPK {

namespace {

using TPI_CUSTOM_ENTITY::attrib_def;
using tpk_detail::topology_editor;

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

const char* change_statement::check() const {
  std::unordered_set<const ENTITY*> lost;
  for (const entry& e : m_entries) {
    if (e.entity == nullptr) return "an entry names no entity";
    if (e.what == fate::lost) lost.insert(e.entity);
  }
  for (const entry& e : m_entries) {
    switch (e.what) {
      case fate::split:
      case fate::merged:
      case fate::copied:
      case fate::replicated:
        if (e.other == nullptr || e.other == e.entity) {
          return "a split, merge or copy does not name another entity";
        }
        if (e.what != fate::merged && lost.count(e.entity) != 0) {
          return "an entity is both lost and split or copied";
        }
        if (e.what == fate::merged && (lost.count(e.other) != 0 || !e.other->alive())) {
          return "a merge keeps an entity that does not survive";
        }
        break;
      default:
        break;
    }
  }
  return nullptr;
}

void change_statement::announce() const {
  assert(check() == nullptr);
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
#ifndef NDEBUG
  for (const entry& e : m_entries) assert(e.what != fate::lost || !e.entity->alive());
#endif
}

operation_scope::operation_scope()
    : m_log(&tpk_detail::recording_log()), m_mark(m_log->begin_operation()) {}

operation_scope::~operation_scope() {
  if (!m_committed) m_log->abort_to(m_mark);
}

void operation_scope::commit() {
  m_committed = true;
  m_log->commit_from(m_mark);
}

}  // namespace TPK
