#include "support/tags.h"

#include <gtest/gtest.h>

namespace test_support {

using TPI_TAGGING_TRACKING::generic_tag_attrib_def;
using TPI_TAGGING_TRACKING::tag_data;
using TPI_TAGGING_TRACKING::tag_info;

TPK::tpk_array<char> id(const std::string& text) {
  return TPK::tpk_array<char>(text.data(), text.size());
}

ATTRIB_CUSTOM* tag(ENTITY* owner, const std::string& primary) {
  auto* def = new generic_tag_attrib_def(id(primary));
  ATTRIB_CUSTOM* attrib = nullptr;
  const outcome r = TPI_CUSTOM_ENTITY::add_attrib(owner, def, attrib);
  EXPECT_TRUE(r.ok()) << r.message();
  if (!r.ok()) delete def;
  return attrib;
}

ATTRIB_CUSTOM* tag_attrib_of(ENTITY* owner) {
  TPK::tpk_array<ATTRIB_CUSTOM*> found;
  TPI_CUSTOM_ENTITY::find_attrib(owner, generic_tag_attrib_def::name(), found);
  return found.empty() ? nullptr : found[0];
}

std::string describe(const tag_info& tags) {
  std::string out;
  for (const tag_data& t : tags) {
    if (!out.empty()) out += " ";
    out += std::string(t.m_primary_id.begin(), t.m_primary_id.end()) + "/" +
           std::to_string(t.m_secondary_id) + "[";
    for (std::size_t i = 0; i < t.m_operation_ids.size(); ++i) {
      out += (i ? "," : "") + std::to_string(t.m_operation_ids[i]);
    }
    out += "]";
  }
  return out;
}

std::vector<std::string> tags_of(ENTITY* owner) {
  std::vector<std::string> result;
  ATTRIB_CUSTOM* attrib = tag_attrib_of(owner);
  if (attrib == nullptr) return result;
  const auto* def = static_cast<const generic_tag_attrib_def*>(attrib->def());
  if (def->get_tag_info() == nullptr) return result;
  for (const tag_data& t : *def->get_tag_info()) result.push_back(describe(tag_info(t)));
  return result;
}

std::vector<std::string> registry_summary() {
  std::vector<std::string> lines;
  for (const auto& [key, attribs] : TPI_TAGGING_TRACKING::tag_registry::instance().entries()) {
    lines.push_back(describe(key) + " -> " + std::to_string(attribs.size()));
  }
  return lines;
}

namespace {
TPI_TAGGING_TRACKING::TPK_COPY_ATTRIB_CB g_default_callback;

void reset_tag_state() {
  TPI_TAGGING_TRACKING::activateTagManager(false);
  TPI_TAGGING_TRACKING::register_callback(g_default_callback);
  TPI_TAGGING_TRACKING::unregister_callback(g_default_callback);
}
}  // namespace

tag_state_guard::tag_state_guard() { reset_tag_state(); }
tag_state_guard::~tag_state_guard() { reset_tag_state(); }

}  // namespace test_support
