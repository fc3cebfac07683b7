// History streams. A stream records every creation, deletion and change of entities and attributes
// made while it is the default stream; the changes made since the last noted state form the open
// state. Rolling back undoes whole states, newest first; rolling forward redoes them. Entities come
// back at the same addresses with their attributes, topology and geometry as they were. Making a
// new change after rolling back discards the states that could have been rolled forward.
//
// Custom attributes hear of a roll through roll_notify: ROLL_NOTIFY_LEAVING just before the
// attribute leaves the model or its definition is swapped for another, ROLL_NOTIFY_RETURNED just
// after it came back or another definition was reinstated.
//
// Every body belongs to the stream that was the default when it was made. The kernel owns its
// streams; one stream exists from the start and is the default until another is made the default.
// Deleted entities stay in the stream until the states that could bring them back are discarded
// (by set_max_states, clear or delete_stream), and only then is their memory freed.
#pragma once

#include <cstddef>
#include <cstdint>

#include <tagtrack/kernel/heap.h>
#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>

class ENTITY;

namespace tpk_detail {
class stream_log;
struct history_access;
}  // namespace tpk_detail

class TPK_KERNEL_EXPORT HISTORY_STREAM : public TPK::TPK_heap {
 public:
  HISTORY_STREAM(const HISTORY_STREAM&) = delete;
  HISTORY_STREAM& operator=(const HISTORY_STREAM&) = delete;

  // Closes the open state, if it holds any change, so that it can be rolled back as one.
  void note_state();
  // Undoes the open state, if it holds changes, and then whole noted states until `count` states
  // were undone; fails, changing nothing, when fewer than `count` states can be undone.
  outcome roll_back(std::size_t count = 1);
  // Redoes `count` states undone before; fails, changing nothing, when fewer can be redone.
  outcome roll_forward(std::size_t count = 1);

  // States that roll_back can undo (the open state counts when it holds changes), and that
  // roll_forward can redo.
  std::size_t states_behind() const;
  std::size_t states_ahead() const;

  // Keeps at most `count` noted states (0: no limit, the default), discarding the oldest.
  void set_max_states(std::size_t count);
  // Discards every state, keeping the model as it is now.
  void clear();

 private:
  friend struct tpk_detail::history_access;
  HISTORY_STREAM();
  ~HISTORY_STREAM();
  tpk_detail::stream_log* m_log;
};

namespace TPI_HISTORY {

// The stream of the body that `entity` belongs to (an attribute's owner's body); fails, leaving
// `stream` untouched, for an entity without a body.
TPK_KERNEL_EXPORT outcome get_history_from_entity(ENTITY* entity, HISTORY_STREAM*& stream);
// With `create_new` false, gives the current default stream. With true, makes a new stream, makes
// it the default and gives it.
TPK_KERNEL_EXPORT outcome get_default(HISTORY_STREAM*& stream, bool create_new);
// Makes `stream` the default; fails for a null stream or one the kernel does not know.
TPK_KERNEL_EXPORT outcome set_default(HISTORY_STREAM* stream);
// A number that grows whenever a model of any stream may have changed: at every operation, roll and
// clear. Something computed from the models while it keeps one value is still current.
TPK_KERNEL_EXPORT std::uint64_t change_count();
// Discards the stream's states and deletes it. Fails for the default stream and for a stream
// that live bodies still belong to.
TPK_KERNEL_EXPORT outcome delete_stream(HISTORY_STREAM* stream);

}  // namespace TPI_HISTORY
