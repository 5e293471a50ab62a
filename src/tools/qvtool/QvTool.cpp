#include "tools/qvtool/QvTool.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "data/Console.h"

// Command implementations, one file each.
int CmdInfo(Quivane& app, const ParsedArgs& args);
int CmdDump(Quivane& app, const ParsedArgs& args);
int CmdConvert(Quivane& app, const ParsedArgs& args);
int CmdBonds(Quivane& app, const ParsedArgs& args);
int CmdMolecules(Quivane& app, const ParsedArgs& args);
int CmdCoord(Quivane& app, const ParsedArgs& args);
int CmdCoordSeries(Quivane& app, const ParsedArgs& args);
int CmdEps(Quivane& app, const ParsedArgs& args);
int CmdStl(Quivane& app, const ParsedArgs& args);
int CmdRender(Quivane& app, const ParsedArgs& args);

const std::vector<CommandSpec>& Commands() {
  static const std::vector<CommandSpec> commands = {
      {"info",
       "info FILE [--json]",
       "Load FILE as the viewer would, step through every frame and print the data-set type,\n"
       "the frame count and, per frame, index, atom count, box, origin and atoms per element.",
       {},
       {"json"},
       1,
       1,
       CmdInfo},
      {"dump",
       "dump FILE [--frame N]",
       "Print the selected frame's atoms, one line each: index atomic_number x y z (%.9g).",
       {},
       {},
       1,
       1,
       CmdDump},
      {"convert",
       "convert FILE (--to md3|fa2 | --all [--skip K]) [--frame N]",
       "Write the selected frame beside FILE as FILE-base_N.md3 or FILE-base_N.fa2 (N the\n"
       "frame), or with --all every K-th frame from the selected one to the end as\n"
       "FILE-base_all.md3 (title \"converted by Quivane\", vectors kept), then the bitmap of\n"
       "the last frame reached as render draws it. FILE-base is FILE without its last \".\"\n"
       "and what follows.",
       {"frames", "to", "skip"},
       {"all"},
       1,
       1,
       CmdConvert},
      {"bonds",
       "bonds FILE [--frame N] [--cutoff C] [--json] [--list]",
       "Determine the selected frame's bonds as the viewer does and print \"bonds B\" and one\n"
       "line \"index count\" per atom; --json prints {\"bonds\":B,\"counts\":[...]}; --list adds\n"
       "the half list, one \"i j dx dy dz\" line per bond (\"entries\":[[i,j,dx,dy,dz],...]).",
       {"frames"},
       {"json", "list"},
       1,
       1,
       CmdBonds},
      {"molecules",
       "molecules FILE [--frame N]",
       "Classify the selected frame into molecules: writes BASE_mol.txt (count and composition\n"
       "per line) and BASE_coord_N.txt, BASE being FILE without its extension.",
       {"frames"},
       {},
       1,
       1,
       CmdMolecules},
      {"coord",
       "coord FILE [--frame N]",
       "Write the selected frame's coordination numbers to BASE_coord_N.txt (nothing when the\n"
       "frame has no bonds).",
       {"frames"},
       {},
       1,
       1,
       CmdCoord},
      {"coord-series",
       "coord-series FILE [--frame N] [--skip K]",
       "Write a coordination histogram per frame to BASE_coord.txt, from the selected frame to\n"
       "the end in steps of K frames (default 1).",
       {"skip"},
       {},
       1,
       1,
       CmdCoordSeries},
      {"eps",
       "eps FILE [--frame N] [--size WxH] [--ortho]",
       "Write the frame as an EPS figure beside FILE (<base><frame>.eps), seen by the camera\n"
       "fitted to the data as after opening the file in the viewer, for a window client of\n"
       "WxH pixels (default 640x480). --ortho: orthographic projection (otherwise the\n"
       "settings' VISUAL Projection). Prints the file name written.",
       {"frames", "size"},
       {"ortho"},
       1,
       1,
       CmdEps},
      {"stl",
       "stl FILE [--frame N] [--grid]",
       "Write the selected frame as binary STL beside FILE, named BASE_N.stl (N the frame):\n"
       "one sphere per atom (OUTPUT AtomRadius, STLAtomPoly), or with --grid one closed\n"
       "surface of the atoms on the periodic grid of the box (STLGridWidth,\n"
       "STLGridCutoffEdgeZ, STLScale). Prints the file name.",
       {"frames"},
       {"grid"},
       1,
       1,
       CmdStl},
      {"render",
       "render FILE... [--frame N] [--size WxH] [--magnify M] [--backend gl15|gl33] [-o OUT]",
       "Draw the selected frame as the viewer's bitmap output would, without any display\n"
       "(headless EGL), with the camera fitted as after a load and every display setting.\n"
       "Several FILEs are drawn together (\"Multiview\" lays them side by side). Size defaults\n"
       "to the window size, the magnification to \"DefaultBmpMagnify\"; OUT ending in .png\n"
       "writes PNG, anything else BMP (default: the data file's base name, the frame number\n"
       "in four digits and \".bmp\"). --backend draws with the fixed-function (gl15) or the\n"
       "shader (gl33) back end; without it \"DirectX11\" decides (1, the default: gl33).\n"
       "Prints the file written.",
       {"frames", "size", "magnify", "backend", "o"},
       {},
       1,
       64,
       CmdRender},
  };
  return commands;
}

bool ParsedArgs::Flag(const std::string& name) const {
  return std::find(flags.begin(), flags.end(), name) != flags.end();
}

namespace {

const char* kCommonValueOptions[] = {"settings", "set", "frame", "cutoff"};

void PrintHelp(FILE* f) {
  std::fprintf(
      f,
      "usage: qvtool COMMAND FILE [options]\n"
      "\n"
      "Options every command takes:\n"
      "  --settings PATH            read this settings file instead of setting.ini\n"
      "                             (default: the current directory, then beside qvtool)\n"
      "  --set SECTION:KEY=VALUE    override one setting after the file is read\n"
      "                             (repeatable)\n"
      "  --frame N                  select frame N (default 0) as stepping in the viewer does\n"
      "  --cutoff C                 same as --set VISUAL:BondCutoff=C\n"
      "  --frames START:STOP:STEP   (render, eps, stl, convert --to, bonds, coord, molecules)\n"
      "                             run once per frame of the range, each output named as for\n"
      "                             its --frame; STOP exclusive, negative numbers count from\n"
      "                             the end, parts may be left out (\"-10:\", \"::5\")\n"
      "\n"
      "Commands:\n");
  for (const auto& c : Commands()) {
    std::fprintf(f, "  qvtool %s\n", c.usage);
    std::string s = c.summary;
    size_t pos = 0;
    while (pos <= s.size()) {
      size_t nl = s.find('\n', pos);
      if (nl == std::string::npos) nl = s.size();
      std::fprintf(f, "      %s\n", s.substr(pos, nl - pos).c_str());
      pos = nl + 1;
    }
  }
  std::fprintf(f,
               "\nExit status: 0 success, 1 nothing loaded or the work failed (reason on "
               "standard error),\n2 usage error.\n");
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

}  // namespace

int RunQvTool(int argc, char** argv) {
  if (argc < 2) {
    PrintHelp(stderr);
    return 2;
  }
  std::string first = argv[1];
  if (first == "--help" || first == "-h" || first == "help") {
    PrintHelp(stdout);
    return 0;
  }
  const CommandSpec* chosen = nullptr;
  for (const auto& c : Commands()) {
    if (first == c.name) chosen = &c;
  }
  if (!chosen) {
    std::fprintf(stderr, "qvtool: unknown command '%s' (see qvtool --help)\n", first.c_str());
    return 2;
  }

  ParsedArgs args;
  args.command = first;
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      PrintHelp(stdout);
      return 0;
    }
    if (a.size() > 1 && a[0] == '-' &&
        !(a.size() > 1 && (std::isdigit(static_cast<unsigned char>(a[1])) || a[1] == '.'))) {
      std::string name = a.substr(a[1] == '-' ? 2 : 1);
      std::string value;
      bool inlineValue = false;
      if (size_t eq = name.find('='); eq != std::string::npos) {
        value = name.substr(eq + 1);
        name = name.substr(0, eq);
        inlineValue = true;
      }
      const bool isValue = std::find(std::begin(kCommonValueOptions), std::end(kCommonValueOptions),
                                     name) != std::end(kCommonValueOptions) ||
                           Contains(chosen->valueOptions, name);
      if (isValue) {
        if (!inlineValue) {
          if (i + 1 >= argc) {
            std::fprintf(stderr, "qvtool: option --%s needs a value\n", name.c_str());
            return 2;
          }
          value = argv[++i];
        }
        if (name == "set") {
          args.sets.push_back(value);
        } else if (name == "cutoff") {
          args.sets.push_back("VISUAL:BondCutoff=" + value);
          args.values[name] = value;
        } else {
          args.values[name] = value;
        }
      } else if (Contains(chosen->flagOptions, name) && !inlineValue) {
        args.flags.push_back(name);
      } else {
        std::fprintf(stderr, "qvtool %s: unknown option '%s'\n", chosen->name, a.c_str());
        return 2;
      }
    } else {
      args.positional.push_back(a);
    }
  }
  const int np = static_cast<int>(args.positional.size());
  if (np < chosen->minPositional || np > chosen->maxPositional) {
    std::fprintf(stderr, "usage: qvtool %s\n", chosen->usage);
    return 2;
  }
  int frame = 0;
  if (!qvtool::IntOption(args, "frame", frame)) return 2;
  if (frame < 0) {
    std::fprintf(stderr, "qvtool: --frame must not be negative\n");
    return 2;
  }
  // The settings reader takes what it cannot read as 0; on the command line that is a typing
  // error, not a request for no bonds.
  double cutoff = 0.0;
  if (!qvtool::DoubleOption(args, "cutoff", cutoff)) return 2;
  if (!std::isfinite(cutoff)) {
    std::fprintf(stderr, "qvtool: --cutoff needs a finite number, got '%s'\n",
                 args.Value("cutoff").c_str());
    return 2;
  }

  Quivane app;
  if (args.Has("settings") && !std::filesystem::is_regular_file(args.Value("settings")) &&
      !std::filesystem::is_character_file(args.Value("settings"))) {
    // Only the looked-up setting.ini may be missing; a path given by hand is most likely a typo.
    std::fprintf(stderr, "qvtool: settings file '%s' does not exist\n",
                 args.Value("settings").c_str());
    return 2;
  }
  const std::string settingsPath =
      args.Has("settings") ? args.Value("settings") : SettingsFileLocation();
  ReadSettings(settingsPath, app.settings);
  for (const auto& s : args.sets) {
    if (!ApplySettingOverride(s, app.settings)) {
      std::fprintf(stderr, "qvtool: --set needs SECTION:KEY=VALUE, got '%s'\n", s.c_str());
      return 2;
    }
  }
  // Standard output holds only the command's product: the console lines of the shared
  // readers, analyses and writers ("error; open file") are diagnostics here.
  std::FILE* const previousConsole = qv::SetConsoleStream(stderr);
  const int status = args.Has("frames") ? qvtool::RunOverFrames(app, args, chosen->run) : chosen->run(app, args);
  qv::SetConsoleStream(previousConsole);
  return status;
}
