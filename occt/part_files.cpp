#include <tagtrack/occt/part_files.h>

#include <algorithm>
#include <cctype>
#include <string>

#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <IGESControl_Reader.hxx>
#include <STEPControl_Reader.hxx>
#include <Standard_Failure.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS_Shape.hxx>

#include <tagtrack/kernel/operations/change_statement.h>
#include <tagtrack/occt/shape_bodies.h>

namespace TPI_OCCT {

namespace {

enum class part_format { step, iges, brep, unknown };

part_format format_of(std::string path) {
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos) return part_format::unknown;
  std::string extension = path.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == "step" || extension == "stp") return part_format::step;
  if (extension == "iges" || extension == "igs") return part_format::iges;
  if (extension == "brep" || extension == "brp") return part_format::brep;
  return part_format::unknown;
}

template <class Reader>
bool read_with(Reader& reader, const char* path, TopoDS_Shape& shape) {
  if (reader.ReadFile(path) != IFSelect_RetDone) return false;
  reader.TransferRoots();
  shape = reader.OneShape();
  return !shape.IsNull();
}

// The solids, then the shells outside solids, then the faces outside shells.
std::vector<TopoDS_Shape> pieces_of(const TopoDS_Shape& shape) {
  std::vector<TopoDS_Shape> pieces;
  for (TopExp_Explorer e(shape, TopAbs_SOLID); e.More(); e.Next()) pieces.push_back(e.Current());
  for (TopExp_Explorer e(shape, TopAbs_SHELL, TopAbs_SOLID); e.More(); e.Next()) {
    pieces.push_back(e.Current());
  }
  for (TopExp_Explorer e(shape, TopAbs_FACE, TopAbs_SHELL); e.More(); e.Next()) {
    pieces.push_back(e.Current());
  }
  return pieces;
}

}  // namespace

outcome read_part_file(const char* path, std::vector<BODY*>& bodies) {
  const std::string name = path == nullptr ? "" : path;
  const auto fail = [&](const std::string& why) {
    return outcome::failure("read_part_file: '" + name + "': " + why);
  };
  const part_format format = format_of(name);
  if (format == part_format::unknown) {
    return fail("not a part file (.step, .stp, .iges, .igs, .brep or .brp)");
  }
  try {
    TopoDS_Shape shape;
    bool read = false;
    if (format == part_format::step) {
      STEPControl_Reader reader;
      read = read_with(reader, path, shape);
    } else if (format == part_format::iges) {
      IGESControl_Reader reader;
      read = read_with(reader, path, shape);
    } else {
      BRep_Builder builder;
      read = BRepTools::Read(shape, path, builder) && !shape.IsNull();
    }
    if (!read) return fail("cannot be read");
    const std::vector<TopoDS_Shape> pieces = pieces_of(shape);
    if (pieces.empty()) return fail("holds no face");
    TPK::operation_scope scope;
    std::vector<BODY*> made;
    for (const TopoDS_Shape& piece : pieces) {
      BODY* body = nullptr;
      if (outcome imported = import_shape(piece, body); !imported.ok()) {
        return fail(imported.message());
      }
      made.push_back(body);
    }
    scope.commit();
    bodies.insert(bodies.end(), made.begin(), made.end());
    return outcome();
  } catch (const Standard_Failure& failure) {
    return fail(std::string("Open CASCADE failed: ") + failure.GetMessageString());
  }
}

}  // namespace TPI_OCCT
