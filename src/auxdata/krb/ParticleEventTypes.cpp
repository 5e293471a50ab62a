#include "auxdata/krb/ParticleEventTypes.h"

#include <cstdio>

namespace {

std::shared_ptr<IDataContainer> OpenParticleEvents(const OpenRequest& r) {
  auto reader = std::make_shared<KRB_Reader>(r.options.trajectoryZReverse != 0);
  const int code = reader->Read(r.longPath);
  const std::string report = qv::ParticleEventsLoadReport(*reader, code, r.longPath);
  std::fputs(report.c_str(), stdout);
  if (code != kKrbRead) {
    qv::SetLoadFailure(report);
    return nullptr;
  }
  return reader;
}

bool ParticleEventsBox(const LawData& entry, double box[9], double origin[3]) {
  const KRB_Reader* k = qv::ParticleEventsOf(entry);
  if (!k) return false;
  k->GetBox(box, origin);
  return true;
}

int ParticleEventsSetFrame(LawData& entry, int target) {
  KRB_Reader* k = qv::ParticleEventsOf(entry);
  return k ? k->SetFrame(target) : 0;
}

}  // namespace

namespace qv {

KRB_Reader* ParticleEventsOf(const LawData& entry) {
  if (entry.type != kTypeParticleEvents) return nullptr;
  return dynamic_cast<KRB_Reader*>(entry.container.get());
}

std::string ParticleEventsLoadReport(const KRB_Reader& k, int code, const std::string& path) {
  char line[512];
  switch (code) {
    case kKrbRead:
      break;
    case kKrbCannotOpen:
      std::snprintf(line, sizeof line, "error: file cannot be opened: %s\n", path.c_str());
      return line;
    case kKrbNoBox:
      std::snprintf(line, sizeof line, "error: %s: the first line is not a BOX line; nothing loaded\n",
                    path.c_str());
      return line;
    case kKrbShortBox:
      std::snprintf(line, sizeof line,
                    "error: %s: the BOX line needs nine box and three origin numbers; nothing loaded\n",
                    path.c_str());
      return line;
    default:
      std::snprintf(line, sizeof line, "error: %s: not loaded (code %d)\n", path.c_str(), code);
      return line;
  }
  std::string out;
  if (k.skippedLines > 0) {
    std::snprintf(line, sizeof line,
                  "warning: %s: %lld line(s) are no record (time kind species id x y z) and were "
                  "skipped, the first is line %lld\n",
                  path.c_str(), static_cast<long long>(k.skippedLines),
                  static_cast<long long>(k.firstSkippedLine));
    out += line;
  }
  if (k.sortedByTime) {
    std::snprintf(line, sizeof line,
                  "warning: %s: the records were not in time order; they were sorted by time "
                  "(records of equal time keep their order)\n", path.c_str());
    out += line;
  }
  return out;
}

void RegisterParticleEventTypes(DataTypeRegistry& registry) {
  if (registry.Find("krb")) return;
  DataTypeRow row;
  row.extensions = {"krb"};
  row.type = kTypeParticleEvents;
  row.open = OpenParticleEvents;
  row.getBox = ParticleEventsBox;
  row.setFrame = ParticleEventsSetFrame;
  registry.Add(std::move(row));
}

}  // namespace qv
