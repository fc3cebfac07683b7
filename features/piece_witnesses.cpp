#include <tagtrack/features/internal/piece_witnesses.h>

#include <algorithm>
#include <sstream>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace TT = TPI_TAGGING_TRACKING;

namespace tagtrack {

namespace {

// The version of the tag text that recipe texts hold, which witnesses are written in too.
constexpr int recipe_text_version = 3;

const TT::tag_info* tags_of(FACE* face) {
  return TT::tags_on(TPK::as_entity(face));
}

// Whether two tag lists share a tag by primary and operation ids.
bool share_a_tag(const TT::tag_info& a, const TT::tag_info& b) {
  for (const TT::tag_data& x : a) {
    for (const TT::tag_data& y : b) {
      if (x.matches(y, TT::compare_loose)) return true;
    }
  }
  return false;
}

// Whether two faces' tags are the same but for secondary ids: the tag manager told them apart as
// pieces of one face.
bool pieces_of_one_face(const TT::tag_info& a, const TT::tag_info& b) {
  if (a == b || a.size() != b.size()) return false;
  const auto covered = [](const TT::tag_info& from, const TT::tag_info& by) {
    return std::all_of(from.begin(), from.end(), [&](const TT::tag_data& x) {
      return std::any_of(by.begin(), by.end(),
                         [&](const TT::tag_data& y) { return x.matches(y, TT::compare_loose); });
    });
  };
  return covered(a, b) && covered(b, a);
}

// The faces across the edges of `face`, each once, in kernel order.
std::vector<FACE*> neighbours(FACE* face) {
  std::vector<FACE*> out;
  TPK::tpk_array<EDGE*> edges;
  TPI_QUERY::get_edges(TPK::as_entity(face), edges);
  for (EDGE* edge : edges) {
    for (FACE* f : faces_around(TPK::as_entity(edge))) {
      if (f != face && std::find(out.begin(), out.end(), f) == out.end()) out.push_back(f);
    }
  }
  return out;
}

// The tags of the faces `face` borders that no other piece of its face borders; empty when the
// face is no piece, or when its neighbours tell nothing.
std::vector<TT::tag_info> witnesses_of_face(FACE* face, BODY* body) {
  std::vector<TT::tag_info> witnesses;
  const TT::tag_info* own = face == nullptr ? nullptr : tags_of(face);
  if (own == nullptr) return witnesses;
  std::vector<const TT::tag_info*> around_others;
  for (FACE* other : body->faces()) {
    const TT::tag_info* tags = tags_of(other);
    if (other == face || tags == nullptr || !pieces_of_one_face(*own, *tags)) continue;
    for (FACE* n : neighbours(other)) {
      if (const TT::tag_info* t = tags_of(n)) around_others.push_back(t);
    }
  }
  if (around_others.empty()) return witnesses;
  for (FACE* n : neighbours(face)) {
    const TT::tag_info* tags = tags_of(n);
    if (tags == nullptr) continue;
    const bool shared = std::any_of(around_others.begin(), around_others.end(),
                                    [&](const TT::tag_info* t) { return share_a_tag(*tags, *t); });
    if (!shared) witnesses.push_back(*tags);
  }
  return witnesses;
}

bool borders_a_witness(FACE* face, const std::vector<TT::tag_info>& witnesses) {
  for (FACE* n : neighbours(face)) {
    const TT::tag_info* tags = tags_of(n);
    if (tags == nullptr) continue;
    for (const TT::tag_info& w : witnesses) {
      if (share_a_tag(*tags, w)) return true;
    }
  }
  return false;
}

template <class List>
std::size_t number_in(const List& faces, FACE* face) {
  return static_cast<std::size_t>(std::find(faces.begin(), faces.end(), face) - faces.begin()) + 1;
}

}  // namespace

std::vector<FACE*> faces_around(ENTITY* entity) {
  TPK::tpk_array<FACE*> faces;
  if (entity->kind() == entity_kind::edge || entity->kind() == entity_kind::vertex) {
    TPI_QUERY::get_faces(entity, faces);
  }
  return std::vector<FACE*>(faces.begin(), faces.end());
}

const std::vector<TT::FACE_RECIPE>* face_recipes_of(const TT::IRecipe& recipe) {
  if (const auto* edge = dynamic_cast<const TT::EDGE_RECIPE*>(&recipe)) {
    return edge->get_face_recipes();
  }
  if (const auto* vertex = dynamic_cast<const TT::VERTEX_RECIPE*>(&recipe)) {
    return vertex->get_face_recipes();
  }
  return nullptr;
}

piece_witnesses witnesses_of(ENTITY* entity, const TT::IRecipe& recipe, BODY* body) {
  piece_witnesses out;
  if (entity->kind() == entity_kind::face) {
    std::vector<TT::tag_info> own = witnesses_of_face(static_cast<FACE*>(entity), body);
    if (!own.empty()) out[0] = std::move(own);
    return out;
  }
  const std::vector<TT::FACE_RECIPE>* recipes = face_recipes_of(recipe);
  if (recipes == nullptr) return out;
  const std::vector<FACE*> around = faces_around(entity);
  for (std::size_t k = 0; k < recipes->size(); ++k) {
    const TT::tag_info& named = (*recipes)[k].tags();
    const auto face = std::find_if(around.begin(), around.end(), [&](FACE* f) {
      const TT::tag_info* tags = tags_of(f);
      return tags != nullptr && *tags == named;
    });
    if (face == around.end()) continue;
    std::vector<TT::tag_info> own = witnesses_of_face(*face, body);
    if (!own.empty()) out[k] = std::move(own);
  }
  return out;
}

witness_verdict check_witnesses(const piece_witnesses& witnesses, const TT::match_explanation& why,
                                BODY* body) {
  witness_verdict out;
  if (witnesses.empty() || why.found.empty()) return out;
  const auto& all = body->faces();
  if (why.kind == 'F') {
    const auto own = witnesses.find(0);
    if (own == witnesses.end() || why.tags.exact != 0) return out;
    for (ENTITY* e : why.found) {
      if (borders_a_witness(static_cast<FACE*>(e), own->second)) out.kept.push_back(e);
    }
    out.changed = out.kept.size() != why.found.size();
    if (out.kept.empty()) {
      out.reason = "; but its piece is gone: the other piece of the same face is face " +
                   std::to_string(number_in(all, static_cast<FACE*>(why.found.front()))) +
                   " of the result";
    } else if (out.changed) {
      out.reason = "; of the faces found, those that border what told its piece from the others";
    }
    return out;
  }
  out.kept = why.found;
  for (const auto& [position, own] : witnesses) {
    if (position >= why.faces.size()) continue;
    const TT::face_recipe_seen& seen = why.faces[position];
    if (seen.tags.exact != 0 || seen.faces.empty()) continue;
    std::vector<FACE*> pieces;
    for (FACE* f : seen.faces) {
      if (borders_a_witness(f, own)) pieces.push_back(f);
    }
    if (pieces.size() == seen.faces.size()) continue;
    out.changed = true;
    if (pieces.empty()) {
      out.kept.clear();
      out.reason = "; but the piece of its face " + std::to_string(position + 1) + " (" +
                   seen.tags.words + ") is gone: only other pieces of that face are left";
      return out;
    }
    std::vector<ENTITY*> on_piece;
    for (ENTITY* e : out.kept) {
      const std::vector<FACE*> around = faces_around(e);
      const bool on = std::any_of(around.begin(), around.end(), [&](FACE* f) {
        return std::find(pieces.begin(), pieces.end(), f) != pieces.end();
      });
      if (on) on_piece.push_back(e);
    }
    out.kept.swap(on_piece);
    out.reason = "; of the entities found, those on the piece of its face " +
                 std::to_string(position + 1) + " that borders what told it from the others";
    if (out.kept.empty()) return out;
  }
  return out;
}

std::string reference_text(const std::string& recipe, const piece_witnesses& witnesses) {
  if (witnesses.empty()) return recipe;
  std::ostringstream out;
  out << "witnesses " << witnesses.size();
  for (const auto& [position, own] : witnesses) {
    out << ' ' << position << ' ' << own.size();
    for (const TT::tag_info& w : own) w.write_text(out);
  }
  out << '\n' << recipe;
  return out.str();
}

bool read_reference_text(const std::string& text, std::string& recipe, piece_witnesses& witnesses) {
  witnesses.clear();
  const std::string word = "witnesses ";
  if (text.compare(0, word.size(), word) != 0) {
    recipe = text;
    return true;
  }
  // Every count is checked against the text's length before anything is made of it.
  std::istringstream in(text.substr(word.size()));
  std::size_t faces = 0;
  if (!(in >> faces) || faces == 0 || faces > text.size()) return false;
  for (std::size_t i = 0; i < faces; ++i) {
    std::size_t position = 0, count = 0;
    if (!(in >> position >> count) || position > text.size() || count == 0 || count > text.size()) {
      return false;
    }
    std::vector<TT::tag_info>& own = witnesses[position];
    if (!own.empty()) return false;
    own.resize(count);
    for (TT::tag_info& w : own) {
      if (!w.read_text(in, recipe_text_version) || !in) return false;
    }
  }
  if (in.get() != '\n') return false;
  const auto at = in.tellg();
  if (at < 0) return false;
  recipe = text.substr(word.size() + static_cast<std::size_t>(at));
  return true;
}

}  // namespace tagtrack
