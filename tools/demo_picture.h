// The picture of the road of one reference: the model before and after the edit side by side in
// one SVG, at one scale, hidden lines dashed, each drawing with its caption and the parameters it
// was built with (the edited ones marked), the edge remembered or found and the fillet's faces
// marked, and a legend of the marks under the drawings.
#pragma once

#include <string>
#include <vector>

#include <TopoDS_Shape.hxx>

namespace tagtrack_tool {

class demo_picture {
 public:
  // What a drawing marks over its model.
  enum class mark { remembered, found, fillet };

  // Adds a drawing of `model` under `caption`, with `notes` (one line each: the parameters, the
  // edit) written below the caption.
  void add(const std::string& caption, const std::vector<std::string>& notes,
           const TopoDS_Shape& model);
  // Marks entities on the drawing added last: edges as lines, faces filled.
  void mark_on_last(mark what, const std::vector<TopoDS_Shape>& entities);

  // Writes the SVG file; false with the reason when it cannot be written.
  bool write(const std::string& path, std::string& error) const;

 private:
  struct drawing {
    std::string caption;
    std::vector<std::string> notes;
    TopoDS_Shape model;
    std::vector<std::pair<mark, std::vector<TopoDS_Shape>>> marks;
  };
  std::vector<drawing> m_drawings;
};

}  // namespace tagtrack_tool
