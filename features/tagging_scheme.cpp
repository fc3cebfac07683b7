#include <tagtrack/features/tagging_scheme.h>

#include <algorithm>
#include <limits>
#include <set>
#include <sstream>

#include <tagtrack/features/internal/answer_rules.h>
#include <tagtrack/features/internal/piece_witnesses.h>
#include <tagtrack/features/seams_and_poles.h>
#include <tagtrack/kernel/kernel.h>
#include <tagtrack/occt/operations.h>
#include <tagtrack/occt/shape_bodies.h>
#include <tagtrack/tagging_tracking.h>

namespace TT = TPI_TAGGING_TRACKING;

namespace tagtrack {

namespace {

constexpr std::size_t none = std::numeric_limits<std::size_t>::max();

// The scheme's stream is the default while it works, and the caller's again afterwards.
class default_stream {
 public:
  explicit default_stream(HISTORY_STREAM* stream) {
    TPI_HISTORY::get_default(m_previous, false);
    TPI_HISTORY::set_default(stream);
  }
  ~default_stream() { TPI_HISTORY::set_default(m_previous); }
  default_stream(const default_stream&) = delete;
  default_stream& operator=(const default_stream&) = delete;

 private:
  HISTORY_STREAM* m_previous = nullptr;
};

TopoDS_Shape shape_of_entity(ENTITY* entity) {
  switch (entity->kind()) {
    case entity_kind::face:
      return TPI_OCCT::face_shape(static_cast<FACE*>(entity));
    case entity_kind::edge:
      return TPI_OCCT::edge_shape(static_cast<EDGE*>(entity));
    case entity_kind::vertex:
      return TPI_OCCT::vertex_shape(static_cast<VERTEX*>(entity));
    default:
      return TopoDS_Shape();
  }
}

// Copy k of a face made by feature `number` (a mirror's image, a pattern's copy, a shell's inner
// face): its tags, each with the operation ids `number` and -k appended, so that the copy is told
// apart from the face it copies, and copies from one another, by the same ids in every
// regeneration.
void mark_copy(FACE* face, int number, int k) {
  TPK::tpk_array<ATTRIB_CUSTOM*> found;
  TPI_CUSTOM_ENTITY::find_attrib(TPK::as_entity(face), nullptr, found);
  for (ATTRIB_CUSTOM* attrib : found) {
    // Not a tag attribute: nothing changes.
    TT::prepend_operation_id_for_attrib(attrib, number, false);
    TT::prepend_operation_id_for_attrib(attrib, k, true);
  }
}

// The tags of `faces` (of the body `entities` maps) in one list: each face's tags in turn, the
// faces ordered by their tag lists, so that the list does not depend on the order in which Open
// CASCADE lists the faces.
TT::tag_info tags_between(const TPI_OCCT::shape_entities& entities,
                          const std::vector<TopoDS_Shape>& faces) {
  std::vector<const TT::tag_info*> lists;
  for (const TopoDS_Shape& shape : faces) {
    FACE* face = entities.face(shape);
    const TT::tag_info* tags = face == nullptr ? nullptr : TT::tags_on(TPK::as_entity(face));
    if (tags != nullptr && tags->size() > 0) lists.push_back(tags);
  }
  std::sort(lists.begin(), lists.end(),
            [](const TT::tag_info* a, const TT::tag_info* b) { return *a < *b; });
  TT::tag_info all;
  for (const TT::tag_info* tags : lists) {
    for (const TT::tag_data& tag : *tags) all.append(tag);
  }
  return all;
}

// Gives `face` an attribute with `tags`, each marked with feature `number` and -3.
outcome tag_between(FACE* face, const TT::tag_info& tags, int number) {
  auto def = std::make_unique<TT::generic_tag_attrib_def>();
  for (const TT::tag_data& tag : tags) def->get_tag_info_for_change()->append(tag);
  def->prepend_operation_id(number, false);
  def->prepend_operation_id(3, true);
  ATTRIB_CUSTOM* attrib = nullptr;
  if (const outcome added = TPI_CUSTOM_ENTITY::add_attrib(TPK::as_entity(face), def.get(), attrib);
      !added) {
    return added;
  }
  def.release();  // the attribute owns it now
  return outcome();
}

}  // namespace

struct tagging_scheme::state {
  HISTORY_STREAM* stream = nullptr;
  std::unique_ptr<default_stream> working;  // from begin to end
  std::vector<std::string> ids;             // of the features being regenerated
  // Per position, as the feature left them: its result's body (null when it did not run), the
  // stream's states then, and the position of the feature that took the body itself (none while
  // no later feature did: a feature that uses a result before its last use takes a copy).
  std::vector<BODY*> bodies;
  std::vector<std::size_t> states;
  std::vector<std::size_t> taken_by;
  std::map<std::string, int> uses;  // later uses left, per feature id
  std::size_t last_done = none;     // the position that ran last in the regeneration under way
  std::map<std::string, std::string> texts;
  // Per reference naming pieces of split faces, what tells them from the other pieces.
  std::map<std::string, piece_witnesses> witnesses;
  // Each feature's number, given when its id first appears and kept through every edit after.
  std::map<std::string, int> numbers;
  int next_number = 1;
  // The index of the body references are resolved in; it notices changes of the model itself.
  std::unique_ptr<TT::tag_index> index;
  BODY* indexed = nullptr;

  long position_of(const std::string& id) const {
    const auto at = std::find(ids.begin(), ids.end(), id);
    return at == ids.end() ? -1 : static_cast<long>(at - ids.begin());
  }

  // Back to the stream's state after `count` noted states.
  void roll_to(std::size_t count) {
    const std::size_t behind = stream->states_behind();
    if (behind > count) stream->roll_back(behind - count);
  }

  BODY* take(const std::string& id, std::size_t position) {
    const long at = position_of(id);
    if (at < 0) return nullptr;
    const auto from = static_cast<std::size_t>(at);
    BODY* body = bodies[from];
    if (body == nullptr) return nullptr;
    if (--uses[id] <= 0) {
      taken_by[from] = position;
      return body;
    }
    BODY* copy = nullptr;
    return TPI_MODEL::copy_body(body, copy).ok() ? copy : nullptr;
  }

  // The copies a mirror or pattern placed, each a copy of the target's body (`inputs[0]`) carried
  // to its shape, with every face marked as copy k. A mirror's one copy becomes its result: the
  // target's body itself is carried to it. A pattern's copies join `inputs` after the target, as
  // the fuse's tools.
  outcome place_copies(std::vector<BODY*>& inputs, const feature_run& run, int number) {
    for (const placed_copy& copy : run.copies) {
      BODY* body = inputs[0];
      if (!run.history.IsNull()) {
        body = nullptr;
        if (const outcome copied = TPI_MODEL::copy_body(inputs[0], body); !copied) return copied;
        inputs.push_back(body);
      }
      if (const outcome placed = TPI_OCCT::apply_history({body}, copy.shape, copy.history);
          !placed) {
        return placed;
      }
      for (FACE* face : body->faces()) mark_copy(face, number, copy.index);
    }
    return outcome();
  }

  outcome make(const reference& r, std::size_t position, const TopoDS_Shape& entity) {
    BODY* body = position < bodies.size() ? bodies[position] : nullptr;
    if (body == nullptr) {
      return outcome::failure("feature '" + r.after + "' did not run, so '" + r.name +
                              "' cannot be remembered on it");
    }
    const TPI_OCCT::shape_entities entities(body);
    TT::recipe_ptr recipe;
    bool found = false;
    switch (r.type) {
      case entity_type::face:
        if (FACE* f = entities.face(entity)) {
          found = true;
          recipe = TT::make_recipe(TT::FACE_TRACKABLE(f));
        }
        break;
      case entity_type::edge:
        if (EDGE* e = entities.edge(entity)) {
          found = true;
          recipe = TT::make_recipe(TT::EDGE_TRACKABLE(e));
        }
        break;
      case entity_type::vertex:
        if (VERTEX* v = entities.vertex(entity)) {
          found = true;
          recipe = TT::make_recipe(TT::VERTEX_TRACKABLE(v));
        }
        break;
    }
    if (!found) {
      return outcome::failure("reference '" + r.name + "': the entity is not a " +
                              type_word(r.type) + " of the result of feature '" + r.after + "'");
    }
    if (recipe == nullptr) {
      return outcome::failure("reference '" + r.name + "': the " + type_word(r.type) +
                              " carries no tags, so nothing can name it: no feature tagged it");
    }
    // A text that reads back as another recipe would name something else in the document.
    if (std::string why; !TT::survives_recipe_text(recipe.get(), &why)) {
      return outcome::failure("reference '" + r.name + "': its recipe text would not read back " +
                              "as written: " + why);
    }
    texts[r.name] = TT::recipe_text(recipe.get());
    witnesses.erase(r.name);
    ENTITY* named = r.type == entity_type::face   ? TPK::as_entity(entities.face(entity))
                    : r.type == entity_type::edge ? TPK::as_entity(entities.edge(entity))
                                                  : TPK::as_entity(entities.vertex(entity));
    if (piece_witnesses own = witnesses_of(named, *recipe, body); !own.empty()) {
      witnesses[r.name] = std::move(own);
    }
    return outcome();
  }
};

naming_scheme::~naming_scheme() = default;
void naming_scheme::feature_failed(std::size_t) {}
void naming_scheme::end() {}
std::string naming_scheme::saved_text(const std::string&) const {
  return std::string();
}
outcome naming_scheme::restore(const reference& r, const std::string&) {
  return outcome::failure("reference '" + r.name + "': the " + std::string(name()) +
                          " naming keeps no text");
}

tagging_scheme::tagging_scheme() : m(std::make_unique<state>()) {
  HISTORY_STREAM* previous = nullptr;
  TPI_HISTORY::get_default(previous, false);
  TPI_HISTORY::get_default(m->stream, true);
  TPI_HISTORY::set_default(previous);
}

tagging_scheme::~tagging_scheme() {
  m->index.reset();
  {
    // Rolling every state back takes every body the scheme made out of the model.
    const default_stream working(m->stream);
    m->working.reset();
    m->roll_to(0);
  }
  TPI_HISTORY::delete_stream(m->stream);
}

std::size_t tagging_scheme::begin(const std::vector<feature>& features, std::size_t first) {
  m->working.reset();
  m->working = std::make_unique<default_stream>(m->stream);
  first = std::min({first, m->bodies.size(), features.size()});
  // A feature from `first` on that uses a result some earlier feature took whole must start over
  // from that feature, which left the result as it was.
  for (bool again = true; again && first > 0;) {
    again = false;
    for (std::size_t i = first; i < features.size() && !again; ++i) {
      for (const std::string& id : inputs_of(features[i])) {
        const long at = m->position_of(id);
        if (at >= 0 && static_cast<std::size_t>(at) < first &&
            m->taken_by[static_cast<std::size_t>(at)] < first) {
          first = m->taken_by[static_cast<std::size_t>(at)];
          again = true;
          break;
        }
      }
    }
  }
  m->index.reset();
  m->indexed = nullptr;
  m->roll_to(first == 0 ? 0 : m->states[first - 1]);
  m->bodies.resize(first);
  m->states.resize(first);
  m->taken_by.resize(first);
  for (std::size_t& by : m->taken_by) {
    if (by != none && by >= first) by = none;
  }
  m->ids.clear();
  for (const feature& f : features) {
    m->ids.push_back(f.id);
    if (m->numbers.emplace(f.id, m->next_number).second) ++m->next_number;
  }
  m->uses.clear();
  for (std::size_t i = first; i < features.size(); ++i) {
    for (const std::string& id : inputs_of(features[i])) ++m->uses[id];
  }
  m->last_done = none;
  return first;
}

outcome tagging_scheme::feature_done(std::size_t position, const feature& f,
                                     const feature_run& run) {
  const int number = m->numbers.at(f.id);
  BODY* body = nullptr;
  outcome done;
  if (run.history.IsNull() && run.copies.empty() && run.input_ids.empty()) {
    // A new solid: its faces are tagged below.
    done = TPI_OCCT::import_shape(run.result, body);
  } else if (run.history.IsNull() && run.copies.empty()) {
    // A target passed through.
    body = m->take(run.input_ids[0], position);
    if (body == nullptr) done = outcome::failure("the target has no body");
  } else {
    std::vector<BODY*> inputs;
    for (const std::string& input : run.input_ids) inputs.push_back(m->take(input, position));
    if (std::find(inputs.begin(), inputs.end(), nullptr) != inputs.end()) {
      done = outcome::failure("an input has no body");
    } else {
      TT::tag_manager_scope scope(static_cast<unsigned>(number));
      // The tags of the faces each face made between them parted, read before the history
      // changes them.
      std::vector<TT::tag_info> between(run.made_between.size());
      if (!run.made_between.empty()) {
        const TPI_OCCT::shape_entities before(inputs[0]);
        for (std::size_t i = 0; i < run.made_between.size(); ++i) {
          between[i] = tags_between(before, run.made_between[i].second);
        }
      }
      done = m->place_copies(inputs, run, number);
      if (done && !run.history.IsNull()) {
        done = TPI_OCCT::apply_history(inputs, run.result, run.history);
      }
      if (done) {
        // A face made from an input face carries that face's tags, told apart by the feature's
        // number and the mark -1.
        const TPI_OCCT::shape_entities entities(inputs[0]);
        for (const TopoDS_Shape& face : run.derived_faces) {
          if (FACE* made = entities.face(face)) mark_copy(made, number, 1);
        }
        // What is left of a removed face carries its tags marked -2.
        for (const TopoDS_Shape& face : run.remains_of_removed) {
          if (FACE* left = entities.face(face)) mark_copy(left, number, 2);
        }
        // A face made between faces carries their tags marked -3.
        for (std::size_t i = 0; i < run.made_between.size() && done; ++i) {
          FACE* made = entities.face(run.made_between[i].first);
          if (made != nullptr && TT::tags_on(TPK::as_entity(made)) == nullptr &&
              between[i].size() > 0) {
            done = tag_between(made, between[i], number);
          }
        }
      }
      scope.resolve_duplicates();
      body = inputs[0];
    }
  }
  if (done) {
    const TPI_OCCT::shape_entities entities(body);
    for (const auto& [face, role] : run.made_faces) {
      if (FACE* made = entities.face(face)) {
        TT::tag_entity(TPK::as_entity(made), f.id + "." + role, number);
      }
    }
    for (const auto& [vertex, role] : run.made_vertices) {
      if (VERTEX* made = entities.vertex(vertex)) {
        TT::tag_entity(TPK::as_entity(made), f.id + "." + role, number);
      }
    }
    done = name_seams_and_poles(body);
  }
  m->stream->note_state();
  m->bodies.resize(position + 1, nullptr);
  m->states.resize(position + 1, 0);
  m->taken_by.resize(position + 1, none);
  m->bodies[position] = done ? body : nullptr;
  m->states[position] = m->stream->states_behind();
  m->last_done = position;
  return done;
}

void tagging_scheme::feature_failed(std::size_t position) {
  m->stream->note_state();
  m->bodies.resize(position + 1, nullptr);
  m->states.resize(position + 1, 0);
  m->taken_by.resize(position + 1, none);
  m->bodies[position] = nullptr;
  m->states[position] = m->stream->states_behind();
  m->last_done = position;
}

void tagging_scheme::end() {
  m->index.reset();
  m->indexed = nullptr;
  m->last_done = none;
  m->working.reset();
}

outcome tagging_scheme::remember(const reference& r, std::size_t position,
                                 const TopoDS_Shape& entity) {
  if (m->working != nullptr) {
    if (position != m->last_done) {
      return outcome::failure("reference '" + r.name +
                              "': during a regeneration, only the feature that just ran can be "
                              "referred to");
    }
    return m->make(r, position, entity);
  }
  if (position >= m->states.size()) {
    return outcome::failure("feature '" + r.after + "' has not been regenerated");
  }
  // The state right after the feature, and back to where the model was.
  const default_stream working(m->stream);
  const std::size_t behind = m->stream->states_behind();
  m->roll_to(m->states[position]);
  const std::size_t rolled = behind - m->stream->states_behind();
  const outcome made = m->make(r, position, entity);
  if (rolled > 0) m->stream->roll_forward(rolled);
  return made;
}

resolution tagging_scheme::resolve(const reference& r, std::size_t position) {
  resolution out;
  BODY* body = position < m->bodies.size() ? m->bodies[position] : nullptr;
  const auto text = m->texts.find(r.name);
  if (body == nullptr) {
    out.reason = "feature '" + r.after + "' did not run";
    return out;
  }
  out.feature_ran = true;
  if (text == m->texts.end()) {
    out.reason = "the reference was never remembered";
    return out;
  }
  const TT::recipe_ptr recipe = TT::read_recipe(text->second);
  if (recipe == nullptr) {
    out.reason = "the recipe text does not read";
    return out;
  }
  if (m->indexed != body || m->index == nullptr) {
    m->index = std::make_unique<TT::tag_index>(std::vector<BODY*>{body});
    m->indexed = body;
  }
  TT::MATCH_CONTEXT context(nullptr, {body}, TT::compare_loose);
  context.use_tag_index(m->index.get());
  const TT::match_explanation why = TT::explain_match(context, recipe.get());
  const auto w = m->witnesses.find(r.name);
  const settled_answer answer =
      settle_answer(why, *recipe, body, w == m->witnesses.end() ? nullptr : &w->second);
  out.reason = answer.reason;
  for (ENTITY* e : answer.entities) out.entities.push_back(shape_of_entity(e));
  return out;
}

bool tagging_scheme::remembers(const std::string& name) const {
  return m->texts.count(name) != 0;
}

std::string tagging_scheme::saved_text(const std::string& name) const {
  const auto text = m->texts.find(name);
  if (text == m->texts.end()) return std::string();
  const auto w = m->witnesses.find(name);
  return w == m->witnesses.end() ? text->second : reference_text(text->second, w->second);
}

outcome tagging_scheme::restore(const reference& r, const std::string& text) {
  std::string recipe_text;
  piece_witnesses witnesses;
  if (!read_reference_text(text, recipe_text, witnesses)) {
    return outcome::failure("reference '" + r.name +
                            "': the text announces witnesses it does not hold");
  }
  const TT::recipe_ptr recipe = TT::read_recipe(recipe_text);
  if (recipe == nullptr) {
    return outcome::failure("reference '" + r.name + "': the text is not a recipe");
  }
  m->texts[r.name] = recipe_text;
  if (witnesses.empty()) {
    m->witnesses.erase(r.name);
  } else {
    m->witnesses[r.name] = std::move(witnesses);
  }
  return outcome();
}

std::map<std::string, int> tagging_scheme::feature_numbers() const {
  return m->numbers;
}

outcome tagging_scheme::restore_feature_numbers(const std::map<std::string, int>& numbers) {
  std::set<int> used;
  for (const auto& [id, number] : numbers) {
    if (number < 1 || number == std::numeric_limits<int>::max() || !used.insert(number).second) {
      return outcome::failure("feature '" + id + "': the number " + std::to_string(number) +
                              " is below 1, the largest int or given twice");
    }
  }
  m->numbers = numbers;
  m->next_number = used.empty() ? 1 : *used.rbegin() + 1;
  return outcome();
}

BODY* tagging_scheme::body(std::size_t position) const {
  return position < m->bodies.size() ? m->bodies[position] : nullptr;
}

BODY* tagging_scheme::last_body() const {
  return m->bodies.empty() ? nullptr : m->bodies.back();
}

}  // namespace tagtrack
