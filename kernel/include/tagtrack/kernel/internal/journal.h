// The history's records. Every change to a model is recorded, before it is made, in the open state
// of the default stream's log; undoing a record puts back what it changed, redoing it makes the
// change again, and discarding it frees what only it still holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class HISTORY_STREAM;

namespace tpk_detail {

class journal_record {
 public:
  virtual ~journal_record() = default;
  // Undo and redo never allocate and never throw: everything they need was made at recording.
  virtual void undo() noexcept = 0;
  virtual void redo() noexcept = 0;
  // The record leaves the history; `applied` tells whether its change is in effect now.
  virtual void discard(bool applied) noexcept = 0;
};

struct history_state {
  std::vector<std::unique_ptr<journal_record>> records;
};

class stream_log {
 public:
  explicit stream_log(HISTORY_STREAM* stream) : m_stream(stream) {}
  stream_log(const stream_log&) = delete;
  stream_log& operator=(const stream_log&) = delete;
  ~stream_log() { clear(); }

  HISTORY_STREAM* stream() const { return m_stream; }

  // Appends to the open state. If it throws, nothing was recorded and the record is destroyed
  // without being discarded.
  void record(std::unique_ptr<journal_record> entry);
  // Makes room so that the next record() cannot throw.
  void reserve_one();
  // The serial of the open state's current operation; a new one for every operation and roll.
  std::uint64_t serial() const { return m_serial; }
  // Starts an operation (possibly inside another, as when a notification edits an attribute):
  // gives the position to abort to and a fresh serial.
  std::size_t begin_operation();
  // Undoes and discards the open state's records from `mark` on.
  void abort_to(std::size_t mark) noexcept;
  // Ends an operation that succeeded. When the outermost operation ends having recorded anything,
  // the states that could have been rolled forward are discarded (a failed operation, and an inner
  // one whose outer operation may still fail, leave them).
  void commit_from(std::size_t mark) noexcept;

  void note_state();
  bool roll_back(std::size_t count);
  bool roll_forward(std::size_t count);
  std::size_t states_behind() const;
  std::size_t states_ahead() const { return m_states.size() - m_applied; }
  void set_max_states(std::size_t count);
  void clear() noexcept;

  // Bodies of this stream that are alive now.
  std::size_t& live_bodies() { return m_live_bodies; }

 private:
  void discard_ahead() noexcept;
  void prune() noexcept;
  static void undo_state(history_state& state) noexcept;
  static void redo_state(history_state& state) noexcept;
  static void discard_state(history_state& state, bool applied) noexcept;
  void fresh_serial();

  HISTORY_STREAM* m_stream;
  std::vector<history_state> m_states;  // noted states, oldest first
  std::size_t m_applied = 0;            // m_states[0, m_applied) are in effect
  history_state m_open;                 // changes since the last noted state, in effect
  std::uint64_t m_serial = 0;
  std::size_t m_max_states = 0;
  std::size_t m_live_bodies = 0;
  std::size_t m_open_operations = 0;
  std::size_t m_outer_mark = 0;  // where the outermost open operation began
};

// The log of the current default stream.
stream_log& recording_log();
// The log of a stream.
stream_log& log_of(HISTORY_STREAM* stream);

}  // namespace tpk_detail
