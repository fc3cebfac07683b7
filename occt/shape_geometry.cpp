#include <tagtrack/occt/internal/shape_geometry.h>
#include <tagtrack/occt/internal/shape_text_check.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>

#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <ElCLib.hxx>
#include <ElSLib.hxx>
#include <GeomAdaptor_Surface.hxx>
#include <ShapeAnalysis_Curve.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <gp_Trsf.hxx>

namespace tagtrack_occt {

namespace {

constexpr double two_pi = 6.283185307179586476925286766559;

TPK::position to_position(const gp_Pnt& p) {
  return {p.X(), p.Y(), p.Z()};
}
gp_Pnt to_pnt(const TPK::position& p) {
  return {p.x, p.y, p.z};
}
TPK::vector3 to_vector(const gp_Vec& v) {
  return {v.X(), v.Y(), v.Z()};
}

gp_Trsf to_trsf(const TPK::transf& t) {
  gp_Trsf trsf;
  trsf.SetValues(t.rotation[0][0], t.rotation[0][1], t.rotation[0][2], t.translation.x,
                 t.rotation[1][0], t.rotation[1][1], t.rotation[1][2], t.translation.y,
                 t.rotation[2][0], t.rotation[2][1], t.rotation[2][2], t.translation.z);
  return trsf;
}

// The largest tolerance of `shape` and its sub-shapes, and never less than the kernel's.
double tolerance_of(const TopoDS_Shape& shape) {
  double tolerance = TPK::resabs;
  for (TopExp_Explorer e(shape, TopAbs_VERTEX); e.More(); e.Next()) {
    tolerance = std::max(tolerance, BRep_Tool::Tolerance(TopoDS::Vertex(e.Current())));
  }
  for (TopExp_Explorer e(shape, TopAbs_EDGE); e.More(); e.Next()) {
    tolerance = std::max(tolerance, BRep_Tool::Tolerance(TopoDS::Edge(e.Current())));
  }
  if (shape.ShapeType() == TopAbs_FACE) {
    tolerance = std::max(tolerance, BRep_Tool::Tolerance(TopoDS::Face(shape)));
  }
  return tolerance;
}

// `value` in [first, first + period), with a value within a hair of the period's end taken as its
// start, as the kernel's own seams are.
double in_period(double value, double first, double period) {
  double v = ElCLib::InPeriod(value, first, first + period);
  if (first + period - v < 1e-12 * std::max(1.0, period)) v = first;
  return v;
}

// FNV-1a over the text: the check sum a saved shape carries, as 16 hex digits.
std::string check_sum(const std::string& text, std::size_t from) {
  std::uint64_t hash = 14695981039346656037ull;
  for (std::size_t i = from; i < text.size(); ++i) {
    hash ^= static_cast<unsigned char>(text[i]);
    hash *= 1099511628211ull;
  }
  static const char digits[] = "0123456789abcdef";
  std::string hex(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) hex[static_cast<std::size_t>(i)] = digits[hash & 15];
  return hex;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

shape_record::shape_record(const TopoDS_Shape& shape) : m_shape(shape) {
  TopExp::MapShapes(shape, TopAbs_FACE, m_faces);
  TopExp::MapShapes(shape, TopAbs_EDGE, m_edges);
  TopExp::MapShapes(shape, TopAbs_VERTEX, m_vertices);
}

shape_record::shape_record(const TopoDS_Shape& shape, std::string text) : shape_record(shape) {
  m_text = std::move(text);
}

bool shape_record::save(std::string& text) const {
  if (!m_text.empty()) {
    text = m_text;
    return true;
  }
  try {
    // The shape's text follows its check sum and a line break: Open CASCADE's reader does not
    // survive a damaged text (a truncated one makes it read uninitialised values), so a text
    // whose sum does not match is refused before the reader sees it.
    std::ostringstream out;
    BRepTools::Write(m_shape, out, Standard_False, Standard_False,
                     TopTools_FormatVersion_VERSION_1);
    if (!out) return false;
    m_text = std::string(16, '0') + '\n' + out.str();
    m_text.replace(0, 16, check_sum(m_text, 17));
    text = m_text;
    return true;
  } catch (const Standard_Failure&) {
    return false;
  }
}

// ---------------------------------------------------------------------------------------------

face_surface::face_surface(record_ptr record, int index)
    : m_source(record), m_record(record.get()), m_index(index) {
  m_face = TopoDS::Face(m_record->faces().FindKey(index));
  m_surface = BRep_Tool::Surface(m_face);
  m_adaptor.Load(m_surface);
  m_tolerance = tolerance_of(m_face);
}

TPK::position face_surface::eval(const TPK::par_pos& uv) const {
  return to_position(m_surface->Value(uv.u, uv.v));
}

TPK::vector3 face_surface::normal(const TPK::par_pos& uv) const {
  try {
    gp_Pnt p;
    gp_Vec du, dv;
    m_surface->D1(uv.u, uv.v, p, du, dv);
    const gp_Vec n = du.Crossed(dv);
    if (n.Magnitude() > 1e-12) return to_vector(n.Normalized());
    // At a pole the normal is the limit along v.
    const double step = 1e-6;
    gp_Vec du2, dv2;
    m_surface->D1(uv.u, uv.v + (uv.v > 0 ? -step : step), p, du2, dv2);
    const gp_Vec n2 = du2.Crossed(dv2);
    if (n2.Magnitude() > 1e-12) return to_vector(n2.Normalized());
  } catch (const Standard_Failure&) {
  }
  return {0, 0, 1};
}

const face_surface::vertex_table* face_surface::vertex_parameter_table() const {
  if (m_moved) return nullptr;
  if (m_vertices == nullptr) {
    auto table = std::make_shared<vertex_table>();
    TopTools_IndexedMapOfShape vertices;
    TopExp::MapShapes(m_face, TopAbs_VERTEX, vertices);
    for (int i = 1; i <= vertices.Extent(); ++i) {
      const TopoDS_Vertex& vertex = TopoDS::Vertex(vertices(i));
      try {
        const gp_Pnt2d uv = BRep_Tool::Parameters(vertex, m_face);
        table->push_back({to_position(BRep_Tool::Pnt(vertex)), {uv.X(), uv.Y()}});
      } catch (const Standard_Failure&) {
        // A vertex on no curve of the face: its point is projected as any other.
      }
    }
    std::stable_sort(table->begin(), table->end(),
                     [](const vertex_parameters& a, const vertex_parameters& b) {
                       return a.point.x < b.point.x;
                     });
    m_vertices = std::move(table);
  }
  return m_vertices.get();
}

const TPK::par_pos* face_surface::vertex_parameters_at(const TPK::position& p) const {
  const vertex_table* table = vertex_parameter_table();
  if (table == nullptr) return nullptr;
  // Within the rounding of a shape's text, which keeps 15 digits of a coordinate where the model
  // file keeps them all: a restored body's vertex lies that close to its shape's.
  const double rounding = 1e-12 * std::max({1.0, std::abs(p.x), std::abs(p.y), std::abs(p.z)});
  auto at = std::lower_bound(table->begin(), table->end(), p.x - rounding,
                             [](const vertex_parameters& e, double x) { return e.point.x < x; });
  for (; at != table->end() && at->point.x <= p.x + rounding; ++at) {
    if (std::abs(at->point.y - p.y) <= rounding && std::abs(at->point.z - p.z) <= rounding) {
      return &at->uv;
    }
  }
  return nullptr;
}

bool face_surface::param(const TPK::position& p, TPK::par_pos& uv,
                         const TPK::par_pos* guess) const {
  try {
    const gp_Pnt point = to_pnt(p);
    double u = 0, v = 0;
    // Elementary surfaces in closed form; the others by Open CASCADE's projection.
    switch (m_adaptor.GetType()) {
      case GeomAbs_Plane:
        ElSLib::Parameters(m_adaptor.Plane(), point, u, v);
        break;
      case GeomAbs_Cylinder:
        ElSLib::Parameters(m_adaptor.Cylinder(), point, u, v);
        break;
      case GeomAbs_Cone:
        ElSLib::Parameters(m_adaptor.Cone(), point, u, v);
        break;
      case GeomAbs_Sphere:
        ElSLib::Parameters(m_adaptor.Sphere(), point, u, v);
        break;
      case GeomAbs_Torus:
        ElSLib::Parameters(m_adaptor.Torus(), point, u, v);
        break;
      default: {
        // A vertex of the face: its parameters are known exactly, and a projection onto a
        // freeform surface costs hundreds of microseconds.
        if (const TPK::par_pos* known = vertex_parameters_at(p)) {
          u = known->u;
          v = known->v;
          break;
        }
        if (m_analysis.IsNull()) m_analysis = new ShapeAnalysis_Surface(m_surface);
        const gp_Pnt2d found = guess != nullptr
                                   ? m_analysis->NextValueOfUV(gp_Pnt2d(guess->u, guess->v), point,
                                                               m_tolerance, m_tolerance)
                                   : m_analysis->ValueOfUV(point, m_tolerance);
        u = found.X();
        v = found.Y();
        break;
      }
    }
    if (m_surface->Value(u, v).Distance(point) > m_tolerance) return false;
    double u1, u2, v1, v2;
    m_surface->Bounds(u1, u2, v1, v2);
    if (m_surface->IsUPeriodic()) u = in_period(u, u1, m_surface->UPeriod());
    if (m_surface->IsVPeriodic()) v = in_period(v, v1, m_surface->VPeriod());
    uv = {u, v};
    return true;
  } catch (const Standard_Failure&) {
    return false;
  }
}

bool face_surface::periodic_u() const {
  return m_surface->IsUPeriodic();
}

bool face_surface::periodic_v() const {
  return m_surface->IsVPeriodic();
}

surface* face_surface::copy() const {
  return new face_surface(*this);
}

// The geometry moves; the face it was cut from stays where the record has it. A body backed by a
// shape moves through the shape's own transform, which makes a new record.
void face_surface::transform(const TPK::transf& t) {
  m_surface = Handle(Geom_Surface)::DownCast(m_surface->Transformed(to_trsf(t)));
  m_adaptor.Load(m_surface);
  m_analysis.Nullify();
  m_vertices = nullptr;
  m_moved = true;
}

bool face_surface::save(std::string& text) const {
  text = std::to_string(m_index);
  return true;
}

bool face_surface::same_surface(const surface& other) const {
  const auto* theirs = dynamic_cast<const face_surface*>(&other);
  if (theirs == nullptr) return false;
  if (theirs->m_surface == m_surface) return true;
  try {
    const GeomAdaptor_Surface a(m_surface), b(theirs->m_surface);
    if (a.GetType() != GeomAbs_Plane || b.GetType() != GeomAbs_Plane) return false;
    const gp_Pln pa = a.Plane(), pb = b.Plane();
    return pa.Axis().Direction().IsEqual(pb.Axis().Direction(), 1e-9) &&
           pa.Distance(pb.Location()) <= std::max(m_tolerance, theirs->m_tolerance);
  } catch (const Standard_Failure&) {
    return false;
  }
}

bool face_surface::planar() const {
  return m_adaptor.GetType() == GeomAbs_Plane;
}

// ---------------------------------------------------------------------------------------------

edge_curve::edge_curve(record_ptr record, int index)
    : m_source(record), m_record(record.get()), m_index(index) {
  m_edge = TopoDS::Edge(m_record->edges().FindKey(index).Oriented(TopAbs_FORWARD));
  BRep_Tool::Range(m_edge, m_first, m_last);
  if (!BRep_Tool::Degenerated(m_edge)) {
    double first = 0, last = 0;
    m_curve = BRep_Tool::Curve(m_edge, first, last);
  }
  TopoDS_Vertex start, end;
  TopExp::Vertices(m_edge, start, end);
  m_start = start.IsNull() ? TPK::position{} : to_position(BRep_Tool::Pnt(start));
  m_end = end.IsNull() ? m_start : to_position(BRep_Tool::Pnt(end));
  m_tolerance = tolerance_of(m_edge);
}

TPK::position edge_curve::eval(double t) const {
  // The ends are the vertices' points. A model file keeps the edge's range to the last digit but
  // Open CASCADE's shape text to 15, so a restored range can differ from the curve's in the last
  // digits: a parameter within that rounding of an end is the end.
  const double rounding = 1e-13 * std::max({1.0, std::abs(m_first), std::abs(m_last)});
  if (std::abs(t - m_first) <= rounding) return m_start;
  if (std::abs(t - m_last) <= rounding) return m_end;
  if (m_curve.IsNull()) return m_start;
  return to_position(m_curve->Value(t));
}

TPK::vector3 edge_curve::tangent(double t) const {
  if (!m_curve.IsNull()) {
    try {
      gp_Pnt p;
      gp_Vec d;
      m_curve->D1(t, p, d);
      if (d.Magnitude() > 1e-12) return to_vector(d.Normalized());
    } catch (const Standard_Failure&) {
    }
  }
  return {1, 0, 0};
}

bool edge_curve::param(const TPK::position& p, double& t) const {
  if (m_curve.IsNull()) {
    t = m_first;
    return TPK::distance(p, m_start) <= m_tolerance;
  }
  try {
    gp_Pnt projected;
    double found = 0;
    const double gap = ShapeAnalysis_Curve().Project(m_curve, to_pnt(p), m_tolerance, projected,
                                                     found, m_first, m_last, Standard_True);
    if (gap > m_tolerance) return false;
    t = found;
    return true;
  } catch (const Standard_Failure&) {
    return false;
  }
}

bool edge_curve::periodic() const {
  return !m_curve.IsNull() && m_curve->IsPeriodic() &&
         std::abs(m_curve->Period() - two_pi) <= 1e-12;
}

curve* edge_curve::copy() const {
  return new edge_curve(*this);
}

void edge_curve::transform(const TPK::transf& t) {
  const gp_Trsf trsf = to_trsf(t);
  if (!m_curve.IsNull()) m_curve = Handle(Geom_Curve)::DownCast(m_curve->Transformed(trsf));
  m_start = to_position(to_pnt(m_start).Transformed(trsf));
  m_end = to_position(to_pnt(m_end).Transformed(trsf));
}

bool edge_curve::save(std::string& text) const {
  text = std::to_string(m_index);
  return true;
}

// ---------------------------------------------------------------------------------------------

const face_surface* surface_of(const FACE* face) {
  if (face == nullptr || face->geometry() == nullptr) return nullptr;
  return dynamic_cast<const face_surface*>(face->geometry());
}

const edge_curve* curve_of(const EDGE* edge) {
  if (edge == nullptr || edge->geometry() == nullptr) return nullptr;
  return dynamic_cast<const edge_curve*>(edge->geometry());
}

namespace {

// Reads an index in [1, count] from the whole of `text`.
bool read_index(const std::string& text, int count, int& index, std::string& why) {
  if (text.empty() || text.size() > 10 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    why = "an index is not a number";
    return false;
  }
  const long value = std::stol(text);
  if (value < 1 || value > count) {
    why = "an index is out of the shape's range";
    return false;
  }
  index = static_cast<int>(value);
  return true;
}

class shape_family final : public TPK::geometry_family {
 public:
  std::shared_ptr<const TPK::geometry_source> read_source(const std::string& text,
                                                          std::string& why) override {
    if (text.size() < 17 || text[16] != '\n' || text.compare(0, 16, check_sum(text, 17)) != 0) {
      why = "the embedded shape is damaged (its check sum does not match)";
      return nullptr;
    }
    if (const std::string fault = shape_text_fault(text, 17); !fault.empty()) {
      why = "the embedded shape is malformed: " + fault;
      return nullptr;
    }
    try {
      // A stream that throws at the first item it cannot read, so that the reader stops there
      // instead of reading on from a failed stream (as part files are read).
      std::istringstream in(text.substr(17));
      in.exceptions(std::ios::failbit | std::ios::badbit);
      TopoDS_Shape shape;
      BRep_Builder builder;
      BRepTools::Read(shape, in, builder);
      if (shape.IsNull()) {
        why = "the embedded shape is malformed or truncated";
        return nullptr;
      }
      return std::make_shared<shape_record>(shape, text);
    } catch (const Standard_Failure& failure) {
      why = std::string("the embedded shape is malformed: ") + failure.GetMessageString();
      return nullptr;
    } catch (const std::ios_base::failure&) {
      why = "the embedded shape is malformed or truncated";
      return nullptr;
    }
  }
  surface* read_surface(const std::shared_ptr<const TPK::geometry_source>& source,
                        const std::string& text, std::string& why) override {
    const auto record = std::dynamic_pointer_cast<const shape_record>(source);
    if (record == nullptr) {
      why = "a face names no shape";
      return nullptr;
    }
    int index = 0;
    if (!read_index(text, record->faces().Extent(), index, why)) return nullptr;
    return new face_surface(record, index);
  }
  curve* read_curve(const std::shared_ptr<const TPK::geometry_source>& source,
                    const std::string& text, std::string& why) override {
    const auto record = std::dynamic_pointer_cast<const shape_record>(source);
    if (record == nullptr) {
      why = "an edge names no shape";
      return nullptr;
    }
    int index = 0;
    if (!read_index(text, record->edges().Extent(), index, why)) return nullptr;
    return new edge_curve(record, index);
  }
};

}  // namespace

void register_family() {
  static shape_family family;
  static const bool registered = TPK::register_geometry_family(family_name, &family);
  (void)registered;
}

}  // namespace tagtrack_occt
