#include <cstdlib>
#include <vector>

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/kernel/boundary/history.h>
#include <tagtrack/tag_manager/internal/tag_registry.h>
#include <tagtrack/tag_manager/tag_manager.h>
#include <tagtrack/tagging/generic_tag_attrib_def.h>

namespace TPI_TAGGING_TRACKING {

namespace {

// Puts the default history stream back as it was when the scope began, however it ends.
class default_stream_kept {
 public:
  default_stream_kept() { TPI_HISTORY::get_default(m_stream, false); }
  default_stream_kept(const default_stream_kept&) = delete;
  default_stream_kept& operator=(const default_stream_kept&) = delete;
  ~default_stream_kept() {
    if (m_stream != nullptr) TPI_HISTORY::set_default(m_stream);
  }

 private:
  HISTORY_STREAM* m_stream = nullptr;
};

// Gives the first tag of `attrib` a fresh secondary id from rand(), dropping later tags that it
// becomes equal to, and records the change in the history stream of the attribute's owner.
void renumber(ATTRIB_CUSTOM* attrib) {
  const auto* def =
      dynamic_cast<const generic_tag_attrib_def*>(TPK::ATTRIB_CUSTOM_const_xs(attrib).get_def());
  if (def == nullptr) return;
  generic_tag_attrib_def changed(*def);
  tag_info* tags = changed.get_tag_info_for_change();
  if (tags == nullptr) return;
  std::vector<tag_data> local;
  tags->list_tags(local);
  tags->clear();
  for (std::size_t i = 0; i < local.size(); ++i) {
    if (i == 0) local[0].m_secondary_id = std::rand();
    tags->add_unique(local[i]);
  }
  HISTORY_STREAM* owner_stream = nullptr;
  TPI_HISTORY::get_history_from_entity(TPK::ATTRIB_const_xs(attrib).owner(), owner_stream);
  const default_stream_kept kept;
  if (owner_stream != nullptr) TPI_HISTORY::set_default(owner_stream);
  changed.update_attribute_with_this_def(attrib);
}

// The registry is emptied and the manager left inactive however the resolution ends.
struct registry_emptied {
  tag_registry& registry;
  ~registry_emptied() {
    registry.clear();
    registry.set_active(false);
  }
};

}  // namespace

void manageDupicateTags() {
  tag_registry& registry = tag_registry::instance();
  const registry_emptied emptied{registry};
  // From here on the notifications of the updates below leave the registry alone.
  registry.set_active(false);
  for (const auto& [tags, attribs] : registry.entries()) {
    if (attribs.size() < 2) continue;
    for (ATTRIB_CUSTOM* attrib : attribs) {
      if (attrib != nullptr) renumber(attrib);
    }
  }
}

}  // namespace TPI_TAGGING_TRACKING
