#include <map>

#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>

#include <tagtrack/scenario_runner/peer_schemes.h>

namespace tagtrack::scenarios {

namespace {

// The entity's number among the sub-shapes of its type of the feature's result.
class index_scheme final : public naming_scheme {
 public:
  const char* name() const override { return "index"; }
  std::size_t begin(const std::vector<feature>&, std::size_t) override {
    m_results.clear();
    return 0;
  }
  outcome feature_done(std::size_t, const feature& f, const feature_run& run) override {
    m_results[f.id] = run.result;
    return outcome();
  }
  outcome remember(const reference& r, std::size_t, const TopoDS_Shape& entity) override {
    TopTools_IndexedMapOfShape all;
    TopExp::MapShapes(m_results[r.after], shape_type(r.type), all);
    m_index[r.name] = all.FindIndex(entity);
    return outcome();
  }
  resolution resolve(const reference& r, std::size_t) override {
    resolution found;
    TopTools_IndexedMapOfShape all;
    TopExp::MapShapes(m_results[r.after], shape_type(r.type), all);
    const int index = m_index[r.name];
    if (index >= 1 && index <= all.Extent()) found.entities.push_back(all(index));
    return found;
  }
  bool remembers(const std::string& name) const override { return m_index.count(name) != 0; }

 private:
  std::map<std::string, TopoDS_Shape> m_results;
  std::map<std::string, int> m_index;
};

}  // namespace

std::unique_ptr<naming_scheme> make_index_scheme() {
  return std::make_unique<index_scheme>();
}

}  // namespace tagtrack::scenarios
