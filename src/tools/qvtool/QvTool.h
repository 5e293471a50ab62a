#pragma once
// The batch tool: every command that needs no window, driving the same code as the viewer.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/Quivane.h"

struct ParsedArgs {
  std::string command;
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;  // last value of each value option
  std::vector<std::string> sets;              // every --set, in order
  std::vector<std::string> flags;             // flag options given
  // Set while a --frames range runs the command once per frame: the files are loaded
  // already, and outputs that carry no frame number get one.
  bool preloaded = false;
  bool ranged = false;

  bool Flag(const std::string& name) const;
  bool Has(const std::string& name) const { return values.count(name) != 0; }
  const std::string& Value(const std::string& name) const { return values.at(name); }
};

struct CommandSpec {
  const char* name;
  const char* usage;    // one line, after "qvtool "
  const char* summary;  // what it does, for --help
  std::vector<std::string> valueOptions;  // beside the common ones
  std::vector<std::string> flagOptions;
  int minPositional;
  int maxPositional;
  int (*run)(Quivane& app, const ParsedArgs& args);
};

// Every command; defined in QvTool.cpp.
const std::vector<CommandSpec>& Commands();

// Entry point shared by main() and the tests. Returns the exit status:
// 0 success, 1 nothing loaded or the work failed, 2 usage error.
int RunQvTool(int argc, char** argv);

// Helpers for commands.
namespace qvtool {
// Parses an integer option; false (with a message on stderr) when it is not a number.
bool IntOption(const ParsedArgs& args, const std::string& name, int& out);
bool DoubleOption(const ParsedArgs& args, const std::string& name, double& out);
// Loads a file as the viewer would, the loaders' console lines going to standard error;
// false (reason on stderr) when nothing was added.
bool Open(Quivane& app, const std::string& path);
// Set frame of all data sets, the loaders' console lines going to standard error.
int SetFrameAll(Quivane& app, int target);
// Loads FILE as the viewer would, then steps to --frame through set frame of all data sets.
// Returns false (reason on stderr) when nothing was loaded.
bool LoadAndSelectFrame(Quivane& app, const ParsedArgs& args);
// Parses --size WxH (each side 1..maxSide, digits only) into width and height when given;
// false, with a message on stderr, when it is malformed or out of range.
bool SizeOption(const ParsedArgs& args, int maxSide, int& width, int& height);
// A frame range START:STOP:STEP with the slice rules of the common scripting languages:
// each part may be left out, STOP is exclusive, negative START and STOP count from the end,
// a negative STEP walks backwards. False (reason in why) when the text is no such range.
struct FrameSlice {
  bool hasStart = false, hasStop = false;
  int64_t start = 0, stop = 0, step = 1;
  // Whether the indices depend on the number of frames.
  bool NeedsCount() const;
};
bool ParseFrameSlice(const std::string& text, FrameSlice& slice, std::string& why);
// The frame indices the slice selects out of `count` frames, in order.
std::vector<int> SliceIndices(const FrameSlice& slice, int64_t count);
// Runs the command once per frame of --frames over files loaded once; the first failure
// ends the run with its status.
int RunOverFrames(Quivane& app, const ParsedArgs& args, int (*run)(Quivane&, const ParsedArgs&));
// A file name pattern holding one integer conversion ("out_%04d.png"; "%%" is a percent
// sign) filled with the frame; false when the pattern has none, more than one or any other.
bool FramePatternName(const std::string& pattern, int frame, std::string& out);
// Formats a double with %.9g.
std::string Num(double v);
}  // namespace qvtool
