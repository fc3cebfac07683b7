// A test-only attribute definition that records every notification it receives, in order, with
// the context it came with.
#pragma once

#include <string>
#include <vector>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace test_support {

struct heard {
  std::string label;    // the definition's label
  std::string what;     // "split_owner", "merge_owner", ...
  const ENTITY* owner;  // the attribute's owner when it heard
  const ENTITY* other;  // new entity, other entity, copied attribute, or null
  int value;            // merge flag, roll type, or 0
};

class recorder_def : public TPI_ANNO::tag_attrib_def {
 public:
  explicit recorder_def(std::string label, bool copyable = true)
      : m_label(std::move(label)), m_copyable(copyable) {}
  const char* type_name() const override { return "recorder_def"; }
  TPI_CUSTOM_ENTITY::entity_def* copy_for_backup() const override;
  TPI_CUSTOM_ENTITY::entity_def* copy(const TPI_CUSTOM_ENTITY::copy_context& ctx) const override;
  bool roll_notify(const TPI_CUSTOM_ENTITY::roll_notify_context& ctx) const override;
  bool copyable() const override { return m_copyable; }
  bool lose_owner(const TPI_CUSTOM_ENTITY::lose_owner_context& ctx) const override;
  bool split_owner(const TPI_CUSTOM_ENTITY::split_owner_context& ctx) const override;
  bool merge_owner(const TPI_CUSTOM_ENTITY::merge_owner_context& ctx) const override;
  bool trans_owner(const TPI_CUSTOM_ENTITY::trans_owner_context& ctx) const override;
  bool copy_owner(const TPI_CUSTOM_ENTITY::copy_owner_context& ctx) const override;

  const std::string& label() const { return m_label; }
  // When set, the named notification throws std::runtime_error after recording.
  static inline std::string fail_on;
  static std::vector<heard>& log();

 private:
  // Records the notification and gives true, the answer of a notification handled.
  bool note(const char* what, const ATTRIB_CUSTOM* attrib, const ENTITY* other, int value) const;
  std::string m_label;
  bool m_copyable;
};

// Attaches a recorder labelled `label` to `owner` and gives the attribute.
ATTRIB_CUSTOM* record_on(ENTITY* owner, const std::string& label, bool copyable = true);
// The labels of the recorders on `owner`, in attachment order.
std::vector<std::string> labels_on(ENTITY* owner);
// The notifications heard, as "label:what" strings, in order.
std::vector<std::string> heard_summary();

}  // namespace test_support
