#include <tagtrack/scenario_runner/report.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <utility>

#include <BRepAdaptor_Surface.hxx>
#include <BRep_Builder.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>

#include <tagtrack/scenario_runner/svg_drawing.h>
#include <tagtrack/scenario_runner/whole_file.h>

namespace tagtrack::scenarios {

namespace {

const char* const arrow = " \xe2\x86\x92 ";  // " → "

// ---- the edit in words ----

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string point(const point3& p) {
  return "[" + number(p.x) + ", " + number(p.y) + ", " + number(p.z) + "]";
}

std::string names(const std::vector<std::string>& list) {
  std::string out;
  for (const std::string& n : list) out += (out.empty() ? "" : ", ") + n;
  return out.empty() ? "none" : out;
}

// A profile's points apart by "; ", each arc after the point it starts from.
std::string profile(const std::vector<point3>& points, const profile_arcs& arcs) {
  std::string out;
  for (std::size_t i = 0; i < points.size(); ++i) {
    out += (i == 0 ? "" : "; ") + point(points[i]);
    if (const auto arc = arcs.find(i); arc != arcs.end())
      out += " arc through " + point(arc->second);
  }
  return out;
}

using parameter_list = std::vector<std::pair<std::string, std::string>>;

// A feature's parameters in words, by the names the scenario files give them.
struct parameters_of {
  parameter_list operator()(const box& b) const {
    return {{"length", number(b.size.x)},
            {"width", number(b.size.y)},
            {"height", number(b.size.z)},
            {"origin", point(b.origin)}};
  }
  parameter_list operator()(const cylinder& c) const {
    return {{"radius", number(c.radius)},
            {"height", number(c.height)},
            {"origin", point(c.origin)},
            {"axis", point(c.axis)}};
  }
  parameter_list operator()(const prism& p) const {
    parameter_list out{{"profile", profile(p.polygon, p.through)}, {"height", number(p.height)}};
    if (!p.sketch_on.empty()) out.push_back({"sketched on", p.sketch_on});
    return out;
  }
  parameter_list operator()(const boolean& b) const { return {{"args", b.object + ", " + b.tool}}; }
  parameter_list operator()(const fillet& f) const {
    return {{"target", f.target}, {"edges", names(f.edges)}, {"radius", number(f.radius)}};
  }
  parameter_list operator()(const chamfer& c) const {
    return {{"target", c.target}, {"edges", names(c.edges)}, {"distance", number(c.distance)}};
  }
  parameter_list operator()(const unify& u) const { return {{"target", u.target}}; }
  parameter_list operator()(const pass_through& p) const { return {{"target", p.target}}; }
  parameter_list operator()(const revolve& r) const {
    parameter_list out{{"profile", profile(r.polygon, r.through)},
                       {"axis origin", point(r.axis.origin)},
                       {"axis", point(r.axis.direction)},
                       {"angle", number(r.angle)}};
    return out;
  }
  parameter_list operator()(const mirror& m) const {
    return {{"target", m.target},
            {"plane origin", point(m.plane_origin)},
            {"plane normal", point(m.plane_normal)}};
  }
  parameter_list operator()(const pattern& p) const {
    parameter_list out{{"target", p.target}, {"count", std::to_string(p.count)}};
    if (p.turn) {
      out.push_back({"axis origin", point(p.turn->axis.origin)});
      out.push_back({"axis", point(p.turn->axis.direction)});
      out.push_back({"angle", number(p.turn->angle)});
    } else {
      out.push_back({"step", point(p.step)});
    }
    return out;
  }
  parameter_list operator()(const shell& s) const {
    return {{"target", s.target}, {"faces", names(s.faces)}, {"thickness", number(s.thickness)}};
  }
  parameter_list operator()(const draft& d) const {
    return {{"target", d.target},
            {"faces", names(d.faces)},
            {"angle", number(d.angle)},
            {"pull", point(d.pull)},
            {"neutral origin", point(d.neutral_origin)}};
  }
  parameter_list operator()(const move& m) const {
    parameter_list out{{"target", m.target}, {"translate", point(m.translate)}};
    if (m.turn) {
      out.push_back({"turn axis origin", point(m.turn->axis.origin)});
      out.push_back({"turn axis", point(m.turn->axis.direction)});
      out.push_back({"turn angle", number(m.turn->angle)});
    }
    return out;
  }
};

parameter_list parameters(const feature& f) {
  return std::visit(parameters_of(), f.parameters);
}

std::string listed(const parameter_list& list) {
  std::string out;
  for (const auto& [name, value] : list) out += (out.empty() ? "" : ", ") + name + " " + value;
  return out;
}

// A profile's change: the points that moved when it keeps its count, else the counts.
std::string profile_change(const std::string& before, const std::string& after) {
  const auto split = [](const std::string& text) {
    std::vector<std::string> points;
    for (std::size_t at = 0; at <= text.size();) {
      const std::size_t end = std::min(text.find("; ", at), text.size());
      points.push_back(text.substr(at, end - at));
      at = end + 2;
    }
    return points;
  };
  const std::vector<std::string> a = split(before), b = split(after);
  if (a.size() != b.size()) {
    return "profile of " + std::to_string(a.size()) + " points" + arrow + std::to_string(b.size()) +
           " points";
  }
  std::string out;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] == b[i]) continue;
    out += (out.empty() ? "profile point " : ", point ") + std::to_string(i + 1) + " " + a[i] +
           arrow + b[i];
  }
  return out;
}

std::string set_words(const feature* before, const feature& after) {
  if (before == nullptr) return "'" + after.id + "' set to a " + op_word(after);
  if (before->parameters.index() != after.parameters.index() ||
      std::string(op_word(*before)) != op_word(after)) {
    return "'" + after.id + "' now a " + op_word(after) + " (" + listed(parameters(after)) + ")";
  }
  const parameter_list old_values = parameters(*before), new_values = parameters(after);
  std::string out;
  for (const auto& entry : new_values) {
    // Named by reference, not by structured binding: a lambda may not capture a binding in C++17.
    const std::string& name = entry.first;
    const std::string& value = entry.second;
    const auto old = std::find_if(old_values.begin(), old_values.end(),
                                  [&](const auto& p) { return p.first == name; });
    std::string words;
    if (old == old_values.end()) {
      words = name + " " + value;
    } else if (old->second == value) {
      continue;
    } else if (name == "profile") {
      words = profile_change(old->second, value);
    } else {
      words = name + " " + old->second + arrow + value;
    }
    out += (out.empty() ? "" : ", ") + words;
  }
  for (const auto& entry : old_values) {
    const std::string& name = entry.first;
    const bool kept = std::any_of(new_values.begin(), new_values.end(),
                                  [&](const auto& p) { return p.first == name; });
    if (!kept) out += (out.empty() ? "" : ", ") + name + " dropped";
  }
  return after.id + " " + (out.empty() ? "set again, unchanged" : out);
}

// ---- the pages ----

constexpr double picture_size = 230;

// Each method's colour and line: the line style tells the methods apart where colours do not,
// and the border under a method's name in the text shows the same line.
struct method_look {
  const char* colour;
  const char* dash;    // SVG stroke-dasharray, or ""
  const char* border;  // CSS border style of the same line
  double ring;         // a vertex found: a ring of this radius
};

method_look look(const std::string& method, std::size_t index) {
  if (method == "tagtrack") return {"#1f77b4", "", "solid", 6};
  if (method == "tnaming") return {"#d62728", "8,5", "dashed", 10};
  if (method == "index") return {"#e67e00", "1,6", "dotted", 14};
  static const std::array<method_look, 3> others = {{{"#9467bd", "4,3", "dashed", 8},
                                                     {"#8c564b", "1,4", "dotted", 12},
                                                     {"#17becf", "", "solid", 16}}};
  return others[index % others.size()];
}

std::string style_sheet(const std::vector<std::string>& methods) {
  std::ostringstream css;
  css << "body{font-family:sans-serif;margin:16px 24px;color:#222}"
         "h1{margin:0 0 8px}h2{margin:28px 0 6px}table{border-collapse:collapse}"
         "td,th{padding:3px 10px;border-bottom:1px solid #e4e4e4;text-align:left}"
         "th{background:#f4f4f4}td.n{text-align:right}"
         ".good{color:#1a7f1a}.bad{color:#c62828}.grey{color:#888}"
         ".legend{display:flex;flex-wrap:wrap;gap:4px 22px;align-items:center;margin:8px 0}"
         ".legend span{display:inline-flex;align-items:center;gap:6px}"
         ".step{margin:14px 0 22px;border-top:1px solid #ccc;padding-top:6px}"
         ".step h3{margin:2px 0 8px;font-size:17px}.step h3 .edit{font-weight:normal}"
         ".refs{display:flex;flex-wrap:wrap;gap:10px}"
         ".ref{border:1px solid #ddd;border-radius:4px;padding:6px;width:"
      << picture_size
      << "px}.ref .name{font-weight:bold}.ref .kind{color:#777;font-weight:normal}"
         ".ref svg{display:block;margin:2px 0}.ans{font-size:13px;line-height:1.7}.ans "
         ".bad{font-weight:bold}"
         "dt{font-weight:bold;float:left;clear:left;width:110px}dd{margin:0 0 4px 120px}"
         // The right entity: a wide pale green band, a green disc for a vertex, a planar face
         // filled pale green.
         ".x{fill:none;stroke:#2ca02c;stroke-opacity:.45;stroke-width:11;stroke-linecap:round;"
         "stroke-linejoin:round}circle.x{fill:#2ca02c;fill-opacity:.45;stroke:none}"
         ".xf{fill:#2ca02c;fill-opacity:.15;stroke:none}";
  for (std::size_t i = 0; i < methods.size(); ++i) {
    const method_look l = look(methods[i], i);
    css << ".m" << i << "{fill:none;stroke:" << l.colour << ";stroke-width:3;stroke-linecap:round"
        << (*l.dash ? std::string(";stroke-dasharray:") + l.dash : "") << "}.k" << i
        << "{border-bottom:3px " << l.border << " " << l.colour << ";padding:0 1px}";
  }
  return css.str();
}

// What the pictures show, in words and samples drawn with the pictures' own classes.
std::string legend(const std::vector<std::string>& methods) {
  std::ostringstream html;
  const auto sample = [&](const std::string& cls, double ring) {
    html << "<svg width=\"78\" height=\"26\"><polyline class=\"" << cls
         << "\" points=\"6,13 44,13\"/><circle class=\"" << cls << "\" cx=\"62\" cy=\"13\" r=\""
         << ring << "\"/></svg>";
  };
  html << "<div class=\"legend\"><span>";
  sample("x", 7);
  html << "the right entity (a face shows its outline; a planar face is filled)</span>";
  for (std::size_t i = 0; i < methods.size(); ++i) {
    html << "<span>";
    sample("m" + std::to_string(i), std::min(look(methods[i], i).ring, 11.0));
    html << "what <b class=\"k" << i << "\">" << xml_escaped(methods[i]) << "</b> found</span>";
  }
  html << "<span><svg width=\"44\" height=\"26\"><path d=\"M4,13H40\" stroke=\"#444\"/></svg>"
          "model edge</span><span><svg width=\"44\" height=\"26\"><path d=\"M4,13H40\" "
          "stroke=\"#b8b8b8\" stroke-dasharray=\"3,3\"/></svg>hidden edge</span></div>\n";
  return html.str();
}

std::string verdict_list() {
  std::ostringstream html;
  html << "<dl>";
  for (const verdict v : {verdict::right, verdict::right_lost, verdict::wrong, verdict::lost,
                          verdict::ambiguous, verdict::failed}) {
    html << "<dt class=\"" << (is_right(v) ? "good" : "bad") << "\">" << verdict_word(v)
         << "</dt><dd>" << verdict_meaning(v) << ".</dd>";
  }
  html << "</dl>\n";
  return html.str();
}

constexpr std::array<verdict, 6> summary_verdicts = {verdict::right,     verdict::right_lost,
                                                     verdict::wrong,     verdict::lost,
                                                     verdict::ambiguous, verdict::failed};

using verdict_counts = std::map<std::string, std::map<verdict, int>>;

verdict_counts count(const std::vector<const step_picture*>& pictures) {
  verdict_counts counts;
  for (const step_picture* p : pictures) {
    for (const auto& [reference, by_method] : p->verdicts) {
      for (const auto& [method, v] : by_method) ++counts[method][v];
    }
  }
  return counts;
}

std::string summary_table(const verdict_counts& counts, const std::vector<std::string>& methods) {
  std::ostringstream html;
  html << "<table class=\"summary\"><tr><th>method</th>";
  for (const verdict v : summary_verdicts) html << "<th>" << verdict_word(v) << "</th>";
  html << "<th>answers</th><th>right in all</th></tr>\n";
  for (std::size_t i = 0; i < methods.size(); ++i) {
    const auto found = counts.find(methods[i]);
    const std::map<verdict, int> none;
    const std::map<verdict, int>& c = found == counts.end() ? none : found->second;
    int total = 0, right = 0;
    html << "<tr><td><b class=\"k" << i << "\">" << xml_escaped(methods[i]) << "</b></td>";
    for (const verdict v : summary_verdicts) {
      const auto n = c.find(v);
      const int k = n == c.end() ? 0 : n->second;
      total += k;
      if (is_right(v)) right += k;
      html << "<td class=\"n"
           << (k == 0        ? " grey"
               : is_right(v) ? " good"
                             : " bad")
           << "\">" << k << "</td>";
    }
    char share[32];
    std::snprintf(share, sizeof share, "%.1f%%", total == 0 ? 0.0 : 100.0 * right / total);
    html << "<td class=\"n\">" << total << "</td><td class=\"n\">" << share << "</td></tr>\n";
  }
  html << "</table>\n";
  return html.str();
}

std::string page_start(const std::string& title, const std::vector<std::string>& methods) {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + xml_escaped(title) +
         "</title><style>" + style_sheet(methods) + "</style></head><body>\n";
}

const char* kind_of(const TopoDS_Shape& s) {
  switch (s.ShapeType()) {
    case TopAbs_VERTEX:
      return "vertex";
    case TopAbs_EDGE:
      return "edge";
    case TopAbs_FACE:
      return "face";
    default:
      return "shape";
  }
}

bool is_planar(const TopoDS_Shape& s) {
  return s.ShapeType() == TopAbs_FACE &&
         BRepAdaptor_Surface(TopoDS::Face(s)).GetType() == GeomAbs_Plane;
}

// One reference in one step: the step's model (drawn once, above, as `model_id`), the right
// entity and each method's answer (the outlines of edges and faces drawn once as `model_id`
// "e" and their index in `outlines`), and the verdicts under it.
void reference_card(const step_picture& p, const std::string& reference,
                    const std::map<std::string, verdict>& verdicts, const iso_view& v,
                    const std::string& model_id, const TopTools_IndexedMapOfShape& outlines,
                    const std::vector<std::string>& methods, std::ostream& html) {
  const auto expected = p.expected.find(reference);
  const auto found = p.found.find(reference);
  const TopoDS_Shape* any = expected != p.expected.end() ? &expected->second : nullptr;
  if (any == nullptr && found != p.found.end()) {
    for (const auto& [method, entities] : found->second) {
      if (!entities.empty()) any = &entities.front();
    }
  }
  html << "<div class=\"ref\"><div class=\"name\">" << xml_escaped(reference);
  if (any != nullptr) html << " <span class=\"kind\">" << kind_of(*any) << "</span>";
  html << "</div>\n<svg width=\"" << v.size() << "\" height=\"" << pixels(v.height())
       << "\"><use href=\"#" << model_id << "\"/>\n";
  // An edge or face by its outline drawn once for the step; a vertex as a ring of its own.
  const auto mark = [&](const TopoDS_Shape& e, const std::string& cls, double ring) {
    const int k = outlines.FindIndex(e);
    if (e.ShapeType() == TopAbs_VERTEX || k == 0) {
      highlight(e, v, "class=\"" + cls + "\"", ring, html);
    } else {
      html << "<use href=\"#" << model_id << "e" << k << "\" class=\"" << cls << "\"/>\n";
    }
  };
  if (expected != p.expected.end()) {
    if (is_planar(expected->second)) fill_face(expected->second, v, "class=\"xf\"", html);
    mark(expected->second, "x", 7);
  }
  // The first method on top.
  for (std::size_t i = methods.size(); i-- > 0;) {
    if (found == p.found.end()) break;
    const auto entities = found->second.find(methods[i]);
    if (entities == found->second.end()) continue;
    for (const TopoDS_Shape& e : entities->second) {
      mark(e, "m" + std::to_string(i), look(methods[i], i).ring);
    }
  }
  html << "</svg>\n<div class=\"ans\">";
  for (std::size_t i = 0; i < methods.size(); ++i) {
    const auto verdict_of = verdicts.find(methods[i]);
    html << (i == 0 ? "" : "<br>") << "<span class=\"k" << i << "\">" << xml_escaped(methods[i])
         << "</span> ";
    if (verdict_of == verdicts.end()) {
      html << "<span class=\"grey\">not scored</span>";
      continue;
    }
    const verdict w = verdict_of->second;
    html << "<span class=\"" << (is_right(w) ? "good" : "bad") << "\">" << verdict_word(w);
    if (w == verdict::ambiguous && found != p.found.end() && expected != p.expected.end()) {
      const auto entities = found->second.find(methods[i]);
      const bool among =
          entities != found->second.end() &&
          std::any_of(entities->second.begin(), entities->second.end(),
                      [&](const TopoDS_Shape& s) { return s.IsSame(expected->second); });
      html << (among ? " (in)" : " (out)");
    }
    html << "</span>";
    if (found != p.found.end()) {
      const auto entities = found->second.find(methods[i]);
      if (entities != found->second.end() && entities->second.size() > 1) {
        html << " <span class=\"grey\">" << entities->second.size() << " found</span>";
      }
    }
  }
  html << "</div></div>\n";
}

std::string scenario_page(const std::string& name, const std::vector<const step_picture*>& steps,
                          const std::vector<std::string>& methods) {
  // One frame round every step's model, so that a change of size shows from step to step.
  TopoDS_Compound models;
  BRep_Builder builder;
  builder.MakeCompound(models);
  for (const step_picture* p : steps) {
    if (!p->model.IsNull()) builder.Add(models, p->model);
  }
  iso_view v(picture_size);
  v.frame(models);

  std::ostringstream html;
  html << page_start(name + " - tagtrack scenarios", methods) << "<p><a href=\"index.html\">"
       << "all scenarios</a></p>\n<h1>" << xml_escaped(name) << "</h1>\n"
       << summary_table(count(steps), methods) << legend(methods)
       << "<p>Verdict words are explained on the <a href=\"index.html#verdicts\">index page</a>."
          " Each picture is one reference in one step.</p>\n";
  for (const step_picture* p : steps) {
    const std::string model_id = "model" + std::to_string(p->step);
    html << "<div class=\"step\"><h3>step " << p->step << ": <span class=\"edit\">"
         << (p->step == 0 ? std::string("the first build, every reference picked")
                          : xml_escaped(p->edit.empty() ? "no change" : p->edit))
         << "</span></h3>\n"
         // The model drawn once per step; every picture of the step shows it by reference.
         << "<svg width=\"0\" height=\"0\" style=\"position:absolute\"><defs><g id=\"" << model_id
         << "\">\n";
    if (!p->model.IsNull()) draw_hidden_lines(p->model, v, html);
    html << "</g>\n";
    // Every edge and face the step's pictures mark, drawn once: most are marked several times,
    // as the right entity and as each method's answer.
    TopTools_IndexedMapOfShape outlines;
    const auto add = [&](const TopoDS_Shape& e) {
      if (e.IsNull() || e.ShapeType() == TopAbs_VERTEX || outlines.Contains(e)) return;
      html << "<path id=\"" << model_id << "e" << outlines.Add(e) << "\" d=\"";
      outline_data(e, v, html);
      html << "\"/>\n";
    };
    for (const auto& [reference, entity] : p->expected) add(entity);
    for (const auto& [reference, by_method] : p->found) {
      for (const auto& [method, entities] : by_method) {
        for (const TopoDS_Shape& e : entities) add(e);
      }
    }
    html << "</defs></svg>\n<div class=\"refs\">\n";
    for (const auto& [reference, verdicts] : p->verdicts) {
      reference_card(*p, reference, verdicts, v, model_id, outlines, methods, html);
    }
    html << "</div></div>\n";
  }
  html << "</body></html>\n";
  return html.str();
}

// A file name for a scenario's page: its name with anything but letters, digits, '-' and '_'
// replaced, numbered when two names come out the same.
std::string page_file(const std::string& name, std::set<std::string>& taken) {
  std::string base;
  for (char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_';
    base += plain ? c : '_';
  }
  if (base.empty() || base == "index") base = "scenario_" + base;
  std::string file = base + ".html";
  for (int n = 2; !taken.insert(file).second; ++n) file = base + "_" + std::to_string(n) + ".html";
  return file;
}

// The verdicts of one method that are not right, as "2 wrong, 1 lost"; "all right" for none.
std::string not_right(const std::map<verdict, int>& counts) {
  std::string out;
  for (const verdict v : summary_verdicts) {
    const auto n = counts.find(v);
    if (is_right(v) || n == counts.end() || n->second == 0) continue;
    out += (out.empty() ? "" : ", ") + std::to_string(n->second) + " " + verdict_word(v);
  }
  return out;
}

}  // namespace

std::string edit_caption(const std::vector<feature>& before, const std::vector<change>& changes) {
  // Each change against the features the changes before it left, so that two changes of one
  // feature each say only what they change.
  std::vector<feature> features = before;
  const auto by_id = [&](const std::string& id) {
    return std::find_if(features.begin(), features.end(),
                        [&](const feature& f) { return f.id == id; });
  };
  std::string words;
  for (const change& c : changes) {
    if (!words.empty()) words += "; ";
    switch (c.what) {
      case change::kind::set: {
        const auto old = by_id(c.value.id);
        words += set_words(old == features.end() ? nullptr : &*old, c.value);
        if (old != features.end()) *old = c.value;
        break;
      }
      case change::kind::insert:
        words += std::string(op_word(c.value)) + " '" + c.value.id + "' inserted before '" +
                 c.before + "' (" + listed(parameters(c.value)) + ")";
        features.insert(by_id(c.before), c.value);
        break;
      case change::kind::remove:
        words += "'" + c.id + "' removed";
        if (const auto gone = by_id(c.id); gone != features.end()) features.erase(gone);
        break;
    }
  }
  return words;
}

outcome write_report(const std::string& dir, const std::vector<step_picture>& pictures,
                     const std::vector<std::string>& methods) {
  // The scenarios in the order they ran, each with its steps.
  std::vector<std::pair<std::string, std::vector<const step_picture*>>> scenarios;
  for (const step_picture& p : pictures) {
    if (scenarios.empty() || scenarios.back().first != p.scenario) {
      scenarios.push_back({p.scenario, {}});
    }
    scenarios.back().second.push_back(&p);
  }
  std::vector<const step_picture*> all;
  for (const step_picture& p : pictures) all.push_back(&p);

  std::error_code failed;
  std::filesystem::create_directories(dir, failed);
  const auto write = [&](const std::string& file, const std::string& text) {
    return !failed && write_whole_file((std::filesystem::path(dir) / file).string(), text);
  };
  const outcome cannot_write =
      outcome::failure("tagtrack: cannot write the report into '" + dir + "'");

  std::ostringstream index;
  index << page_start("tagtrack scenarios", methods) << "<h1>Scenarios</h1>\n"
        << "<p>How each naming method found every reference again after each edit, counted over "
        << scenarios.size() << (scenarios.size() == 1 ? " scenario" : " scenarios")
        << ": one answer per method, reference and step.</p>\n"
        << summary_table(count(all), methods) << "<h2 id=\"verdicts\">What the verdicts mean</h2>\n"
        << verdict_list() << "<h2>What the pictures show</h2>\n"
        << "<p>Each scenario has a page with one picture per reference and step, the step's edit "
           "written above its pictures.</p>\n"
        << legend(methods) << "<h2>The scenarios</h2>\n<table><tr><th>scenario</th><th>steps</th>"
        << "<th>references</th>";
  for (std::size_t i = 0; i < methods.size(); ++i) {
    index << "<th><span class=\"k" << i << "\">" << xml_escaped(methods[i]) << "</span></th>";
  }
  index << "</tr>\n";
  std::set<std::string> taken{"index.html"};
  for (const auto& [name, steps] : scenarios) {
    const std::string file = page_file(name, taken);
    if (!write(file, scenario_page(name, steps, methods))) return cannot_write;
    std::set<std::string> references;
    for (const step_picture* p : steps) {
      for (const auto& [reference, by_method] : p->verdicts) references.insert(reference);
    }
    const verdict_counts counts = count(steps);
    index << "<tr><td><a href=\"" << xml_escaped(file) << "\">" << xml_escaped(name)
          << "</a></td><td"
          << " class=\"n\">" << steps.size() << "</td><td class=\"n\">" << references.size()
          << "</td>";
    for (const std::string& m : methods) {
      const auto c = counts.find(m);
      const std::string missing = c == counts.end() ? "no answers" : not_right(c->second);
      index << "<td class=\"" << (missing.empty() ? "good" : "bad") << "\">"
            << (missing.empty() ? "all right" : missing) << "</td>";
    }
    index << "</tr>\n";
  }
  index << "</table>\n</body></html>\n";
  if (!write("index.html", index.str())) return cannot_write;
  return outcome();
}

}  // namespace tagtrack::scenarios
