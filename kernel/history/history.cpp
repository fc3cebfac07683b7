#include <tagtrack/kernel/history/history.h>

#include <algorithm>
#include <memory>
#include <vector>

#include <tagtrack/kernel/internal/journal.h>
#include <tagtrack/kernel/topology/entity.h>
#include <tagtrack/kernel/topology/topology.h>

namespace tpk_detail {

namespace {
std::uint64_t g_next_serial = 1;
}

void stream_log::fresh_serial() {
  m_serial = g_next_serial++;
}

void stream_log::reserve_one() {
  auto& records = m_open.records;
  if (records.size() == records.capacity()) {
    records.reserve(records.empty() ? 64 : 2 * records.size());
  }
}

void stream_log::record(std::unique_ptr<journal_record> entry) {
  reserve_one();
  m_open.records.push_back(std::move(entry));
}

std::size_t stream_log::begin_operation() {
  fresh_serial();
  if (m_open_operations++ == 0) m_outer_mark = m_open.records.size();
  return m_open.records.size();
}

void stream_log::abort_to(std::size_t mark) noexcept {
  auto& records = m_open.records;
  while (records.size() > mark) {
    records.back()->undo();
    records.back()->discard(false);
    records.pop_back();
  }
  if (m_open_operations > 0) --m_open_operations;
  fresh_serial();
}

void stream_log::commit_from(std::size_t) noexcept {
  if (m_open_operations > 0) --m_open_operations;
  if (m_open_operations == 0 && m_open.records.size() > m_outer_mark &&
      m_applied < m_states.size()) {
    discard_ahead();
  }
}

void stream_log::note_state() {
  if (m_open.records.empty()) return;
  if (m_applied < m_states.size()) discard_ahead();
  m_states.push_back(std::move(m_open));
  m_open = history_state();
  ++m_applied;
  fresh_serial();
  prune();
}

std::size_t stream_log::states_behind() const {
  return m_applied + (m_open.records.empty() ? 0 : 1);
}

bool stream_log::roll_back(std::size_t count) {
  if (count > states_behind()) return false;
  if (count == 0) return true;
  if (!m_open.records.empty()) {
    m_states.push_back(std::move(m_open));
    m_open = history_state();
    ++m_applied;
  }
  for (std::size_t i = 0; i < count; ++i) undo_state(m_states[--m_applied]);
  fresh_serial();
  return true;
}

bool stream_log::roll_forward(std::size_t count) {
  if (count > states_ahead() || !m_open.records.empty()) return count == 0;
  for (std::size_t i = 0; i < count; ++i) redo_state(m_states[m_applied++]);
  fresh_serial();
  return true;
}

void stream_log::set_max_states(std::size_t count) {
  m_max_states = count;
  prune();
}

void stream_log::clear() noexcept {
  discard_ahead();
  for (history_state& state : m_states) discard_state(state, true);
  m_states.clear();
  m_applied = 0;
  discard_state(m_open, true);
  m_open.records.clear();
  fresh_serial();
}

void stream_log::discard_ahead() noexcept {
  // Newest first: each record is discarded in the reverse order of its making.
  while (m_states.size() > m_applied) {
    discard_state(m_states.back(), false);
    m_states.pop_back();
  }
}

void stream_log::prune() noexcept {
  if (m_max_states == 0 || m_applied <= m_max_states) return;
  const std::size_t excess = m_applied - m_max_states;
  for (std::size_t i = 0; i < excess; ++i) discard_state(m_states[i], true);
  m_states.erase(m_states.begin(), m_states.begin() + static_cast<std::ptrdiff_t>(excess));
  m_applied -= excess;
}

void stream_log::undo_state(history_state& state) noexcept {
  for (auto it = state.records.rbegin(); it != state.records.rend(); ++it) (*it)->undo();
}

void stream_log::redo_state(history_state& state) noexcept {
  for (auto& record : state.records) record->redo();
}

void stream_log::discard_state(history_state& state, bool applied) noexcept {
  // An applied state is discarded oldest record first, an undone one newest first, so that a
  // record is always discarded while the model is as it left it.
  if (applied) {
    for (auto& record : state.records) record->discard(true);
  } else {
    for (auto it = state.records.rbegin(); it != state.records.rend(); ++it) (*it)->discard(false);
  }
  state.records.clear();
}

struct history_access {
  static HISTORY_STREAM* make() { return new HISTORY_STREAM(); }
  static void destroy(HISTORY_STREAM* stream) { delete stream; }
  static stream_log& log(HISTORY_STREAM* stream) { return *stream->m_log; }
};

namespace {

struct stream_deleter {
  void operator()(HISTORY_STREAM* stream) const { history_access::destroy(stream); }
};

// The kernel's streams, in order of creation.
struct stream_registry {
  std::vector<std::unique_ptr<HISTORY_STREAM, stream_deleter>> streams;
  HISTORY_STREAM* current = nullptr;

  HISTORY_STREAM* make_default() {
    streams.reserve(streams.size() + 1);
    streams.emplace_back(history_access::make());
    current = streams.back().get();
    return current;
  }
  HISTORY_STREAM* default_stream() { return current != nullptr ? current : make_default(); }
  auto find(const HISTORY_STREAM* stream) {
    return std::find_if(streams.begin(), streams.end(),
                        [stream](const auto& s) { return s.get() == stream; });
  }
  ~stream_registry() {
    // Newest first, so that entities held by several streams are freed by the last.
    while (!streams.empty()) streams.pop_back();
  }
};

stream_registry& registry() {
  static stream_registry instance;
  return instance;
}

}  // namespace

stream_log& recording_log() {
  return history_access::log(registry().default_stream());
}
stream_log& log_of(HISTORY_STREAM* stream) {
  return history_access::log(stream);
}

}  // namespace tpk_detail

HISTORY_STREAM::HISTORY_STREAM() : m_log(new tpk_detail::stream_log(this)) {}
HISTORY_STREAM::~HISTORY_STREAM() {
  delete m_log;
}

void HISTORY_STREAM::note_state() {
  m_log->note_state();
}

outcome HISTORY_STREAM::roll_back(std::size_t count) {
  if (!m_log->roll_back(count)) {
    return outcome::failure("roll_back: only " + std::to_string(m_log->states_behind()) +
                            " state(s) can be rolled back");
  }
  return outcome();
}

outcome HISTORY_STREAM::roll_forward(std::size_t count) {
  if (!m_log->roll_forward(count)) {
    return outcome::failure("roll_forward: only " + std::to_string(m_log->states_ahead()) +
                            " state(s) can be rolled forward");
  }
  return outcome();
}

std::size_t HISTORY_STREAM::states_behind() const {
  return m_log->states_behind();
}
std::size_t HISTORY_STREAM::states_ahead() const {
  return m_log->states_ahead();
}
void HISTORY_STREAM::set_max_states(std::size_t count) {
  m_log->set_max_states(count);
}
void HISTORY_STREAM::clear() {
  m_log->clear();
}

namespace TPI_HISTORY {

std::uint64_t change_count() {
  return tpk_detail::g_next_serial;
}

outcome get_history_from_entity(ENTITY* entity, HISTORY_STREAM*& stream) {
  BODY* body = entity != nullptr ? entity->body() : nullptr;
  if (body == nullptr) return outcome::failure("get_history_from_entity: the entity has no body");
  stream = body->history();
  return outcome();
}

outcome get_default(HISTORY_STREAM*& stream, bool create_new) {
  auto& r = tpk_detail::registry();
  stream = create_new ? r.make_default() : r.default_stream();
  return outcome();
}

outcome set_default(HISTORY_STREAM* stream) {
  auto& r = tpk_detail::registry();
  if (stream == nullptr || r.find(stream) == r.streams.end()) {
    return outcome::failure("set_default: not a history stream of this kernel");
  }
  r.current = stream;
  return outcome();
}

outcome delete_stream(HISTORY_STREAM* stream) {
  auto& r = tpk_detail::registry();
  const auto it = r.find(stream);
  if (stream == nullptr || it == r.streams.end()) {
    return outcome::failure("delete_stream: not a history stream of this kernel");
  }
  if (stream == r.default_stream()) {
    return outcome::failure("delete_stream: the default stream cannot be deleted");
  }
  if (tpk_detail::log_of(stream).live_bodies() != 0) {
    return outcome::failure("delete_stream: live bodies still belong to the stream");
  }
  r.streams.erase(it);
  return outcome();
}

}  // namespace TPI_HISTORY
