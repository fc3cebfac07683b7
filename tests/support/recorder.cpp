#include "support/recorder.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "support/models.h"

namespace test_support {

std::vector<heard>& recorder_def::log() {
  static std::vector<heard> entries;
  return entries;
}

bool recorder_def::note(const char* what, const ATTRIB_CUSTOM* attrib, const ENTITY* other,
                        int value) const {
  log().push_back({m_label, what, attrib ? attrib->owner() : nullptr, other, value});
  if (fail_on == what) throw std::runtime_error("recorder asked to fail");
  return true;
}

TPI_CUSTOM_ENTITY::entity_def* recorder_def::copy_for_backup() const {
  return new recorder_def(*this);
}

TPI_CUSTOM_ENTITY::entity_def* recorder_def::copy(
    const TPI_CUSTOM_ENTITY::copy_context& ctx) const {
  note("copy", TPK::ATTRIB_CUSTOM_const_xs(ctx.entity()).get(), ctx.copied_entity(), 0);
  return new recorder_def(*this);
}

bool recorder_def::roll_notify(const TPI_CUSTOM_ENTITY::roll_notify_context& ctx) const {
  return note("roll_notify", TPK::ATTRIB_CUSTOM_const_xs(ctx.entity()).get(), nullptr,
              ctx.get_type());
}

bool recorder_def::lose_owner(const TPI_CUSTOM_ENTITY::lose_owner_context& ctx) const {
  return note("lose_owner", ctx.get_attrib(), nullptr, 0);
}

bool recorder_def::split_owner(const TPI_CUSTOM_ENTITY::split_owner_context& ctx) const {
  return note("split_owner", ctx.get_attrib(), ctx.new_entity(), 0);
}

bool recorder_def::merge_owner(const TPI_CUSTOM_ENTITY::merge_owner_context& ctx) const {
  return note("merge_owner", ctx.get_attrib(), ctx.other_entity(), ctx.deleting_owner() ? 1 : 0);
}

bool recorder_def::trans_owner(const TPI_CUSTOM_ENTITY::trans_owner_context& ctx) const {
  return note("trans_owner", ctx.get_attrib(), nullptr, 0);
}

bool recorder_def::copy_owner(const TPI_CUSTOM_ENTITY::copy_owner_context& ctx) const {
  return note("copy_owner", ctx.get_attrib(), ctx.new_entity(), 0);
}

ATTRIB_CUSTOM* record_on(ENTITY* owner, const std::string& label, bool copyable) {
  return attach(owner, new recorder_def(label, copyable));
}

std::vector<std::string> labels_on(ENTITY* owner) {
  std::vector<std::string> labels;
  TPK::tpk_array<ATTRIB_CUSTOM*> found;
  TPI_CUSTOM_ENTITY::find_attrib(owner, "recorder_def", found);
  for (ATTRIB_CUSTOM* a : found) labels.push_back(static_cast<recorder_def*>(a->def())->label());
  return labels;
}

std::vector<std::string> heard_summary() {
  std::vector<std::string> summary;
  for (const heard& h : recorder_def::log()) summary.push_back(h.label + ":" + h.what);
  return summary;
}

}  // namespace test_support
