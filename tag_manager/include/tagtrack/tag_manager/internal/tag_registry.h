// The registry of the tag manager: under each tag list (a copy, ordered by the list ordering), the
// tag attributes recorded with that list, ordered by handle. One process-wide instance, empty and
// inactive from load; it does not own the attributes it names and forgets one only when a
// notification unregisters it.
#pragma once

#include <map>
#include <set>

#include <tagtrack/tagging/internal/tag_events.h>
#include <tagtrack/tagging/tag_info.h>

namespace TPI_TAGGING_TRACKING {

// It listens to the tag attribute's events from its first use on.
class tag_registry final : public tag_events::listener {
 public:
  using entries_type = std::map<tag_info, std::set<ATTRIB_CUSTOM*>>;

  static tag_registry& instance();

  // While active, records `attrib` under a copy of its tag list (an attribute without a list, or
  // a null handle, is left out); recording a handle twice keeps one.
  void register_attrib(ATTRIB_CUSTOM* attrib);
  // While active, takes `attrib` out of the entry of its current list, if there is one. An entry
  // left empty stays until the registry is emptied.
  void unregister_attrib(ATTRIB_CUSTOM* attrib);

  void recorded(ATTRIB_CUSTOM* attrib) override { register_attrib(attrib); }
  void forgotten(ATTRIB_CUSTOM* attrib) override { unregister_attrib(attrib); }

  bool active() const { return m_active; }
  void set_active(bool on) { m_active = on; }
  void clear() { m_entries.clear(); }
  const entries_type& entries() const { return m_entries; }

 private:
  tag_registry();
  ~tag_registry();

  entries_type m_entries;
  bool m_active = false;
};

}  // namespace TPI_TAGGING_TRACKING
