// What a tracker is told about the model it tracks: its history stream (not owned). The trackers
// of this library do not need it; it is carried for callers and future trackers.
#pragma once

#include <tagtrack/kernel/boundary/history.h>
#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

class TAGTRACK_EXPORT TRACK_CONTEXT {
 public:
  TRACK_CONTEXT() = default;
  explicit TRACK_CONTEXT(HISTORY_STREAM* stream) : m_history_stream(stream) {}
  TRACK_CONTEXT(const TRACK_CONTEXT&) = default;
  TRACK_CONTEXT& operator=(const TRACK_CONTEXT&) = default;
  virtual ~TRACK_CONTEXT();
  HISTORY_STREAM* history_stream() const { return m_history_stream; }

 private:
  HISTORY_STREAM* m_history_stream = nullptr;
};

}  // namespace TPI_TAGGING_TRACKING
