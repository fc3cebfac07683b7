// The statement of a modelling operation: for every entity it touched, what became of it. The
// operation changes the topology, then announces its statement, and the attribute notifications
// follow from the statement alone:
//   moved(e)               each custom attribute of e hears trans_owner;
//   split(e, piece)        each hears split_owner naming the piece the split made;
//   merged(gone, kept)     each attribute of `gone` hears merge_owner(kept, deleting = true), then
//                          each attribute of `kept` hears merge_owner(gone, deleting = false);
//   copied(e, copy)        each hears copy_owner naming the copy;
//   replicated(e, copy)    each attribute whose definition is copyable() gets a counterpart on the
//                          copy, holding the definition's copy(copy_context(attribute,
//                          counterpart));
//   created(e)             nothing: a new entity has no attributes yet;
//   lost(e)                each hears lose_owner; then e and its attributes leave the model.
// Entries are announced in the order they were stated; the attributes of an entity in their
// order, as they were when the announcement began (an attribute added by a notification is not
// notified in the same announcement, one removed meanwhile is skipped).
#pragma once

#include <vector>

#include <tagtrack/kernel/topology/entity.h>

namespace tpk_detail {

class change_statement {
 public:
  enum class fate { kept, moved, split, merged, copied, replicated, created, lost };
  struct entry {
    ENTITY* entity;
    fate what;
    ENTITY* other;
  };

  void kept(ENTITY* e) { m_entries.push_back({e, fate::kept, nullptr}); }
  void moved(ENTITY* e) { m_entries.push_back({e, fate::moved, nullptr}); }
  void split(ENTITY* e, ENTITY* piece) { m_entries.push_back({e, fate::split, piece}); }
  void merged(ENTITY* gone, ENTITY* kept) { m_entries.push_back({gone, fate::merged, kept}); }
  void copied(ENTITY* e, ENTITY* copy) { m_entries.push_back({e, fate::copied, copy}); }
  void replicated(ENTITY* e, ENTITY* copy) { m_entries.push_back({e, fate::replicated, copy}); }
  void created(ENTITY* e) { m_entries.push_back({e, fate::created, nullptr}); }
  void lost(ENTITY* e) { m_entries.push_back({e, fate::lost, nullptr}); }

  const std::vector<entry>& entries() const { return m_entries; }

  // Sends the notifications, then removes what was lost. Runs inside the operation's scope: if a
  // notification throws, the whole operation is undone.
  void announce() const;

 private:
  std::vector<entry> m_entries;
};

}  // namespace tpk_detail
