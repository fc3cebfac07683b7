#include <tagtrack/features/seams_and_poles.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/occt/shape_bodies.h>
#include <tagtrack/tagging_tracking.h>

namespace TT = TPI_TAGGING_TRACKING;

namespace tagtrack {

namespace {

// Gives `entity` the tags of its face, each primary id followed by `suffix`, unless it carries
// them already: a new attribute, or its tag attribute changed through the kernel, so that the
// change is undone with the history.
outcome name_after(ENTITY* entity, const TT::tag_info& face_tags, const std::string& suffix) {
  TT::tag_info named;
  for (const TT::tag_data& tag : face_tags) {
    TT::tag_data copy = tag;
    copy.m_primary_id.append(suffix.data(), suffix.data() + suffix.size());
    named.append(std::move(copy));
  }
  const TT::tag_info* own = TT::tags_on(entity);
  if (own != nullptr && *own == named) return outcome();
  auto def = std::make_unique<TT::generic_tag_attrib_def>();
  *def->get_tag_info_for_change() = std::move(named);
  for (ATTRIB_CUSTOM* attrib = TPI_CUSTOM_ENTITY::next_custom_attrib(entity, nullptr);
       attrib != nullptr; attrib = TPI_CUSTOM_ENTITY::next_custom_attrib(entity, attrib)) {
    if (dynamic_cast<const TT::generic_tag_attrib_def*>(
            TPK::ATTRIB_CUSTOM_const_xs(attrib).get_def()) != nullptr) {
      return def->update_attribute_with_this_def(attrib);
    }
  }
  ATTRIB_CUSTOM* attrib = nullptr;
  if (const outcome added = TPI_CUSTOM_ENTITY::add_attrib(entity, def.get(), attrib); !added) {
    return added;
  }
  def.release();  // the attribute owns it now
  return outcome();
}

// The one face around the vertex, or null when there are several or none.
FACE* lone_face(VERTEX* vertex) {
  TPK::tpk_array<FACE*> faces;
  TPI_QUERY::get_faces(TPK::as_entity(vertex), faces);
  return faces.size() == 1 ? faces[0] : nullptr;
}

}  // namespace

outcome name_seams_and_poles(BODY* body) {
  if (body == nullptr) return outcome();
  for (EDGE* edge : body->edges()) {
    const char across = TPI_OCCT::seam_parameter(edge);
    if (across == 0) continue;
    const TT::tag_info* face_tags = TT::tags_on(TPK::as_entity(edge->coedge()->loop()->face()));
    if (face_tags == nullptr || face_tags->empty()) continue;
    const outcome named =
        name_after(TPK::as_entity(edge), *face_tags, across == 'u' ? ".seam" : ".seam.v");
    if (!named) return named;
  }

  // The vertices of each tagged face that closes on them, in the order of their parameters on its
  // surface (v first; then u; then the body's order).
  std::map<FACE*, std::vector<std::pair<std::pair<double, double>, VERTEX*>>> poles;
  std::vector<FACE*> faces;  // in the order of their first pole
  for (VERTEX* vertex : body->vertices()) {
    FACE* face = lone_face(vertex);
    if (face == nullptr) continue;
    const TT::tag_info* face_tags = TT::tags_on(TPK::as_entity(face));
    if (face_tags == nullptr || face_tags->empty()) continue;
    TPK::par_pos uv{0, 0};
    face->geometry()->param(vertex->point(), uv, nullptr);
    auto& on_face = poles[face];
    if (on_face.empty()) faces.push_back(face);
    on_face.push_back({{uv.v, uv.u}, vertex});
  }
  for (FACE* face : faces) {
    auto& on_face = poles[face];
    std::stable_sort(on_face.begin(), on_face.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const TT::tag_info& face_tags = *TT::tags_on(TPK::as_entity(face));
    for (std::size_t k = 0; k < on_face.size(); ++k) {
      const std::string suffix =
          on_face.size() == 1 ? std::string(".pole") : ".pole" + std::to_string(k + 1);
      const outcome named = name_after(TPK::as_entity(on_face[k].second), face_tags, suffix);
      if (!named) return named;
    }
  }
  return outcome();
}

}  // namespace tagtrack
