// The picture of the road of one reference: the model before and after the edit side by side in
// one SVG, at one scale, hidden lines dashed, with the edge remembered and the edges the recipe
// found highlighted.
#pragma once

#include <string>
#include <vector>

#include <TopoDS_Shape.hxx>

namespace tagtrack_tool {

class demo_picture {
 public:
  // Adds a drawing of `model` with `edges` highlighted in `colour`.
  void add(const std::string& caption, const char* colour, const TopoDS_Shape& model,
           const std::vector<TopoDS_Shape>& edges);

  // Writes the SVG file; false with the reason when it cannot be written.
  bool write(const std::string& path, std::string& error) const;

 private:
  struct drawing {
    std::string caption;
    const char* colour = "";
    TopoDS_Shape model;
    std::vector<TopoDS_Shape> marked;
  };
  std::vector<drawing> m_drawings;
};

}  // namespace tagtrack_tool
