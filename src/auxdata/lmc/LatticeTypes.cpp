#include "auxdata/lmc/LatticeTypes.h"

#include <cstdio>

namespace {

const char* HeaderProblem(int code) {
  switch (code) {
    case kLmcNoFirstLine: return "the file is empty (no ELEMENTS line)";
    case kLmcNotElements: return "line 1 does not start with ELEMENTS";
    case kLmcNoSecondLine: return "the GRID line (line 2) is missing";
    case kLmcNotGrid: return "line 2 does not start with GRID";
    case kLmcNoThirdLine: return "the BOX line (line 3) is missing";
    case kLmcNotBox: return "line 3 does not start with BOX";
    case kLmcTooManySpecies: return "line 1 names more than 108 species";
    case kLmcNoSpecies: return "line 1 names no species";
    case kLmcBadGridSize: return "GRID needs three positive integers";
    case kLmcBadBoxNumbers: return "BOX needs nine finite numbers";
    case kLmcGridTooLarge:
      return "the grid has more cells than the file has INIT lines for, or more counts than "
             "can be indexed";
    default: return "the header cannot be read";
  }
}

std::shared_ptr<IDataContainer> OpenLattice(const OpenRequest& r) {
  auto holder = std::make_shared<LMC_Holder>();
  const int code = holder->Load(r.longPath);
  const std::string report = qv::LatticeLoadReport(*holder, code, r.longPath);
  std::fputs(report.c_str(), stdout);
  if (code != kLmcLoaded) {
    qv::SetLoadFailure(report);
    return nullptr;
  }
  return holder;
}

bool LatticeBox(const LawData& entry, double box[9], double origin[3]) {
  const LMC_Holder* h = qv::LatticeOf(entry);
  if (!h) return false;
  h->GetBox(box, origin);
  return true;
}

int LatticeSetFrame(LawData& entry, int target) {
  LMC_Holder* h = qv::LatticeOf(entry);
  return h ? h->SetFrame(target) : 0;
}

}  // namespace

namespace qv {

LMC_Holder* LatticeOf(const LawData& entry) {
  if (entry.type != kTypeLattice) return nullptr;
  return dynamic_cast<LMC_Holder*>(entry.container.get());
}

std::string LatticeLoadReport(const LMC_Holder& h, int code, const std::string& path) {
  std::string out;
  char line[512];
  const auto add = [&](const char* fmt, auto... args) {
    std::snprintf(line, sizeof line, fmt, args...);
    out += line;
  };
  if (code == kLmcCannotOpen) {
    add("error: file cannot be opened: %s\n", path.c_str());
    return out;
  }
  if (code == kLmcBadHeader) {
    add("error: %s: %s; nothing loaded\n", path.c_str(), HeaderProblem(h.HeaderCode()));
    return out;
  }
  if (code != kLmcLoaded) {
    add("error: %s: not loaded (code %d)\n", path.c_str(), code);
    return out;
  }
  const LMC_Reader* r = h.Reader();
  if (h.InitCode() == kLmcInitEndsEarly) {
    add("warning: %s: the file ends before every cell has an INIT line; the rest stay empty "
        "and there are no steps\n", path.c_str());
  } else if (h.InitCode() == kLmcInitNotInit) {
    add("warning: %s: a line of the initial state does not start with INIT; the cells from "
        "there on stay empty and there are no steps\n", path.c_str());
  }
  if (r && r->rejectedEvents > 0) {
    std::string lines;
    for (int64_t n : r->rejectedLines) lines += (lines.empty() ? "" : ", ") + std::to_string(n);
    add("warning: %s: %lld event(s) outside the %dx%dx%d grid or without their numbers were "
        "rejected (line %s%s)\n", path.c_str(), static_cast<long long>(r->rejectedEvents), h.nx,
        h.ny, h.nz, lines.c_str(), r->rejectedEvents > static_cast<int64_t>(r->rejectedLines.size()) ? ", ..." : "");
  }
  if (r && h.StepCode() == kLmcStepUnknownSpecies) {
    add("warning: %s: line %lld names a species the header does not; the steps end there\n",
        path.c_str(), static_cast<long long>(r->stopLine));
  } else if (r && h.StepCode() == kLmcStepBadLine) {
    add("warning: %s: line %lld is neither STEP nor EVENT; the steps end there\n", path.c_str(),
        static_cast<long long>(r->stopLine));
  }
  if (r && r->outOfRangeCounts > 0) {
    add("warning: %s: %lld count(s) lie outside -128..127 and wrap around\n", path.c_str(),
        static_cast<long long>(r->outOfRangeCounts));
  }
  return out;
}

void RegisterLatticeTypes(DataTypeRegistry& registry) {
  if (registry.Find("lmc")) return;
  DataTypeRow row;
  row.extensions = {"lmc"};
  row.type = kTypeLattice;
  row.open = OpenLattice;
  row.getBox = LatticeBox;
  row.setFrame = LatticeSetFrame;
  registry.Add(std::move(row));
}

}  // namespace qv
