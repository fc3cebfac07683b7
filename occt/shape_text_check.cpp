#include <tagtrack/occt/internal/shape_text_check.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include <locale.h>
#include <stdlib.h>

namespace tagtrack_occt {

namespace {

// Deeper nesting of trimmed and offset curves and surfaces than any modeller makes; Open
// CASCADE's reader takes each level on its stack.
constexpr int max_nesting = 64;
constexpr long long max_integer = 1000000000000;

bool is_space(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// The tokens of a shape text, as Open CASCADE's reader takes them (runs of characters between
// white space), each number held to being finite as it passes; the first fault ends the walk.
class shape_text {
 public:
  shape_text(const std::string& text, std::size_t from) : m_text(text), m_at(from) {}

  const std::string& fault() const { return m_fault; }

  // The next token; false at the end of the text or once a fault is found.
  bool next(std::string_view& token) {
    if (!m_fault.empty()) return false;
    while (m_at < m_text.size() && is_space(m_text[m_at])) ++m_at;
    if (m_at == m_text.size()) return false;
    const std::size_t start = m_at;
    while (m_at < m_text.size() && !is_space(m_text[m_at])) ++m_at;
    token = std::string_view(m_text).substr(start, m_at - start);
    return finite(token);
  }

  // The next token as a whole number, kept within 10^12 either way so that counts multiply
  // without overflow once room() has held each to the text. Anything else is a fault: Open
  // CASCADE's reader would take the digits it starts with and read the rest as the next item, out
  // of step with the text from there on.
  bool integer(long long& value, const char* what) {
    std::string_view token;
    if (!next(token)) return false;
    const std::string digits(token.substr(0, 24));
    char* end = nullptr;
    value = std::strtoll(digits.c_str(), &end, 10);
    value = std::max(-max_integer, std::min(max_integer, value));
    if (token.size() <= 24 && end == digits.c_str() + digits.size()) return true;
    fail("it holds '" + digits.substr(0, 20) + "' where " + what + " (a whole number) belongs");
    return false;
  }

  // The kind of an entry of `table`, which this check does not know.
  bool unknown(const char* table, long long kind) {
    fail("its table of " + std::string(table) + " holds an entry of unknown kind " +
         std::to_string(kind));
    return false;
  }

  bool skip(long long tokens) {
    std::string_view token;
    for (long long i = 0; i < tokens; ++i) {
      if (!next(token)) return false;
    }
    return true;
  }

  // `entries` entries of `tokens` tokens each must fit in the rest of the text, each token taking
  // at least one character and a separator; a negative count is refused too.
  bool room(long long entries, long long tokens, const char* what) {
    const auto rest = static_cast<long long>(m_text.size() - m_at);
    if (entries >= 0 && (entries == 0 || tokens <= rest / 2 / entries)) return true;
    if (entries < 0) {
      fail("it announces " + std::to_string(entries) + " " + what);
    } else {
      fail("it announces " + std::to_string(entries) + " " + what + ", more than the " +
           std::to_string(rest) + " bytes after the count can hold");
    }
    return false;
  }

  void fail(std::string why) {
    if (m_fault.empty()) m_fault = std::move(why);
  }

 private:
  // Numbers are read as Open CASCADE's reader reads them, in the C locale; words (Ve, Ed, *, ...)
  // start otherwise, and nan and inf as strtod spells them do not.
  bool finite(std::string_view token) {
    const char c = token[0];
    if (!((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'n' || c == 'N' ||
          c == 'i' || c == 'I')) {
      return true;
    }
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t());
    const std::string number(token);
    char* end = nullptr;
    const double value = strtod_l(number.c_str(), &end, c_locale);
    if (end == number.c_str() || std::isfinite(value)) return true;
    fail("it holds a number that is not finite ('" + number.substr(0, 40) + "')");
    return false;
  }

  const std::string& m_text;
  std::size_t m_at;
  std::string m_fault;
};

// A 2d (dimension 2) or 3d curve: its kind, its numbers and, for a trimmed or offset curve, its
// basis curve. False when it ends the walk (a fault, or a kind this check does not know).
bool curve(shape_text& text, long long dimension) {
  for (int depth = 0; depth <= max_nesting; ++depth) {
    long long kind = 0, rational = 0, periodic = 0, degree = 0, poles = 0, knots = 0;
    if (!text.integer(kind, "a kind")) return false;
    switch (kind) {
      case 1:  // line: a point and a direction
        return text.skip(2 * dimension);
      case 2:  // circle, parabola: a point, (in 3d) the axis, two directions, one length
      case 4:
        return text.skip(dimension == 3 ? 13 : 7);
      case 3:  // ellipse, hyperbola: two lengths
      case 5:
        return text.skip(dimension == 3 ? 14 : 8);
      case 6:  // Bezier: rational flag and degree, then degree + 1 poles (and weights)
        if (!text.integer(rational, "a flag") || !text.integer(degree, "a degree")) return false;
        if (!text.room(degree + 1, dimension + (rational != 0), "curve poles")) return false;
        return text.skip((degree + 1) * (dimension + (rational != 0)));
      case 7:  // B-spline: flags, degree, counts of poles and knots, then both
        if (!text.integer(rational, "a flag") || !text.integer(periodic, "a flag") ||
            !text.integer(degree, "a degree") || !text.integer(poles, "a count") ||
            !text.integer(knots, "a count")) {
          return false;
        }
        if (!text.room(poles, dimension + (rational != 0), "curve poles") ||
            !text.room(knots, 2, "curve knots")) {
          return false;
        }
        return text.skip(poles * (dimension + (rational != 0)) + 2 * knots);
      case 8:  // trimmed: two parameters, then the basis
        if (!text.skip(2)) return false;
        break;
      case 9:  // offset: the distance and (in 3d) a direction, then the basis
        if (!text.skip(dimension == 3 ? 4 : 1)) return false;
        break;
      default:
        return text.unknown(dimension == 3 ? "Curves" : "Curve2ds", kind);
    }
  }
  text.fail("its curves nest more than " + std::to_string(max_nesting) + " deep");
  return false;
}

// A surface, as a curve above; an extrusion or revolution ends with its 3d basis curve.
bool surface(shape_text& text) {
  for (int depth = 0; depth <= max_nesting; ++depth) {
    long long kind = 0;
    if (!text.integer(kind, "a kind")) return false;
    long long flags[4] = {}, degrees[2] = {}, counts[4] = {};
    switch (kind) {
      case 1:  // plane: a point, the axis and two directions
        return text.skip(12);
      case 2:  // cylinder, sphere: a radius
      case 4:
        return text.skip(13);
      case 3:  // cone: radius and angle; torus: two radii
      case 5:
        return text.skip(14);
      case 6:  // linear extrusion: a direction, then the curve
        return text.skip(3) && curve(text, 3);
      case 7:  // revolution: a point and an axis, then the curve
        return text.skip(6) && curve(text, 3);
      case 8: {  // Bezier: two rational flags, two degrees, then the poles (and weights)
        if (!text.integer(flags[0], "a flag") || !text.integer(flags[1], "a flag") ||
            !text.integer(degrees[0], "a degree") || !text.integer(degrees[1], "a degree")) {
          return false;
        }
        const long long size = 3 + (flags[0] != 0 || flags[1] != 0);
        if (!text.room(degrees[0] + 1, size, "surface poles") ||
            !text.room(degrees[1] + 1, size, "surface poles") ||
            !text.room((degrees[0] + 1) * (degrees[1] + 1), size, "surface poles")) {
          return false;
        }
        return text.skip((degrees[0] + 1) * (degrees[1] + 1) * size);
      }
      case 9: {  // B-spline: four flags, two degrees, the counts of poles and knots, then those
        for (long long& f : flags) {
          if (!text.integer(f, "a flag")) return false;
        }
        if (!text.integer(degrees[0], "a degree") || !text.integer(degrees[1], "a degree")) {
          return false;
        }
        for (long long& c : counts) {
          if (!text.integer(c, "a count")) return false;
        }
        const long long size = 3 + (flags[0] != 0 || flags[1] != 0);
        if (!text.room(counts[0], size, "surface poles") ||
            !text.room(counts[1], size, "surface poles") ||
            !text.room(counts[0] * counts[1], size, "surface poles") ||
            !text.room(counts[2], 2, "surface knots") ||
            !text.room(counts[3], 2, "surface knots")) {
          return false;
        }
        return text.skip(counts[0] * counts[1] * size + 2 * (counts[2] + counts[3]));
      }
      case 10:  // rectangular trimmed: four parameters, then the basis
        if (!text.skip(4)) return false;
        break;
      case 11:  // offset: the distance, then the basis
        if (!text.skip(1)) return false;
        break;
      default:
        return text.unknown("Surfaces", kind);
    }
  }
  text.fail("its surfaces nest more than " + std::to_string(max_nesting) + " deep");
  return false;
}

// One entry of the table `name`; false at the end of the text or at a fault.
bool entry(shape_text& text, std::string_view name, bool normals) {
  long long a = 0, b = 0, c = 0, d = 0;
  if (name == "Locations") {
    if (!text.integer(a, "a kind")) return false;
    if (a == 1) return text.skip(12);  // a transformation's three rows
    if (a != 2) return text.unknown("Locations", a);
    // A product of earlier locations, each with its power, closed by 0.
    for (;;) {
      if (!text.integer(b, "a location")) return false;
      if (b == 0) return true;
      if (!text.skip(1)) return false;
    }
  }
  if (name == "Curve2ds") return curve(text, 2);
  if (name == "Curves") return curve(text, 3);
  if (name == "Surfaces") return surface(text);
  if (name == "Polygon3D") {  // nodes, parameter flag, deflection, points, parameters
    if (!text.integer(a, "a count") || !text.integer(b, "a flag") || !text.skip(1)) return false;
    const long long size = b != 0 ? 4 : 3;
    return text.room(a, size, "polygon nodes") && text.skip(a * size);
  }
  if (name == "PolygonOnTriangulations") {  // nodes, their indices, p, deflection, parameters
    if (!text.integer(a, "a count") || !text.room(a, 1, "polygon nodes") || !text.skip(a + 2) ||
        !text.integer(b, "a flag")) {
      return false;
    }
    return b == 0 || (text.room(a, 1, "polygon parameters") && text.skip(a));
  }
  if (name == "Triangulations") {  // nodes, triangles, flags, deflection, then each
    if (!text.integer(a, "a count") || !text.integer(b, "a count") || !text.integer(c, "a flag") ||
        (normals && !text.integer(d, "a flag")) || !text.skip(1)) {
      return false;
    }
    const long long size = 3 + (c != 0 ? 2 : 0) + (d != 0 ? 3 : 0);
    return text.room(a, size, "triangulation nodes") &&
           text.room(b, 3, "triangulation triangles") && text.skip(a * size + 3 * b);
  }
  return false;
}

}  // namespace

std::string shape_text_fault(const std::string& text, std::size_t from) {
  static const char* const tables[] = {
      "Locations", "Curve2ds",       "Curves", "Polygon3D", "PolygonOnTriangulations",
      "Surfaces",  "Triangulations", "TShapes"};
  shape_text walk(text, from);
  bool normals = false;  // the third version of the text gives triangulations normals
  std::string_view token;
  while (walk.next(token)) {
    if (token == "Topology") {
      if (!walk.next(token)) break;
      normals = token.substr(0, 2) == "V3";
      continue;
    }
    const char* table = nullptr;
    for (const char* name : tables) {
      if (token == name) table = name;
    }
    if (table == nullptr) continue;
    long long count = 0;
    if (!walk.integer(count, "a table's count") ||
        !walk.room(count, 1, (std::string("entries in its table of ") + table).c_str())) {
      break;
    }
    // The shapes hold no counts: their lists end with a mark, and their numbers pass next().
    if (token == "TShapes") continue;
    for (long long i = 0; i < count && entry(walk, table, normals); ++i) {
    }
  }
  return walk.fault();
}

}  // namespace tagtrack_occt
