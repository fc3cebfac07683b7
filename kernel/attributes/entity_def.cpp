#include <tagtrack/kernel/attributes/entity_def.h>

#include <memory>

#include <tagtrack/kernel/attributes/attrib.h>
#include <tagtrack/kernel/internal/journal.h>
#include <tagtrack/kernel/internal/topology_editor.h>
#include <tagtrack/kernel/operations/change_statement.h>
#include <tagtrack/kernel/print.h>

namespace TPI_CUSTOM_ENTITY {

entity_def::~entity_def() = default;
void entity_def::destroy() {}
std::int32_t entity_def::version() const {
  return 0;
}
void entity_def::debug(FILE* fp) const {
  tpk_fprintf(fp, "\tentity_def %s\n", type_name());
}
int entity_def::num_entities() const {
  return 0;
}
int entity_def::entities(ENTITY**) const {
  return 0;
}
bool entity_def::sync(const sync_context&) {
  return true;
}
bool entity_def::roll_notify(const roll_notify_context&) const {
  return true;
}

attrib_def::~attrib_def() = default;
bool attrib_def::copyable() const {
  return true;
}
bool attrib_def::moveable() const {
  return true;
}
bool attrib_def::savable() const {
  return true;
}
bool attrib_def::lose_owner(const lose_owner_context&) const {
  return true;
}
bool attrib_def::split_owner(const split_owner_context&) const {
  return true;
}
bool attrib_def::merge_owner(const merge_owner_context&) const {
  return true;
}
bool attrib_def::trans_owner(const trans_owner_context&) const {
  return true;
}
bool attrib_def::lop_change_owner(const lop_change_owner_context&) const {
  return true;
}
bool attrib_def::replace_owner_surface(const replace_owner_surface_context&) const {
  return true;
}
bool attrib_def::replace_owner_curve(const replace_owner_curve_context&) const {
  return true;
}
bool attrib_def::replace_owner_position(const replace_owner_position_context&) const {
  return true;
}
bool attrib_def::copy_owner(const copy_owner_context&) const {
  return true;
}

save_restore_def::~save_restore_def() = default;
int save_restore_def::pre_save_hint() const {
  return 0;
}
int save_restore_def::post_restore_hint() const {
  return 0;
}

}  // namespace TPI_CUSTOM_ENTITY

namespace TPI_ANNO {

using TPI_CUSTOM_ENTITY::attrib_def;
using TPI_CUSTOM_ENTITY::edit_context;

tag_attrib_def::tag_attrib_def(const tag_attrib_def& other) = default;
tag_attrib_def& tag_attrib_def::operator=(const tag_attrib_def& other) = default;
tag_attrib_def::~tag_attrib_def() = default;

void tag_attrib_def::swap_values(tag_attrib_def& other) noexcept {
  std::swap(m_def_version, other.m_def_version);
  std::swap(m_has_shared_string, other.m_has_shared_string);
  m_shared_string.swap(other.m_shared_string);
}

std::int32_t tag_attrib_def::version() const {
  return m_def_version;
}
int tag_attrib_def::num_entities() const {
  return 0;
}

void tag_attrib_def::debug(FILE* fp) const {
  tpk_fprintf(fp, "\t%s definition version %d shared string \"%s\"\n", type_name(),
              static_cast<int>(m_def_version), m_has_shared_string ? m_shared_string.c_str() : "");
}

bool tag_attrib_def::reset_def_for_edit(const edit_context& ctx, const tag_attrib_def* new_def) {
  if (new_def == nullptr) return false;
  entity_def* copy = new_def->copy_for_backup();
  auto* replacement = dynamic_cast<attrib_def*>(copy);
  if (replacement == nullptr) {
    delete copy;
    return false;
  }
  ctx.replace_definition(replacement);
  return true;
}

void tag_attrib_def::generate_shared_string() {}

bool tag_attrib_def::save(const TPI_CUSTOM_ENTITY::save_context& ctx) {
  ctx.write_string(m_has_shared_string ? m_shared_string.c_str() : "");
  return true;
}

bool tag_attrib_def::restore(const TPI_CUSTOM_ENTITY::restore_context& ctx) {
  std::string shared = ctx.read_string();
  m_has_shared_string = !shared.empty();
  m_shared_string = std::move(shared);
  return true;
}

std::uint32_t tag_attrib_def::check_sum() const {
  // FNV-1a over the type name, the definition version and the shared string.
  std::uint32_t hash = 2166136261u;
  auto mix = [&hash](unsigned char byte) {
    hash ^= byte;
    hash *= 16777619u;
  };
  for (const char* c = type_name(); *c != '\0'; ++c) mix(static_cast<unsigned char>(*c));
  for (int shift = 0; shift < 32; shift += 8) {
    mix(static_cast<unsigned char>(static_cast<std::uint32_t>(m_def_version) >> shift));
  }
  for (char c : m_shared_string) mix(static_cast<unsigned char>(c));
  return hash;
}

const char* tag_attrib_def::get_shared_string() const {
  return m_has_shared_string ? m_shared_string.c_str() : nullptr;
}

void tag_attrib_def::set_shared_string(const char* text) {
  m_has_shared_string = text != nullptr;
  m_shared_string = text != nullptr ? text : "";
}

outcome tag_attrib_def::update_attribute_with_this_def(ATTRIB_CUSTOM* attrib) const {
  if (attrib == nullptr) return outcome::failure("update_attribute_with_this_def: null attribute");
  if (!attrib->alive()) {
    return outcome::failure("update_attribute_with_this_def: the attribute was deleted");
  }
  auto* current = dynamic_cast<tag_attrib_def*>(attrib->def());
  if (current == nullptr) {
    return outcome::failure(
        "update_attribute_with_this_def: the attribute does not hold a tag_attrib_def");
  }
  using tpk_detail::topology_editor;
  TPK::operation_scope scope;
  // The definition may change in place: the history keeps a copy of it as it was.
  std::unique_ptr<entity_def> before(current->copy_for_backup());
  auto* backup = dynamic_cast<attrib_def*>(before.get());
  if (backup == nullptr) {
    return outcome::failure("update_attribute_with_this_def: " + std::string(current->type_name()) +
                            "::copy_for_backup gave no attribute definition");
  }
  auto change = topology_editor::prepare_definition_change(attrib);
  edit_context ctx(attrib);
  bool accepted = false;
  try {
    accepted = current->reset_def_for_edit(ctx, this);
  } catch (...) {
    // The edit may have changed the definition in place before it failed: the copy taken before
    // it goes back in, so the attribute holds exactly what it held.
    before.release();
    topology_editor::install_def(attrib, backup);
    current->destroy();
    delete current;
    throw;
  }
  if (!accepted) {
    return outcome::failure("update_attribute_with_this_def: the attribute's definition (" +
                            std::string(current->type_name()) + ") refused the edit");
  }
  if (attrib_def* replacement = ctx.take_replacement()) {
    topology_editor::install_def(attrib, replacement);
    topology_editor::commit_definition_change(std::move(change), current);
  } else {
    before.release();
    topology_editor::commit_definition_change(std::move(change), backup);
  }
  scope.commit();
  return outcome();
}

}  // namespace TPI_ANNO
