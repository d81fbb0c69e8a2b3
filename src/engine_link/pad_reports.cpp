#include "engine_link/pad_reports.h"

#include <algorithm>

namespace engine_link {

std::vector<PadReport> ReadPadReports(const EnginePhaseCalls& engine) {
  std::array<int32_t, kPadsRead> ids{};
  const int32_t connected = engine.iPadList(ids.data(), kPadsRead);
  std::vector<PadReport> reports;
  for (int32_t i = 0; i < std::min<int32_t>(connected, kPadsRead); ++i) {
    PadReport r;
    r.pad = ids[static_cast<size_t>(i)];
    for (int b = 0; b < kPadButtons; ++b) {
      if (engine.iPadButtonDown(r.pad, b)) r.held.set(static_cast<size_t>(b));
      if (engine.iPadButtonClick(r.pad, b)) r.pressed.set(static_cast<size_t>(b));
    }
    for (int a = 0; a < kPadAxes; ++a) r.axes[static_cast<size_t>(a)] = engine.iPadAxis(r.pad, a);
    reports.push_back(r);
  }
  return reports;
}

}  // namespace engine_link
