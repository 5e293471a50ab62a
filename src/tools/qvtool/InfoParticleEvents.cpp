// qvtool info and dump of particle event records.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <map>

#include "auxdata/krb/KrbReplay.h"
#include "auxdata/krb/ParticleEventTypes.h"
#include "data/ElementTable.h"
#include "tools/qvtool/InfoReplayKinds.h"

namespace {

std::string Symbol(int species) {
  const char* s = qv::ElementSymbol(species);
  return s ? s : "?";
}

}  // namespace

int InfoParticleEvents(Quivane& app, const ParsedArgs& args) {
  const LawData& entry = *app.dataSets.First();
  const KRB_Reader& k = *qv::ParticleEventsOf(entry);
  KrbReplay replay;
  replay.Run(k, app.settings.historyFrame);
  // By element-table index, the symbols the table lacks ("?") last.
  std::map<int, long long> bySpecies;
  replay.Live().ForEach([&](int64_t, const KrbParticle& p) {
    ++bySpecies[qv::ElementSymbol(p.species) ? p.species : INT_MAX];
  });
  double box[9], origin[3];
  k.GetBox(box, origin);
  const int frames = k.FrameLimit() + 1;
  std::string out;
  if (args.Flag("json")) {
    out = "{\"type\":" + std::to_string(entry.type) + ",\"frames\":" + std::to_string(frames) +
          ",\"box\":" + qvtool::JsonNumbers(box, 9) + ",\"origin\":" + qvtool::JsonNumbers(origin, 3) +
          ",\"records\":" + std::to_string(k.Records().size()) +
          ",\"last_time\":" + std::to_string(k.LastTime()) + ",\"frame\":{\"index\":" +
          std::to_string(k.Frame()) + ",\"visible_records\":" + std::to_string(k.VisibleCount()) +
          ",\"live\":" + std::to_string(replay.Live().Size()) + ",\"live_by_species\":{";
    bool first = true;
    for (const auto& [species, n] : bySpecies) {
      out += (first ? "" : ",") + qvtool::JsonString(Symbol(species)) + ":" + std::to_string(n);
      first = false;
    }
    out += "}}}\n";
  } else {
    out = qvtool::TextHead(entry, frames) + "records: " + std::to_string(k.Records().size()) +
          "\nlast time: " + std::to_string(k.LastTime()) + "\nframe " + std::to_string(k.Frame()) +
          ": visible records " + std::to_string(k.VisibleCount()) + ", live " +
          std::to_string(replay.Live().Size()) + "\n  live by species";
    for (const auto& [species, n] : bySpecies) out += " " + Symbol(species) + ":" + std::to_string(n);
    out += "\n";
  }
  qvtool::Flush(out, true);
  return 0;
}

int DumpParticleEvents(Quivane& app) {
  const KRB_Reader& k = *qv::ParticleEventsOf(*app.dataSets.First());
  KrbReplay replay;
  replay.Run(k, 0);
  std::string out;
  char line[160];
  for (const auto& [id, p] : replay.SortedLive()) {
    const int n = std::snprintf(line, sizeof line, "%lld %s %.9g %.9g %.9g\n", static_cast<long long>(id),
                                Symbol(p.species).c_str(), static_cast<double>(p.x),
                                static_cast<double>(p.y), static_cast<double>(p.z));
    out.append(line, static_cast<size_t>(n));
    qvtool::Flush(out, false);
  }
  qvtool::Flush(out, true);
  return 0;
}
