// Arbitrary bytes as setting.ini, then the same bytes as one override: neither may crash,
// hang or leave a value the drawing cannot use.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "shell/settings/DisplayOptions.h"
#include "shell/settings/Settings.h"

namespace {
class Sink : public INotifyProperty {
 public:
  void Notify(int, int) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Settings s;
  ReadSettingsText(text, s);
  ReadSettingsText(text, s);  // a reload over the values just read
  ApplySettingOverride(std::string(text.substr(0, 256)), s);
  if (!std::isfinite(s.visual.atomRadius) || !std::isfinite(s.viewAngleRadians) ||
      !std::isfinite(s.maxPressure)) {
    std::abort();
  }
  Sink sink;
  DisplayOptions o;
  o.listener = &sink;
  LargeDataCheck(s, 1000, o);
  return 0;
}
