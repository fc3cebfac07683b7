#include "support/tags.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "support/models.h"

namespace test_support {

using TPI_TAGGING_TRACKING::generic_tag_attrib_def;
using TPI_TAGGING_TRACKING::tag_data;
using TPI_TAGGING_TRACKING::tag_info;

TPK::tpk_array<char> id(const std::string& text) {
  return TPK::tpk_array<char>(text.data(), text.size());
}

ATTRIB_CUSTOM* tag(ENTITY* owner, const std::string& primary) {
  return attach(owner, new generic_tag_attrib_def(id(primary)));
}

ATTRIB_CUSTOM* set_tags(ENTITY* owner, const std::string& description) {
  generic_tag_attrib_def def;
  *def.get_tag_info_for_change() = tags_from(description);
  ATTRIB_CUSTOM* attrib = tag_attrib_of(owner);
  if (attrib == nullptr) attrib = tag(owner, "");
  const outcome r = def.update_attribute_with_this_def(attrib);
  EXPECT_TRUE(r.ok()) << r.message();
  return attrib;
}

void tag_faces(BODY* body, const std::string& prefix) {
  for (std::size_t i = 0; i < body->faces().size(); ++i)
    tag(body->faces()[i], prefix + std::to_string(i));
}

void name_faces(BODY* block) {
  const char* names[] = {"BOTTOM", "TOP", "FRONT", "RIGHT", "BACK", "LEFT"};
  for (int i = 0; i < 6; ++i) set_tags(block->faces()[i], names[i]);
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

tag_info tags_from(const std::string& description) {
  tag_info tags;
  std::size_t at = 0;
  while (at < description.size()) {
    std::size_t end = description.find(' ', at);
    if (end == std::string::npos) end = description.size();
    const std::string word = description.substr(at, end - at);
    at = end + 1;
    if (word.empty()) continue;
    const std::size_t slash = word.find('/'), bracket = word.find('[');
    tag_data tag(id(word.substr(0, std::min(slash, bracket))));
    if (slash != std::string::npos) tag.m_secondary_id = std::stoi(word.substr(slash + 1));
    if (bracket != std::string::npos) {
      std::string ops = word.substr(bracket + 1, word.size() - bracket - 2);
      for (std::size_t p = 0; p < ops.size();) {
        std::size_t comma = ops.find(',', p);
        if (comma == std::string::npos) comma = ops.size();
        tag.m_operation_ids.push_back(std::stoi(ops.substr(p, comma - p)));
        p = comma + 1;
      }
    }
    tags.append(tag);
  }
  return tags;
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

tag_state_guard::tag_state_guard() {
  reset_tag_state();
}
tag_state_guard::~tag_state_guard() {
  reset_tag_state();
}

}  // namespace test_support
