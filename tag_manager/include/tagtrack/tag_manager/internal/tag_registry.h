// The registry of the tag manager: under each tag list (a copy, ordered by the list ordering), the
// tag attributes recorded with that list, in the kernel's order of their creation, so that the
// order in which duplicates are renumbered never depends on heap addresses. One process-wide instance, empty and
// inactive from load. It does not own the attributes it names, so it must never hold one that has
// left the model: each recorded attribute is found by its handle, not by its tags, and it is
// forgotten whenever the tag attribute hears that it leaves the model (its owner lost, the
// attribute deleted, a roll taking it away) whatever its tags are by then.
#pragma once

#include <map>
#include <set>

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/tagging/internal/tag_events.h>
#include <tagtrack/tagging/tag_info.h>

namespace TPI_TAGGING_TRACKING {

// It listens to the tag attribute's events from its first use on.
class tag_registry final : public tag_events::listener {
 public:
  struct by_creation {
    bool operator()(const ATTRIB_CUSTOM* a, const ATTRIB_CUSTOM* b) const {
      return TPK::creation_order(a) < TPK::creation_order(b);
    }
  };
  using attribs_type = std::set<ATTRIB_CUSTOM*, by_creation>;
  using entries_type = std::map<tag_info, attribs_type>;

  static tag_registry& instance();

  // While active, records `attrib` under a copy of its tag list, moving it there from the entry it
  // was recorded under; an attribute without a list (or a null handle) is left out. Either it
  // succeeds or it throws with the registry as it was (an entry left empty aside).
  void register_attrib(ATTRIB_CUSTOM* attrib);
  // While active, takes `attrib` out of the entry it is recorded under, if any. An entry left empty
  // stays until the registry is emptied. Never throws.
  void unregister_attrib(ATTRIB_CUSTOM* attrib) noexcept;

  void recorded(ATTRIB_CUSTOM* attrib) override { register_attrib(attrib); }
  void forgotten(ATTRIB_CUSTOM* attrib) override { unregister_attrib(attrib); }
  void retagged(ATTRIB_CUSTOM* attrib, const tag_info* tags) override;

  bool active() const { return m_active; }
  void set_active(bool on) { m_active = on; }
  void clear() noexcept;
  const entries_type& entries() const { return m_entries; }

 private:
  tag_registry();
  ~tag_registry();

  void place(ATTRIB_CUSTOM* attrib, const tag_info& tags);

  entries_type m_entries;
  // The entry each recorded attribute is in.
  std::map<ATTRIB_CUSTOM*, entries_type::iterator> m_where;
  bool m_active = false;
};

}  // namespace TPI_TAGGING_TRACKING
