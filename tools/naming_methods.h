// The ways a reference is named and found again that the scenario runner compares: tagtrack's
// tags and recipes, Open CASCADE's own naming (TNaming), and index naming (the entity's number in
// TopExp::MapShapes order of the feature's result).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <TopoDS_Shape.hxx>

#include "scenario_build.h"
#include "scenario_file.h"

namespace tagtrack_tool {

class naming_method {
 public:
  virtual ~naming_method() = default;
  // "tagtrack", "tnaming" or "index".
  virtual const char* name() const = 0;
  // Before each build of the history, from scratch; `uses` counts, per feature id, the later
  // features that use its result.
  virtual void begin_build(const std::map<std::string, int>& uses) = 0;
  virtual void end_build() = 0;
  // After feature `id` ran; false (the feature then counts as failed) when the method cannot
  // follow it.
  virtual bool feature_done(const std::string& id, int number, const feature_run& run) = 0;
  // In the first build, right after the reference's `after` feature: `entity` is the picked
  // sub-shape of that feature's result.
  virtual void remember(const scenario_reference& r, const TopoDS_Shape& entity) = 0;
  // In every build, right after the reference's `after` feature: the sub-shapes of that
  // feature's result the method finds for the reference.
  virtual std::vector<TopoDS_Shape> resolve(const scenario_reference& r) = 0;
};

std::unique_ptr<naming_method> make_tagtrack_method();
std::unique_ptr<naming_method> make_index_method();
std::unique_ptr<naming_method> make_tnaming_method();

}  // namespace tagtrack_tool
