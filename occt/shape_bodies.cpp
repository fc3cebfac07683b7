#include <tagtrack/occt/shape_bodies.h>

#include <cmath>

#include <BRep_Tool.hxx>
#include <Geom2d_Curve.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopoDS.hxx>

#include <tagtrack/kernel/operations/change_statement.h>
#include <tagtrack/kernel/topology/check.h>

#include <tagtrack/occt/internal/shape_layout.h>

namespace TPI_OCCT {

using namespace tagtrack_occt;

namespace {

record_ptr record_of(const BODY* body) {
  if (body == nullptr) return nullptr;
  for (const FACE* face : body->faces()) {
    if (const face_surface* s = surface_of(face)) {
      return std::static_pointer_cast<const shape_record>(s->source());
    }
  }
  for (const EDGE* edge : body->edges()) {
    if (const edge_curve* c = curve_of(edge)) {
      return std::static_pointer_cast<const shape_record>(c->source());
    }
  }
  return nullptr;
}

// The vertex's index in its body's record, found through an edge that meets it; 0 when none.
int vertex_index(const VERTEX* vertex) {
  if (vertex == nullptr || vertex->edges().empty()) return 0;
  const EDGE* edge = vertex->edges().front();
  const edge_curve* c = curve_of(edge);
  if (c == nullptr) return 0;
  TopoDS_Vertex start, end;
  TopExp::Vertices(c->edge(), start, end);
  return c->record().vertices().FindIndex(edge->start() == vertex ? start : end);
}

}  // namespace

outcome import_shape(const TopoDS_Shape& shape, BODY*& body) {
  register_family();
  if (!holds_only_solids_and_shells(shape, true)) {
    return outcome::failure(
        "import_shape: the shape is not a solid, shell, face or compound of them");
  }
  try {
    const auto record = std::make_shared<const shape_record>(shape);
    TPI_BUILD::body_layout layout;
    std::vector<int> edge_indices;
    if (outcome made = layout_of(record, reuse_plan(), layout, edge_indices); !made.ok()) {
      return outcome::failure("import_shape: " + made.message());
    }
    TPK::operation_scope scope;
    BODY* made_body = TPI_BUILD::new_body();
    TPK::change_statement statement;
    TPI_BUILD::laid_out entities;
    if (outcome laid = TPI_BUILD::lay_out_body(made_body, layout, statement, entities);
        !laid.ok()) {
      return outcome::failure("import_shape: " + laid.message());
    }
    // Open CASCADE joins what lies within its tolerances; the kernel holds a body only when its
    // loops close through shared vertices. A shape it cannot hold so is refused, nothing made.
    if (outcome valid = TPI_CHECK::check_body(made_body); !valid.ok()) {
      return outcome::failure("import_shape: the shape makes no valid body: " + valid.message());
    }
    statement.announce();
    scope.commit();
    body = made_body;
    return outcome();
  } catch (const Standard_Failure& failure) {
    return outcome::failure(std::string("import_shape: Open CASCADE failed: ") +
                            failure.GetMessageString());
  }
}

void register_model_file_geometry() {
  register_family();
}

TopoDS_Shape shape_of(const BODY* body) {
  const record_ptr record = record_of(body);
  return record == nullptr ? TopoDS_Shape() : record->shape();
}

TopoDS_Face face_shape(const FACE* face) {
  const face_surface* s = surface_of(face);
  return s == nullptr ? TopoDS_Face() : s->face();
}

TopoDS_Edge edge_shape(const EDGE* edge) {
  const edge_curve* c = curve_of(edge);
  return c == nullptr ? TopoDS_Edge() : TopoDS::Edge(c->record().edges().FindKey(c->index()));
}

TopoDS_Vertex vertex_shape(const VERTEX* vertex) {
  const int index = vertex_index(vertex);
  if (index == 0) return TopoDS_Vertex();
  return TopoDS::Vertex(curve_of(vertex->edges().front())->record().vertices().FindKey(index));
}

char seam_parameter(const EDGE* edge) {
  const COEDGE* coedge = edge == nullptr ? nullptr : edge->coedge();
  if (coedge == nullptr || coedge->partner() == nullptr || coedge->partner() == coedge ||
      coedge->partner()->loop()->face() != coedge->loop()->face()) {
    return 0;
  }
  const TopoDS_Edge shape = edge_shape(edge);
  const TopoDS_Face face = face_shape(coedge->loop()->face());
  if (shape.IsNull() || face.IsNull()) return 0;
  try {
    if (!BRep_Tool::IsClosed(shape, face)) return 0;
    // The edge's two curves on the face, one per orientation, lie a period apart.
    double first = 0, last = 0;
    const TopoDS_Edge forward = TopoDS::Edge(shape.Oriented(TopAbs_FORWARD));
    const TopoDS_Edge reversed = TopoDS::Edge(shape.Oriented(TopAbs_REVERSED));
    const Handle(Geom2d_Curve) one = BRep_Tool::CurveOnSurface(forward, face, first, last);
    const Handle(Geom2d_Curve) other = BRep_Tool::CurveOnSurface(reversed, face, first, last);
    if (one.IsNull() || other.IsNull()) return 0;
    const double middle = 0.5 * (first + last);
    const gp_Vec2d apart(one->Value(middle), other->Value(middle));
    return std::abs(apart.X()) >= std::abs(apart.Y()) ? 'u' : 'v';
  } catch (const Standard_Failure&) {
    return 0;
  }
}

struct shape_entities::tables {
  record_ptr record;
  std::vector<FACE*> faces;
  std::vector<EDGE*> edges;
  std::vector<VERTEX*> vertices;
};

shape_entities::shape_entities(const BODY* body) : m_tables(std::make_unique<tables>()) {
  m_tables->record = record_of(body);
  if (m_tables->record == nullptr) return;
  const shape_record& record = *m_tables->record;
  m_tables->faces.assign(static_cast<std::size_t>(record.faces().Extent()) + 1, nullptr);
  m_tables->edges.assign(static_cast<std::size_t>(record.edges().Extent()) + 1, nullptr);
  m_tables->vertices.assign(static_cast<std::size_t>(record.vertices().Extent()) + 1, nullptr);
  for (FACE* face : body->faces()) {
    const face_surface* s = surface_of(face);
    if (s != nullptr && &s->record() == &record) m_tables->faces[s->index()] = face;
  }
  for (EDGE* edge : body->edges()) {
    const edge_curve* c = curve_of(edge);
    if (c != nullptr && &c->record() == &record) m_tables->edges[c->index()] = edge;
  }
  for (VERTEX* vertex : body->vertices()) {
    const int index = vertex_index(vertex);
    if (index != 0) m_tables->vertices[static_cast<std::size_t>(index)] = vertex;
  }
}

shape_entities::~shape_entities() = default;

FACE* shape_entities::face(const TopoDS_Shape& shape) const {
  if (m_tables->record == nullptr) return nullptr;
  return m_tables->faces[static_cast<std::size_t>(m_tables->record->faces().FindIndex(shape))];
}

EDGE* shape_entities::edge(const TopoDS_Shape& shape) const {
  if (m_tables->record == nullptr) return nullptr;
  return m_tables->edges[static_cast<std::size_t>(m_tables->record->edges().FindIndex(shape))];
}

VERTEX* shape_entities::vertex(const TopoDS_Shape& shape) const {
  if (m_tables->record == nullptr) return nullptr;
  return m_tables
      ->vertices[static_cast<std::size_t>(m_tables->record->vertices().FindIndex(shape))];
}

}  // namespace TPI_OCCT
