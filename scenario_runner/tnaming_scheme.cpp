#include <iostream>
#include <map>
#include <streambuf>
#include <vector>

#include <Standard_Failure.hxx>
#include <TDF_ChildIterator.hxx>
#include <TDF_Data.hxx>
#include <TDF_Label.hxx>
#include <TDF_LabelMap.hxx>
#include <TNaming_Builder.hxx>
#include <TNaming_NamedShape.hxx>
#include <TNaming_Selector.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Iterator.hxx>

#include <tagtrack/scenario_runner/peer_schemes.h>

namespace tagtrack::scenarios {

namespace {

// TNaming writes some of its warnings straight to standard output ("TNaming_Naming::Name:
// FAILED"), where the runner's table or JSON goes: while a selection is made or solved, standard
// output goes nowhere.
class quiet_standard_output {
 public:
  quiet_standard_output() : m_previous(std::cout.rdbuf(&m_nowhere)) {}
  ~quiet_standard_output() { std::cout.rdbuf(m_previous); }
  quiet_standard_output(const quiet_standard_output&) = delete;
  quiet_standard_output& operator=(const quiet_standard_output&) = delete;

 private:
  class nowhere : public std::streambuf {
   protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  };
  nowhere m_nowhere;
  std::streambuf* m_previous;
};

// Open CASCADE's own naming, recorded as its modelling drivers record it: each feature has a label
// whose named shape is its result (generated, or modified from its first input), with child
// labels for the faces it made (one per face), the input faces it modified and those it deleted;
// a reference is a TNaming_Selector selection in the feature's result, solved again after each
// regeneration.
class tnaming_scheme final : public naming_scheme {
 public:
  tnaming_scheme() : m_data(new TDF_Data()) {
    m_features = m_data->Root().FindChild(1, Standard_True);
    m_references = m_data->Root().FindChild(2, Standard_True);
  }
  // A named shape frees its evolution's nodes only when it is forgotten while the document's
  // table of used shapes is still there; destroyed with the document it would keep them, and
  // every shape recorded with them. Every label's attributes are forgotten, deepest first, before
  // the root's (where that table is).
  ~tnaming_scheme() override {
    std::vector<TDF_Label> labels;
    for (TDF_ChildIterator it(m_data->Root(), Standard_True); it.More(); it.Next()) {
      labels.push_back(it.Value());
    }
    for (auto at = labels.rbegin(); at != labels.rend(); ++at) at->ForgetAllAttributes();
    m_data->Root().ForgetAllAttributes();
  }
  tnaming_scheme(const tnaming_scheme&) = delete;
  tnaming_scheme& operator=(const tnaming_scheme&) = delete;

  const char* name() const override { return "tnaming"; }

  std::size_t begin(const std::vector<feature>&, std::size_t) override {
    // A feature that does not run in this build must not keep its last build's named shapes.
    for (TDF_ChildIterator it(m_features, Standard_True); it.More(); it.Next()) {
      it.Value().ForgetAttribute(TNaming_NamedShape::GetID());
    }
    m_results.clear();
    return 0;
  }

  outcome feature_done(std::size_t, const feature& f, const feature_run& run) override {
    try {
      TDF_Label label = feature_label(f.id);
      for (TDF_ChildIterator it(label, Standard_True); it.More(); it.Next()) {
        it.Value().ForgetAttribute(TNaming_NamedShape::GetID());
      }
      if (run.input_ids.empty()) {
        TNaming_Builder(label).Generated(run.result);
        int child = 10;
        for (const auto& [face, role] : run.made_faces) {
          TNaming_Builder(label.FindChild(child++, Standard_True)).Generated(face);
        }
      } else {
        const TopoDS_Shape& object = m_results.at(run.input_ids[0]);
        TNaming_Builder(label).Modify(object, run.result);
        // A mirror's result is its one copy: what became of the target is that copy's history.
        const Handle(BRepTools_History)& history =
            run.history.IsNull() && !run.copies.empty() ? run.copies[0].history : run.history;
        if (!history.IsNull()) record_history(label, run, history);
      }
      m_results[f.id] = run.result;
      return outcome();
    } catch (const Standard_Failure& failure) {
      return outcome::failure(std::string("TNaming failed: ") + failure.GetMessageString());
    } catch (const std::out_of_range&) {
      return outcome::failure("an input was not recorded");
    }
  }

  outcome remember(const reference& r, std::size_t, const TopoDS_Shape& entity) override {
    m_remembered[r.name] = true;
    try {
      TNaming_Selector selector(reference_label(r.name));
      const quiet_standard_output quiet;
      selector.Select(entity, m_results.at(r.after));
    } catch (const Standard_Failure&) {
    } catch (const std::out_of_range&) {
    }
    return outcome();
  }

  resolution resolve(const reference& r, std::size_t) override {
    resolution found;
    try {
      TDF_Label label = reference_label(r.name);
      TDF_LabelMap valid;
      for (TDF_ChildIterator it(m_data->Root(), Standard_True); it.More(); it.Next()) {
        valid.Add(it.Value());
      }
      TNaming_Selector selector(label);
      const quiet_standard_output quiet;
      if (!selector.Solve(valid)) return found;
      Handle(TNaming_NamedShape) named = selector.NamedShape();
      if (named.IsNull() || named->IsEmpty()) return found;
      collect(named->Get(), shape_type(r.type), found.entities);
    } catch (const Standard_Failure&) {
      found.entities.clear();
    }
    return found;
  }

  bool remembers(const std::string& name) const override { return m_remembered.count(name) != 0; }

 private:
  TDF_Label feature_label(const std::string& id) {
    auto at = m_tags.find(id);
    if (at == m_tags.end()) at = m_tags.emplace(id, static_cast<int>(m_tags.size()) + 1).first;
    return m_features.FindChild(at->second, Standard_True);
  }
  TDF_Label reference_label(const std::string& name) {
    auto at = m_reference_tags.find(name);
    if (at == m_reference_tags.end()) {
      at = m_reference_tags.emplace(name, static_cast<int>(m_reference_tags.size()) + 1).first;
    }
    return m_references.FindChild(at->second, Standard_True);
  }

  // Child 1: the input faces the feature modified; child 2: those it deleted; child 3: the faces
  // it generated from input edges and vertices; 10 on: the faces it made.
  void record_history(TDF_Label label, const feature_run& run,
                      const Handle(BRepTools_History) & history) {
    TopTools_IndexedMapOfShape result_faces;
    TopExp::MapShapes(run.result, TopAbs_FACE, result_faces);
    TNaming_Builder modified(label.FindChild(1, Standard_True));
    TNaming_Builder deleted(label.FindChild(2, Standard_True));
    TNaming_Builder generated(label.FindChild(3, Standard_True));
    for (const std::string& input : run.input_ids) {
      const TopoDS_Shape& shape = m_results.at(input);
      TopTools_IndexedMapOfShape faces, others;
      TopExp::MapShapes(shape, TopAbs_FACE, faces);
      TopExp::MapShapes(shape, TopAbs_EDGE, others);
      TopExp::MapShapes(shape, TopAbs_VERTEX, others);
      for (int i = 1; i <= faces.Extent(); ++i) {
        const TopoDS_Shape& face = faces(i);
        bool kept = result_faces.Contains(face);
        for (const TopoDS_Shape& image : history->Modified(face)) {
          if (result_faces.Contains(image)) {
            modified.Modify(face, image);
            kept = true;
          }
        }
        if (!kept) deleted.Delete(face);
      }
      for (int i = 1; i <= others.Extent(); ++i) {
        for (const TopoDS_Shape& image : history->Generated(others(i))) {
          if (image.ShapeType() == TopAbs_FACE && result_faces.Contains(image)) {
            generated.Generated(others(i), image);
          }
        }
      }
    }
    int child = 10;
    for (const auto& [face, role] : run.made_faces) {
      TNaming_Builder(label.FindChild(child++, Standard_True)).Generated(face);
    }
  }

  static void collect(const TopoDS_Shape& shape, TopAbs_ShapeEnum type,
                      std::vector<TopoDS_Shape>& found) {
    if (shape.ShapeType() == type) {
      found.push_back(shape);
    } else if (shape.ShapeType() == TopAbs_COMPOUND) {
      for (TopoDS_Iterator it(shape); it.More(); it.Next()) collect(it.Value(), type, found);
    }
  }

  Handle(TDF_Data) m_data;
  TDF_Label m_features, m_references;
  std::map<std::string, int> m_tags, m_reference_tags;
  std::map<std::string, TopoDS_Shape> m_results;
  std::map<std::string, bool> m_remembered;
};

}  // namespace

std::unique_ptr<naming_scheme> make_tnaming_scheme() {
  return std::make_unique<tnaming_scheme>();
}

}  // namespace tagtrack::scenarios
