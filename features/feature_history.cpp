#include <tagtrack/features/feature_history.h>

#include <algorithm>
#include <chrono>

#include <TopExp_Explorer.hxx>

#include <tagtrack/features/feature_list.h>
#include <tagtrack/features/tagging_scheme.h>

namespace TT = TPI_TAGGING_TRACKING;

namespace tagtrack {

namespace {

// The scheme's answer as the history gives it: each entity once, the verdict by their count, and
// the time the scheme took.
resolution settled(naming_scheme& scheme, const reference& r, std::size_t position) {
  const auto start = std::chrono::steady_clock::now();
  resolution found = scheme.resolve(r, position);
  const auto stop = std::chrono::steady_clock::now();
  std::vector<TopoDS_Shape> distinct;
  for (const TopoDS_Shape& shape : found.entities) {
    const bool seen = std::any_of(distinct.begin(), distinct.end(),
                                  [&](const TopoDS_Shape& d) { return d.IsSame(shape); });
    if (!shape.IsNull() && !seen) distinct.push_back(shape);
  }
  found.entities.swap(distinct);
  found.verdict = found.entities.empty()       ? TT::match_verdict::lost
                  : found.entities.size() == 1 ? TT::match_verdict::resolved
                                               : TT::match_verdict::ambiguous;
  found.feature_ran = true;
  found.time_us = std::chrono::duration<double, std::micro>(stop - start).count();
  return found;
}

// The entity as it stands in the result of the reference's feature, with its orientation there: a
// scheme may give the same sub-shape otherwise oriented, and a feature that reads a face's outward
// side (a prism sketched on it) must see the face as its solid does.
TopoDS_Shape as_in_result(const TopoDS_Shape& entity,
                          const std::map<std::string, TopoDS_Shape>& results,
                          const std::vector<reference>& references, const std::string& name) {
  const auto r = std::find_if(references.begin(), references.end(),
                              [&](const reference& x) { return x.name == name; });
  if (r == references.end()) return entity;
  const auto result = results.find(r->after);
  if (result == results.end() || result->second.IsNull()) return entity;
  for (TopExp_Explorer e(result->second, entity.ShapeType()); e.More(); e.Next()) {
    if (e.Current().IsSame(entity)) return e.Current();
  }
  return entity;
}

resolution not_run(const std::string& after) {
  resolution r;
  r.reason = "feature '" + after + "' did not run";
  return r;
}

}  // namespace

feature_history::feature_history() : feature_history(std::make_unique<tagging_scheme>()) {}

feature_history::feature_history(std::unique_ptr<naming_scheme> scheme)
    : m_scheme(std::move(scheme)) {}

feature_history::~feature_history() = default;

outcome feature_history::add(feature f) {
  m_features.push_back(std::move(f));
  return outcome();
}

outcome feature_history::insert_before(const std::string& before, feature f) {
  return insert_feature(m_features, before, std::move(f));
}

outcome feature_history::set(feature f) {
  return set_feature(m_features, std::move(f));
}

outcome feature_history::remove(const std::string& id) {
  std::map<std::string, std::string> after;
  for (const reference& r : m_references) after[r.name] = r.after;
  return remove_feature(m_features, id, after);
}

const feature* feature_history::find(const std::string& id) const {
  const long at = find_feature(m_features, id);
  return at < 0 ? nullptr : &m_features[static_cast<std::size_t>(at)];
}

void feature_history::mark_changed(const std::string& id) {
  const long at = find_feature(m_built_features, id);
  if (at >= 0) m_first_change = std::min(m_first_change, static_cast<std::size_t>(at));
}

outcome feature_history::regenerate(from start,
                                    const std::function<void(const std::string&)>& after_feature) {
  if (const outcome valid = check_feature_list(m_features); !valid) return valid;
  if (m_regenerating) return outcome::failure("the history is being regenerated");
  const std::size_t n = m_features.size();

  // Every profile's segments (of a prism or revolve) numbered after its sketch's last numbering.
  std::vector<std::vector<int>> numbers(n);
  for (std::size_t i = 0; i < n; ++i) {
    const std::vector<point3>* sketch = profile_points(m_features[i]);
    if (sketch == nullptr) continue;
    const auto known = m_sketches.find(m_features[i].id);
    numbered_polygon numbered =
        number_segments(*sketch, known == m_sketches.end() ? nullptr : &known->second);
    numbers[i] = numbered.numbers;
    m_sketches[m_features[i].id] = std::move(numbered);
  }

  // The unchanged features at the front keep their results.
  std::size_t first = 0;
  if (start == from::first_change) {
    const std::size_t limit = std::min({m_first_change, m_built_features.size(), n});
    while (first < limit && m_features[first] == m_built_features[first] &&
           numbers[first] == m_built_numbers[first]) {
      ++first;
    }
  }
  m_regenerating = true;
  struct ending {
    feature_history& history;
    ~ending() {
      history.m_scheme->end();
      history.m_regenerating = false;
    }
  } end_regeneration{*this};
  first = m_scheme->begin(m_features, first);

  std::map<std::string, TopoDS_Shape> results;
  std::map<std::string, built> kept;
  for (std::size_t i = 0; i < first; ++i) {
    const std::string& id = m_features[i].id;
    kept[id] = m_built[id];
    results[id] = kept[id].result;
  }
  m_built.swap(kept);
  for (const reference& r : m_references) {
    const long at = find_feature(m_features, r.after);
    if (at < 0 || static_cast<std::size_t>(at) >= first) m_resolved[r.name] = not_run(r.after);
  }

  for (std::size_t i = first; i < n; ++i) {
    const feature& f = m_features[i];
    feature_inputs in;
    in.results = &results;
    in.segment_numbers = numbers[i];
    outcome done;
    for (const std::string& name : consumed_by(f)) {
      const auto r = m_resolved.find(name);
      if (r == m_resolved.end() || r->second.entities.size() != 1) {
        done = outcome::failure("the reference '" + name + "' did not resolve to one entity");
        break;
      }
      in.consumed[name] = as_in_result(r->second.entities[0], results, m_references, name);
    }
    feature_run run;
    if (done) done = run_feature(f, in, run);
    if (done) done = m_scheme->feature_done(i, f, run);
    if (!done) m_scheme->feature_failed(i);
    m_built[f.id] = done ? built{run.result, std::string()} : built{TopoDS_Shape(), done.message()};
    if (done) {
      results[f.id] = run.result;
      for (const reference& r : m_references) {
        if (r.after != f.id) continue;
        if (m_scheme->remembers(r.name)) {
          m_resolved[r.name] = settled(*m_scheme, r, i);
        } else {
          resolution never = not_run(r.after);
          never.feature_ran = true;
          never.reason = "the reference was never remembered";
          m_resolved[r.name] = never;
        }
      }
    }
    if (after_feature) after_feature(f.id);
  }
  m_built_features = m_features;
  m_built_numbers = numbers;
  m_first_change = n;
  m_run_from = first;
  return outcome();
}

TopoDS_Shape feature_history::result(const std::string& id) const {
  const auto at = m_built.find(id);
  return at == m_built.end() ? TopoDS_Shape() : at->second.result;
}

std::string feature_history::failure(const std::string& id) const {
  const auto at = m_built.find(id);
  if (at == m_built.end()) return "feature '" + id + "' has not been regenerated";
  return at->second.failure;
}

outcome feature_history::remember(const std::string& name, const std::string& after,
                                  const TopoDS_Shape& entity) {
  // Within a regeneration the features are those being run; after it, those that ran.
  const long at = find_feature(m_regenerating ? m_features : m_built_features, after);
  if (at < 0 || result(after).IsNull()) {
    return outcome::failure("reference '" + name + "': feature '" + after +
                            "' has no result to take it on");
  }
  if (entity.IsNull()) return outcome::failure("reference '" + name + "': no entity");
  reference r{name, after, entity_type::face};
  switch (entity.ShapeType()) {
    case TopAbs_FACE:
      break;
    case TopAbs_EDGE:
      r.type = entity_type::edge;
      break;
    case TopAbs_VERTEX:
      r.type = entity_type::vertex;
      break;
    default:
      return outcome::failure("reference '" + name + "': not a face, edge or vertex");
  }
  const auto position = static_cast<std::size_t>(at);
  if (const outcome kept = m_scheme->remember(r, position, entity); !kept) return kept;
  m_references.erase(std::remove_if(m_references.begin(), m_references.end(),
                                    [&](const reference& old) { return old.name == name; }),
                     m_references.end());
  m_references.push_back(r);
  if (m_regenerating) {
    m_resolved[name] = settled(*m_scheme, r, position);
  } else {
    resolution itself;
    itself.verdict = TT::match_verdict::resolved;
    itself.entities = {entity};
    itself.feature_ran = true;
    itself.reason = "remembered on this entity since the last regeneration";
    m_resolved[name] = itself;
    // The features that consume it run again.
    for (const feature& f : m_built_features) {
      const std::vector<std::string> consumed = consumed_by(f);
      if (std::find(consumed.begin(), consumed.end(), name) != consumed.end()) {
        mark_changed(f.id);
      }
    }
  }
  return outcome();
}

outcome feature_history::restore(const std::string& name, const std::string& after,
                                 entity_type type, const std::string& text) {
  const reference r{name, after, type};
  if (const outcome kept = m_scheme->restore(r, text); !kept) return kept;
  m_references.erase(std::remove_if(m_references.begin(), m_references.end(),
                                    [&](const reference& old) { return old.name == name; }),
                     m_references.end());
  m_references.push_back(r);
  m_resolved[name] = not_run(after);
  // It is resolved when its feature runs next.
  mark_changed(after);
  return outcome();
}

std::string feature_history::saved_text(const std::string& name) const {
  return m_scheme->saved_text(name);
}

resolution feature_history::resolved(const std::string& name) const {
  const auto at = m_resolved.find(name);
  if (at != m_resolved.end()) return at->second;
  resolution none;
  none.reason = "there is no reference '" + name + "'";
  return none;
}

}  // namespace tagtrack
