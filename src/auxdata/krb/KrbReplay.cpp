#include "auxdata/krb/KrbReplay.h"

#include <algorithm>
#include <cmath>

void KrbReplay::Run(const KRB_Reader& reader, int64_t trail) {
  live_.Clear();
  segments_.clear();
  const std::vector<KrbRecord>& records = reader.Records();
  const size_t visible = std::min(reader.VisibleCount(), records.size());
  const size_t trailFrom =
      trail <= 0 || static_cast<uint64_t>(trail) >= visible ? 0 : visible - static_cast<size_t>(trail);
  const float half[3] = {0.5f * reader.box[0], 0.5f * reader.box[4], 0.5f * reader.box[8]};
  for (size_t i = 0; i < visible; ++i) {
    const KrbRecord& r = records[i];
    if (r.kind == kKrbDelete) {
      live_.Erase(r.id);
      continue;
    }
    bool inserted = false;
    KrbParticle& p = live_.Insert(r.id, KrbParticle{r.x, r.y, r.z, r.species}, inserted);
    if (inserted) continue;
    if (i >= trailFrom && std::fabs(r.x - p.x) < half[0] && std::fabs(r.y - p.y) < half[1] &&
        std::fabs(r.z - p.z) < half[2]) {
      segments_.push_back(KrbSegment{{p.x, p.y, p.z}, {r.x, r.y, r.z}, p.species});
    }
    p.x = r.x, p.y = r.y, p.z = r.z;
  }
}

std::vector<std::pair<int64_t, KrbParticle>> KrbReplay::SortedLive() const {
  std::vector<std::pair<int64_t, KrbParticle>> out;
  out.reserve(live_.Size());
  live_.ForEach([&](int64_t id, const KrbParticle& p) { out.emplace_back(id, p); });
  std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return out;
}
