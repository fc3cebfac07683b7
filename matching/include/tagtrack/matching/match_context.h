// What a matcher is told about the current model: the bodies to search, in the order they are
// searched; a history stream and match options carried for the caller (no matcher reads them: tag
// comparisons in matching always use fixed modes).
#pragma once

#include <cstdint>
#include <vector>

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/kernel/boundary/history.h>
#include <tagtrack/tagging/tag_data.h>
#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

class tag_index;

class TAGTRACK_EXPORT MATCH_CONTEXT {
 public:
  // No stream, no bodies, options 5 (primary ids and operation ids).
  MATCH_CONTEXT() = default;
  MATCH_CONTEXT(HISTORY_STREAM* history, const std::vector<BODY*>& bodies, unsigned int options)
      : m_history_stream(history), m_bodies(bodies), m_match_options(options) {}
  MATCH_CONTEXT(const MATCH_CONTEXT&) = default;
  MATCH_CONTEXT& operator=(const MATCH_CONTEXT&) = default;
  virtual ~MATCH_CONTEXT();

  const std::vector<BODY*>& get_bodies() const { return m_bodies; }
  HISTORY_STREAM* get_history_stream() const { return m_history_stream; }
  unsigned int get_match_options() const { return m_match_options; }
  void set_match_options(unsigned int options) { m_match_options = options; }
  // Adds the secondary id to the options.
  void match_secondary_ids() { m_match_options |= compare_secondary_id; }

  // Opts in to a tag index (not owned; null opts out): the matchers then find tag candidates
  // through it when it was built over exactly these bodies, with the same results. The context's
  // copies share it.
  void use_tag_index(tag_index* index) { m_tag_index = index; }
  tag_index* get_tag_index() const { return m_tag_index; }

 private:
  HISTORY_STREAM* m_history_stream = nullptr;
  std::vector<BODY*> m_bodies;
  std::uint32_t m_match_options = compare_loose;
  tag_index* m_tag_index = nullptr;
};

}  // namespace TPI_TAGGING_TRACKING
