// The picture of the road of one reference: the model before and after the edit side by side in
// one SVG, at one scale, with the edge remembered and the edges the recipe found highlighted.
#pragma once

#include <string>
#include <vector>

#include <TopoDS_Shape.hxx>
#include <gp_Pnt.hxx>

#include <tagtrack/kernel/kernel.h>

namespace tagtrack_tool {

class demo_picture {
 public:
  // Open CASCADE models are drawn with hidden lines removed (dashed); the reference kernel's are
  // drawn as every edge seen through the solid, since the kernel has no hidden-line algorithm.
  explicit demo_picture(bool open_cascade) : m_open_cascade(open_cascade) {}

  // Adds a drawing of `model` with `edges` highlighted in `colour`. What it needs is copied now:
  // the road deletes its models.
  void add(const std::string& caption, const char* colour, BODY* model,
           const std::vector<const EDGE*>& edges);

  // Writes the SVG file; false with the reason when it cannot be written.
  bool write(const std::string& path, std::string& error) const;

 private:
  struct drawing {
    std::string caption;
    const char* colour = "";
    TopoDS_Shape model;                             // Open CASCADE
    std::vector<TopoDS_Shape> marked;               // Open CASCADE
    std::vector<std::vector<gp_Pnt>> lines;         // the reference kernel: every edge
    std::vector<std::vector<gp_Pnt>> marked_lines;  // the reference kernel
  };

  bool m_open_cascade;
  std::vector<drawing> m_drawings;
};

}  // namespace tagtrack_tool
