#include "engine/core/Findings.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <tuple>

namespace vexo::engine {
namespace {

// True when `part` occurs in `whole`.
bool Contains(const std::vector<UInt8>& whole, const std::vector<UInt8>& part) {
  return std::search(whole.begin(), whole.end(), part.begin(), part.end()) != whole.end();
}

Int32 Rounded(double v) { return static_cast<Int32>(std::lround(v)); }

PointD Middle(const Box& box) { return {(box.left + box.right) / 2, (box.top + box.bottom) / 2}; }

// Symbologies the library finds in the bars of other symbols: Interleaved 2
// of 5, which carries no check character (in a Code 128 read at half size),
// and UPC-E, six digits (in one half of a skewed EAN-13). A read of one whose
// centre lies on a symbol of another symbology is taken for such a misread.
bool Weak(const Finding& f) {
  return f.symbology == Symbology::Interleaved2of5 || f.symbology == Symbology::UpcE;
}

bool OnOtherSymbol(const Finding& weak, const Finding& other) {
  return other.symbology != weak.symbology && Inside(BoxOf(other), Middle(BoxOf(weak)));
}

}  // namespace

Box BoxOf(const Finding& finding) {
  Box box{finding.corners[0].x, finding.corners[0].y, finding.corners[0].x, finding.corners[0].y};
  for (const PointD& p : finding.corners) {
    box.left = std::min(box.left, p.x);
    box.top = std::min(box.top, p.y);
    box.right = std::max(box.right, p.x);
    box.bottom = std::max(box.bottom, p.y);
  }
  return box;
}

bool Overlap(const Box& a, const Box& b, double tolerance) {
  return a.left - tolerance <= b.right + tolerance && b.left - tolerance <= a.right + tolerance &&
         a.top - tolerance <= b.bottom + tolerance && b.top - tolerance <= a.bottom + tolerance;
}

bool Inside(const Box& box, PointD point) {
  return point.x >= box.left && point.x <= box.right && point.y >= box.top &&
         point.y <= box.bottom;
}

bool MergeFinding(std::vector<Finding>& accepted, Finding candidate, double tolerance) {
  const auto lyingOn = [&](const Finding& f) { return OnOtherSymbol(candidate, f); };
  if (Weak(candidate) && std::any_of(accepted.begin(), accepted.end(), lyingOn)) return false;
  std::erase_if(accepted, [&](const Finding& f) { return Weak(f) && OnOtherSymbol(f, candidate); });
  const Box box = BoxOf(candidate);
  for (Finding& earlier : accepted) {
    if (earlier.symbology != candidate.symbology || !Overlap(BoxOf(earlier), box, tolerance)) {
      continue;
    }
    if (Contains(earlier.content, candidate.content)) return false;
    if (Contains(candidate.content, earlier.content)) {
      earlier = std::move(candidate);
      return true;
    }
  }
  accepted.push_back(std::move(candidate));
  return true;
}

void SortFindings(std::vector<Finding>& findings) {
  std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) {
    const Box boxA = BoxOf(a), boxB = BoxOf(b);
    const Int32 topA = Rounded(boxA.top), leftA = Rounded(boxA.left);
    const Int32 topB = Rounded(boxB.top), leftB = Rounded(boxB.left);
    return std::tie(topA, leftA, a.code, a.content) < std::tie(topB, leftB, b.code, b.content);
  });
}

Int32 AngleOf(const Finding& finding) {
  const double dx = finding.corners[1].x - finding.corners[0].x;
  const double dy = finding.corners[1].y - finding.corners[0].y;
  if (dx == 0 && dy == 0) return 0;
  auto hundredths = Rounded(std::atan2(-dy, dx) * 18000.0 / std::numbers::pi);
  if (hundredths <= -18000) hundredths += 36000;
  return hundredths;
}

}  // namespace vexo::engine
