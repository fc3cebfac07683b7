#include <tagtrack/occt/part_files.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
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
#include <tagtrack/occt/internal/shape_text_check.h>
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

// What Open CASCADE's STEP and IGES readers say of a file they do not read.
std::string reader_status(const char* reader, IFSelect_ReturnStatus status) {
  switch (status) {
    case IFSelect_RetVoid:
      return std::string("the ") + reader + " reader finds nothing in it";
    case IFSelect_RetError:
      return std::string("the ") + reader + " reader finds it in error";
    case IFSelect_RetFail:
      return std::string("the ") + reader + " reader fails on it";
    case IFSelect_RetStop:
      return std::string("the ") + reader + " reader stops on it";
    default:
      return std::string("the ") + reader + " reader does not read it";
  }
}

template <class Reader>
std::string read_with(Reader& reader, const char* kind, const char* path, TopoDS_Shape& shape) {
  const IFSelect_ReturnStatus status = reader.ReadFile(path);
  if (status != IFSelect_RetDone) return reader_status(kind, status);
  reader.TransferRoots();
  shape = reader.OneShape();
  return shape.IsNull() ? std::string("holds no shape the ") + kind + " reader can make" : "";
}

// The first and last kilobytes of a file, enough to tell what it is and whether it ends whole.
struct file_ends {
  std::string head, tail;
};

bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string trimmed(const std::string& text) {
  std::size_t first = 0, last = text.size();
  while (first < last && is_blank(text[first])) ++first;
  while (last > first && is_blank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// Why the file at `path` is no part file to read, before any reader sees it; empty when it may be
// one. Open CASCADE's readers answer a file that is not what its name says, or that ends early,
// with a bare failure, with text on standard output, or (the BREP reader, cut inside its shape
// table) by never returning.
std::string problem_of(const std::string& path, part_format format, file_ends& ends) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) return "no such file";
  if (fs::is_directory(status)) return "is a directory";
  if (!fs::is_regular_file(status)) return "is not a regular file";
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) return "cannot be read: " + error.message();
  if (size == 0) return "is empty";
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string("cannot be opened: ") + std::strerror(errno);
  constexpr std::uintmax_t block = 1024;
  ends.head.resize(static_cast<std::size_t>(std::min(size, block)));
  in.read(ends.head.data(), static_cast<std::streamsize>(ends.head.size()));
  ends.tail.resize(static_cast<std::size_t>(std::min(size, block)));
  in.seekg(static_cast<std::streamoff>(size - ends.tail.size()));
  in.read(ends.tail.data(), static_cast<std::streamsize>(ends.tail.size()));
  if (!in) return "cannot be read";
  const std::string head = trimmed(ends.head), tail = trimmed(ends.tail);
  switch (format) {
    case part_format::unknown:
      return "not a part file (.step, .stp, .iges, .igs, .brep or .brp)";
    case part_format::step:
      if (head.rfind("ISO-10303-21;", 0) != 0) {
        return "is not a STEP file (it does not begin with ISO-10303-21;)";
      }
      if (tail.size() < 17 || tail.compare(tail.size() - 17, 17, "END-ISO-10303-21;") != 0) {
        return tail.empty() || tail.back() != ';' ? "the STEP file ends inside an entity"
                                                  : "the STEP file ends before END-ISO-10303-21;";
      }
      return "";
    case part_format::iges:
      // Lines of 80 columns, the section letter in column 73: S first, T (terminate) last.
      if (ends.head.size() < 73 || ends.head[72] != 'S') {
        return "is not an IGES file (its first line is no start section line)";
      }
      {
        const std::size_t line = tail.find_last_of('\n');
        const std::string last = line == std::string::npos ? tail : tail.substr(line + 1);
        if (last.size() < 73 || last[72] != 'T') {
          return "the IGES file ends before its terminate section";
        }
      }
      return "";
    case part_format::brep:
      if (head.find("CASCADE Topology V") == std::string::npos) {
        return "is not a BREP file (it has no CASCADE Topology header)";
      }
      return "";
  }
  return "";
}

// Reads a BREP text on a stream that throws at the first item it cannot read, so that a file cut
// short ends the reading there; first its counts and numbers are held to what it can hold, as an
// embedded shape's are (shape_text_fault).
std::string read_brep(const std::string& path, TopoDS_Shape& shape) {
  std::ifstream file(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (const std::string fault = tagtrack_occt::shape_text_fault(text, 0); !fault.empty()) {
    return "the BREP file ends early or is malformed: " + fault;
  }
  std::istringstream in(text);
  in.exceptions(std::ios::failbit | std::ios::badbit);
  try {
    BRep_Builder builder;
    BRepTools::Read(shape, in, builder);
    if (shape.IsNull()) return "the BREP reader does not read it";
  } catch (const std::ios_base::failure&) {
    return "the BREP file ends early or breaks off inside a table";
  }
  return "";
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
    return outcome::failure("'" + name + "': " + why);
  };
  file_ends ends;
  const part_format format = format_of(name);
  if (const std::string problem = problem_of(name, format, ends); !problem.empty()) {
    return fail(problem);
  }
  try {
    TopoDS_Shape shape;
    std::string problem;
    if (format == part_format::step) {
      STEPControl_Reader reader;
      problem = read_with(reader, "STEP", path, shape);
    } else if (format == part_format::iges) {
      IGESControl_Reader reader;
      problem = read_with(reader, "IGES", path, shape);
    } else {
      problem = read_brep(name, shape);
    }
    if (!problem.empty()) return fail(problem);
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
    return fail(std::string("Open CASCADE's reader failed inside it (") +
                failure.DynamicType()->Name() + ")");
  }
}

}  // namespace TPI_OCCT
