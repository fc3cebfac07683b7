// Carrying bodies over to the result of an Open CASCADE algorithm run on their shapes.
#pragma once

#include <vector>

#include <TopTools_ListOfShape.hxx>
#include <TopoDS_Shape.hxx>

#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>

namespace tagtrack_occt {

// What an algorithm says became of the sub-shapes of its inputs.
class shape_history {
 public:
  virtual ~shape_history() = default;
  // The shapes `input` was modified into (appended to `images`).
  virtual void modified(const TopoDS_Shape& input, TopTools_ListOfShape& images) const = 0;
  // The shapes generated from `input`.
  virtual void generated(const TopoDS_Shape& input, TopTools_ListOfShape& images) const = 0;
};

struct carry_options {
  // Entities that correspond one to one moved with the shape (a transform): their attributes hear
  // trans_owner.
  bool moved = false;
  // Fail when the history names images that are not in the result.
  bool strict = false;
};

// Makes inputs[0] the body of `result` and states what became of every face, edge and vertex of
// the inputs, in one operation: unchanged (same sub-shape) or modified one to one, the same
// entity; modified into several, the first in the result's order keeps the entity and the others
// are split off it; several into one, merged into the one kept; neither in the result nor
// modified into it, lost; a result entity no input became, new, copied from the input entity of
// its kind that generated it, or created. The other inputs are lost once their entities have
// joined inputs[0]. On failure nothing changes.
outcome carry_over(const std::vector<BODY*>& inputs, const TopoDS_Shape& result,
                   const shape_history& history, carry_options options);

}  // namespace tagtrack_occt
