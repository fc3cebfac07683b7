// Writes the seeds of occt_model_file_fuzzer into the directory given: model files that the
// library saved from imported Open CASCADE shapes (a box, a cylinder, and both), every face tagged
// with the operation that made it.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/occt/shape_bodies.h>
#include <tagtrack/tagging_tracking.h>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <gp_Ax2.hxx>

namespace TT = TPI_TAGGING_TRACKING;

namespace {

BODY* imported(const TopoDS_Shape& shape, const std::string& name, int operation) {
  BODY* body = nullptr;
  if (!TPI_OCCT::import_shape(shape, body).ok()) return nullptr;
  for (std::size_t i = 0; i < body->faces().size(); ++i) {
    TT::tag_entity(body->faces()[i], name + ".f" + std::to_string(i), operation);
  }
  return body;
}

bool write(const std::string& path, const std::vector<BODY*>& bodies) {
  std::string text;
  if (!TPI_FILE::save_bodies(bodies, text).ok()) return false;
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: occt_model_seeds DIRECTORY\n");
    return 2;
  }
  TT::generic_tag_attrib_def_savres::set_savres_def("generic_tag_attrib_def");
  const std::string dir = argv[1];
  BODY* box = imported(BRepPrimAPI_MakeBox(gp_Pnt(0, 0, 0), 40, 20, 10).Shape(), "base", 1);
  BODY* cylinder =
      imported(BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(20, 10, 10), gp_Dir(0, 0, 1)), 4, 6).Shape(),
               "boss", 2);
  if (box == nullptr || cylinder == nullptr || !write(dir + "/box", {box}) ||
      !write(dir + "/cylinder", {cylinder}) || !write(dir + "/box_and_cylinder", {box, cylinder})) {
    std::fprintf(stderr, "occt_model_seeds: cannot write the seeds\n");
    return 1;
  }
  TPI_MODEL::delete_body(box);
  TPI_MODEL::delete_body(cylinder);
  return 0;
}
