// qvtool convert: the conversion outputs of the viewer's menu, writing the same files.
#include <cstdio>
#include <string>

#include "app/BackEndFactory.h"
#include "app/ConvertCommands.h"
#include "output/BitmapFile.h"
#include "tools/qvtool/QvTool.h"

namespace {

// The bitmap that closes the viewer's md3 sequence, drawn headless at the window size the
// viewer would have. Empty (reason on stderr) when it cannot be drawn.
std::string ClosingBitmap(Quivane& app, int frame) {
  qv::WindowClientSize(app.settings, app.drawWidth, app.drawHeight);
  const LawData* first = app.dataSets.First();
  const std::string path =
      qv::BitmapFileName(qv::BitmapBaseName(first->path, app.settings.defaultPath), frame);
  std::string why;
  const std::string written =
      qv::WriteHeadlessBitmap(app, path, app.settings.defaultBmpMagnify, why);
  if (written.empty() && !why.empty())
    std::fprintf(stderr, "qvtool convert: no closing bitmap: %s\n", why.c_str());
  return written;
}

}  // namespace

int CmdConvert(Quivane& app, const ParsedArgs& args) {
  const bool all = args.Flag("all");
  if (all == args.Has("to")) {
    std::fprintf(stderr, "qvtool convert: give either --to md3|fa2 or --all\n");
    return 2;
  }
  const std::string to = all ? "md3" : args.Value("to");
  if (to != "md3" && to != "fa2") {
    std::fprintf(stderr, "qvtool convert: --to takes md3 or fa2, got '%s'\n", to.c_str());
    return 2;
  }
  if (args.Has("skip") && !all) {
    std::fprintf(stderr, "qvtool convert: --skip only goes with --all\n");
    return 2;
  }
  int skip = 1;
  if (!qvtool::IntOption(args, "skip", skip)) return 2;
  if (skip < 1) {
    std::fprintf(stderr, "qvtool convert: --skip must be at least 1\n");
    return 2;
  }
  if (!qvtool::LoadAndSelectFrame(app, args)) return 1;
  const LawData* first = app.dataSets.First();
  if (first->type != kTypeMD || !first->CurrentAtoms()) {
    std::fprintf(stderr, "qvtool convert: '%s' is not an atomistic trajectory\n",
                 args.positional[0].c_str());
    return 1;
  }

  if (all) {
    app.frameSkip = skip;
    const int start = app.currentFrame;
    // The viewer's command ends with a bitmap of the frame reached; so does this one.
    std::string bitmap;
    const qv::Md3SequenceResult r =
        ConvertSequenceMd3Command(app, [&](int frame) { bitmap = ClosingBitmap(app, frame); });
    if (!r.opened) {
      std::fprintf(stderr, "qvtool convert: cannot create '%s'\n", r.path.c_str());
      return 1;
    }
    std::printf("wrote %s: %d frames from frame %d to frame %d, skip %d\n", r.path.c_str(),
                r.framesWritten, start, app.currentFrame, skip);
    if (bitmap.empty()) return 1;
    std::printf("wrote %s\n", bitmap.c_str());
    return 0;
  }

  std::string written;
  const bool ok = to == "md3" ? ConvertFrameMd3Command(app, &written)
                              : ConvertFrameFa2Command(app, &written);
  if (!ok) {
    std::fprintf(stderr, "qvtool convert: cannot create '%s'\n",
                 qv::ConversionPath(first->path, to == "md3" ? "_%d.md3" : "_%d.fa2",
                                    app.currentFrame)
                     .c_str());
    return 1;
  }
  std::printf("wrote %s\n", written.c_str());
  return 0;
}
