#include <tagtrack/tagging/generic_tag_attrib_def.h>

#include <memory>
#include <utility>

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/tagging/internal/tag_events.h>

namespace TPI_TAGGING_TRACKING {

namespace {

// Numbers every construction; a plain process-wide integer, used from one thread at a time.
std::int32_t g_next_debug_id = 1;

const generic_tag_attrib_def* as_tag_def(const TPI_CUSTOM_ENTITY::entity_def* def) {
  return dynamic_cast<const generic_tag_attrib_def*>(def);
}

}  // namespace

generic_tag_attrib_def::generic_tag_attrib_def()
    : m_tag_info(new tag_info()), m_debug_id(g_next_debug_id++) {
  set_def_version(generic_tag_attrib_def_version);
}

generic_tag_attrib_def::generic_tag_attrib_def(TPK::tpk_array<char> primary_id)
    : m_tag_info(new tag_info(tag_data(std::move(primary_id)))), m_debug_id(g_next_debug_id++) {
  set_def_version(generic_tag_attrib_def_version);
}

generic_tag_attrib_def::generic_tag_attrib_def(const generic_tag_attrib_def& other)
    : TPI_ANNO::tag_attrib_def(other),
      m_tag_info(other.m_tag_info ? new tag_info(*other.m_tag_info) : nullptr),
      m_debug_id(g_next_debug_id++) {}

generic_tag_attrib_def::generic_tag_attrib_def(const generic_tag_attrib_def& other, unnumbered_copy)
    : TPI_ANNO::tag_attrib_def(other),
      m_tag_info(other.m_tag_info ? new tag_info(*other.m_tag_info) : nullptr),
      m_debug_id(0) {}

generic_tag_attrib_def& generic_tag_attrib_def::operator=(const generic_tag_attrib_def& other) {
  if (this == &other) return *this;
  if (other.m_tag_info == nullptr) {
    // A source without a list leaves the target's tags as they are.
    TPI_ANNO::tag_attrib_def::operator=(other);
    return *this;
  }
  if (m_tag_info == nullptr) {
    m_tag_info = new tag_info(*other.m_tag_info);
  } else {
    *m_tag_info = *other.m_tag_info;
  }
  TPI_ANNO::tag_attrib_def::operator=(other);
  return *this;
}

generic_tag_attrib_def::~generic_tag_attrib_def() {
  delete m_tag_info;
}

const char* generic_tag_attrib_def::name() {
  return "generic_tag_attrib_def";
}

void generic_tag_attrib_def::destroy() {}

const char* generic_tag_attrib_def::type_name() const {
  return name();
}

TPI_CUSTOM_ENTITY::entity_def* generic_tag_attrib_def::copy_for_backup() const {
  return new generic_tag_attrib_def(*this);
}

TPI_CUSTOM_ENTITY::entity_def* generic_tag_attrib_def::copy(
    const TPI_CUSTOM_ENTITY::copy_context& ctx) const {
  const ATTRIB_CUSTOM* source = TPK::ATTRIB_CUSTOM_const_xs(ctx.entity()).get();
  const ATTRIB_CUSTOM* copied = TPK::ATTRIB_CUSTOM_xs(ctx.copied_entity()).get();
  if (source == nullptr || copied == nullptr || source == copied) {
    tpk_printf("ERROR: copy_context::copied_entity is incorrect\n");
  }
  return new generic_tag_attrib_def(*this);
}

bool generic_tag_attrib_def::roll_notify(const TPI_CUSTOM_ENTITY::roll_notify_context& ctx) const {
  ATTRIB_CUSTOM* attrib = TPK::ATTRIB_CUSTOM_xs(ctx.entity()).get();
  switch (ctx.get_type()) {
    case TPI_CUSTOM_ENTITY::ROLL_NOTIFY_LEAVING:
      tag_events::forgotten(attrib);
      break;
    case TPI_CUSTOM_ENTITY::ROLL_NOTIFY_RETURNED:
      tag_events::recorded(attrib);
      break;
    default:
      break;
  }
  return true;
}

bool generic_tag_attrib_def::copyable() const {
  return tag_events::copy_allowed();
}

bool generic_tag_attrib_def::lose_owner(const TPI_CUSTOM_ENTITY::lose_owner_context& ctx) const {
  tag_events::forgotten(ctx.get_attrib());
  return true;
}

void generic_tag_attrib_def::follow_to(ATTRIB_CUSTOM* attrib, ENTITY* entity) const {
  auto copy = std::make_unique<generic_tag_attrib_def>(*this);
  ATTRIB_CUSTOM* new_attrib = nullptr;
  // The kernel owns the copy once attached; if it refuses it, the copy is released here.
  if (TPI_CUSTOM_ENTITY::add_attrib(entity, copy.get(), new_attrib).ok()) copy.release();
  tag_events::recorded(attrib);
  tag_events::recorded(new_attrib);
}

bool generic_tag_attrib_def::split_owner(const TPI_CUSTOM_ENTITY::split_owner_context& ctx) const {
  follow_to(ctx.get_attrib(), ctx.new_entity());
  return true;
}

bool generic_tag_attrib_def::copy_owner(const TPI_CUSTOM_ENTITY::copy_owner_context& ctx) const {
  follow_to(ctx.get_attrib(), ctx.new_entity());
  return true;
}

bool generic_tag_attrib_def::merge_owner(const TPI_CUSTOM_ENTITY::merge_owner_context& ctx) const {
  if (!ctx.deleting_owner()) return true;
  ENTITY* other = ctx.other_entity();
  TPK::tpk_array<ATTRIB_CUSTOM*> attribs;
  TPI_CUSTOM_ENTITY::find_attrib(other, nullptr, attribs);
  for (ATTRIB_CUSTOM* attrib : attribs) {
    const generic_tag_attrib_def* def = as_tag_def(TPK::ATTRIB_CUSTOM_const_xs(attrib).get_def());
    if (def == nullptr) continue;
    generic_tag_attrib_def merged(*def);
    if (m_tag_info == nullptr) return false;
    tag_info* tags = merged.get_tag_info_for_change();
    if (tags == nullptr) {
      merged.set_tag_info(new tag_info());
      tags = merged.get_tag_info_for_change();
    }
    for (const tag_data& tag : *m_tag_info) tags->add_unique(tag);
    merged.update_attribute_with_this_def(attrib);
    return true;
  }
  auto copy = std::make_unique<generic_tag_attrib_def>(*this);
  ATTRIB_CUSTOM* new_attrib = nullptr;
  if (TPI_CUSTOM_ENTITY::add_attrib(other, copy.get(), new_attrib).ok()) copy.release();
  return true;
}

bool generic_tag_attrib_def::reset_def_for_edit(const TPI_CUSTOM_ENTITY::edit_context& ctx,
                                                const TPI_ANNO::tag_attrib_def* new_def) {
  const generic_tag_attrib_def* source = as_tag_def(new_def);
  if (source == nullptr) return false;
  ATTRIB_CUSTOM* attrib = get_attrib();
  // An edit offered for another attribute than the one holding this definition is refused.
  if (attrib != ctx.get_attrib()) return false;
  // All or nothing: the edit is made on a copy, the tag manager moves the attribute to its new
  // tags (or keeps it where it was, if that fails), and only then does the copy's state come in,
  // by exchanges that cannot fail.
  generic_tag_attrib_def staged(*this, unnumbered_copy{});
  staged = *source;
  tag_events::retagged(attrib, staged.m_tag_info);
  swap_values(staged);
  std::swap(m_tag_info, staged.m_tag_info);
  return true;
}

void generic_tag_attrib_def::set_tag_info(tag_info* tags) {
  if (tags == m_tag_info) return;
  delete m_tag_info;
  m_tag_info = tags;
}

bool generic_tag_attrib_def::prepend_operation_id(int id, bool negate) {
  if (id < 1 || m_tag_info == nullptr) return false;
  m_tag_info->add_operation_id(negate ? -id : id);
  return true;
}

}  // namespace TPI_TAGGING_TRACKING
