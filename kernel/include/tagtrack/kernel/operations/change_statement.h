// The statement of a modelling operation: for every entity it touched, what became of it. It is
// the one way an operation, the kernel's own or one run outside the kernel on the same bodies,
// tells the attributes what happened. The operation changes the topology, then announces its
// statement, and the notifications follow from the statement alone:
//   kept(e)                nothing;
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
//
// Invariants of a statement (check() reports the first one broken; announce() asserts them in
// debug builds): every entry names an entity, and split, merged, copied and replicated name the
// other entity too, never the entity itself; an entity that is lost is not also split, copied,
// replicated or the kept side of a merge; the kept side of a merge is alive when the statement is
// announced. After announce(), every lost entity has left the model.
//
// Announce inside an operation_scope, so that an exception from a notification undoes the whole
// operation, changes and notifications alike.
#pragma once

#include <cstddef>
#include <vector>

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/kernel/kernel_export.h>

namespace tpk_detail {
class stream_log;
}

namespace TPK {

class TPK_KERNEL_EXPORT change_statement {
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

  // Null when the invariants above hold; otherwise what is wrong, in one sentence.
  const char* check() const;

  // Sends the notifications, then removes what was lost.
  void announce() const;

 private:
  std::vector<entry> m_entries;
};

// Makes a modelling operation all or nothing: unless commit() is called, everything the kernel
// recorded in the default history stream since construction (topology changes, attribute changes,
// notifications) is undone and discarded when the scope ends, by an error return or an exception.
class TPK_KERNEL_EXPORT operation_scope {
 public:
  operation_scope();
  operation_scope(const operation_scope&) = delete;
  operation_scope& operator=(const operation_scope&) = delete;
  ~operation_scope();
  void commit();

 private:
  tpk_detail::stream_log* m_log;  // the default stream's log when the scope began
  std::size_t m_mark;
  bool m_committed = false;
};

}  // namespace TPK
