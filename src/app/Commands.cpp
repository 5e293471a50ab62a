#include "app/Commands.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <system_error>

#include "app/AfterLoad.h"
#include "data/DataTypeRegistry.h"
#include "app/MenuTable.h"
#include "app/Title.h"
#include "data/Console.h"
#include "output/BitmapFile.h"

namespace qv::cmd {
namespace {

constexpr double kTwoDegrees = 0.03490658503988659;
constexpr const char* kStopMovie = "Prease stop movie.\n";

bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool CanOpen(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return static_cast<bool>(in);
}

std::string Joined(const std::vector<std::string>& lines, const char* separator) {
  std::string out;
  for (const std::string& l : lines) out += (out.empty() ? "" : separator) + l;
  return out;
}

// The loader's own lines, without the count every successful text load ends with.
std::vector<std::string> Diagnostics(std::vector<std::string> lines) {
  std::erase_if(lines, [](const std::string& l) { return EndsWith(l, " frame loaded"); });
  return lines;
}

// Why a file gave no data set: what the file system tells, else the reader's own words.
std::string LoadFailureText(const std::string& path, const std::vector<std::string>& readerLines) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return "The file does not exist:\n" + path;
  if (std::filesystem::is_directory(path, ec)) return "This is a folder, not a data file:\n" + path;
  if (!CanOpen(path)) return "The file cannot be opened:\n" + path;
  const auto dot = path.find_last_of('.');
  const auto slash = path.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return "The file has no extension, so its format is unknown:\n" + path;
  if (!readerLines.empty()) return "The file could not be loaded:\n" + path + "\n\n" + Joined(readerLines, "\n");
  return "The file could not be loaded; its reader found no frame in it:\n" + path;
}

}  // namespace

Commands::Commands(Quivane& app, IShellServices& shell, ICameraControl& camera)
    : app_(app),
      shell_(shell),
      camera_(camera),
      movie_(app.currentFrame, app.frameSkip, app.playState,
             [this](int target) { return app_.SetFrameAll(target); }) {
  pacingMode = app.settings.vsync;
  // Console lines also go where a user without a terminal looks.
  previousWatcher_ = qv::SetConsoleWatcher([this](const std::string& text, bool) {
    if (collecting_) collecting_->push_back(text);
    if (!text.empty()) shell_.ShowStatus(text);
  });
}

Commands::~Commands() {
  DetachMenu();
  qv::SetConsoleWatcher(std::move(previousWatcher_));
}

std::vector<std::string> Commands::Collecting(const std::function<void()>& work) {
  std::vector<std::string> lines;
  std::vector<std::string>* outer = collecting_;
  collecting_ = &lines;
  work();
  collecting_ = outer;
  if (outer) outer->insert(outer->end(), lines.begin(), lines.end());
  return lines;
}

void Commands::ReportOutput(int id, const OutputResult& r) {
  shell_.ShowStatus(OutputStatusText(CommandCaption(id), r));
}

void Commands::AttachMenu(IMenuItemState* menu) {
  menu_ = menu;
  if (menu_) {
    groups_ = std::make_unique<MenuRadioGroups>(menu_, distributer_);
    MarkFrameSkip(*menu_, kSkip1);
    menu_->SetItemChecked(kMovieSimple, true);
  }
  app_.options.listener = &distributer_;
  LargeDataCheck(app_.settings, 1, app_.options);
}

void Commands::DetachMenu() {
  if (app_.options.listener == &distributer_) app_.options.listener = nullptr;
  groups_.reset();
  menu_ = nullptr;
}

bool Commands::FirstIsAtomistic() const {
  const LawData* first = app_.dataSets.First();
  return first && first->type == kTypeMD;
}

void Commands::DisplayOption(int property, int value) {
  app_.options.Set(property, value);
  shell_.Redraw();
}

void Commands::Command(int id) {
  const bool loaded = !app_.dataSets.Empty();
  if (const int skip = FrameSkipForCommand(id)) {
    app_.frameSkip = skip;
    if (menu_) MarkFrameSkip(*menu_, id);
    return;
  }
  switch (id) {
    case kOpen: {
      std::string path;
      if (!shell_.ChooseFileToOpen(path)) return;
      OpenFiles({path});
      return;
    }
    case kEditMode:
      if (loaded) EnterEditMode();
      return;
    case kExit:
      shell_.CloseWindow();
      return;
    case kBoxShow: return DisplayOption(kPropBox, kBoxOn);
    case kBoxHide: return DisplayOption(kPropBox, kBoxOff);
    case kProjectionPerspective: return DisplayOption(kPropProjection, kPerspective);
    case kProjectionOrthographic: return DisplayOption(kPropProjection, kOrthographic);
    case kMultiOverlaid: return DisplayOption(kPropMultiData, kLayoutOverlaid);
    case kMultiSideBySide: return DisplayOption(kPropMultiData, kLayoutSideBySide);
    case kAtomsPolygons: return DisplayOption(kPropAtomStyle, kAtomStylePolygons);
    case kAtomsPointSprites: return DisplayOption(kPropAtomStyle, kAtomStylePoints);
    case kAtomsHidden: return DisplayOption(kPropAtomStyle, kAtomStyleNone);
    case kColourAtomicNumber: return DisplayOption(kPropColorMode, kColorByElement);
    case kColourBondCount: return DisplayOption(kPropColorMode, kColorByBondCount);
    case kBondsShow: return DisplayOption(kPropBondStyle, kBondsOn);
    case kBondsHide: return DisplayOption(kPropBondStyle, kBondsOff);
    case kColourPressure:
    case kColourHeight:
      {
        const int mode = id == kColourPressure ? kColorByPressure : kColorByHeight;
        if (work.setColourMode) {
          work.setColourMode(mode);
        } else {
          app_.options.Set(kPropColorMode, mode);
          if (mode == kColorByPressure) app_.pressureNotice.Arm();
        }
      }
      shell_.Redraw();
      return;
    case kSectionCentre:
      sectionStep = 0;
      camera_.MoveSectionToCentre();
      shell_.Redraw();
      return;
    case kSectionReset:
      camera_.ResetClipping();
      shell_.Redraw();
      return;
    case kRedetermineBonds:
      if (movie_.Playing()) {
        shell_.ShowMessage(kStopMovie, kProgramTitle);
        return;
      }
      if (work.redetermineBonds) work.redetermineBonds();
      shell_.Redraw();
      return;
    case kClassifyMolecules:
      if (movie_.Playing()) {
        // Once for each of the two reports the command runs.
        qv::ConsolePrint("%s", kStopMovie);
        qv::ConsolePrint("%s", kStopMovie);
      } else if (FirstIsAtomistic() && work.classifyMolecules) {
        ReportOutput(id, work.classifyMolecules());
      }
      return;
    case kCoordination:
      if (movie_.Playing()) {
        qv::ConsolePrint("%s", kStopMovie);
      } else if (FirstIsAtomistic() && work.coordinationReport) {
        ReportOutput(id, work.coordinationReport());
      }
      return;
    case kCoordinationSeries:
      if (movie_.Playing()) {
        qv::ConsolePrint("%s", kStopMovie);
      } else if (FirstIsAtomistic() && work.coordinationSeries) {
        const std::string caption = CommandCaption(id);
        bool stopped = false;
        shell_.Progress(caption, 0);
        const OutputResult r = work.coordinationSeries([&](int step) {
          shell_.Progress(caption, step);
          stopped = shell_.StopRequested();
          return !stopped;
        });
        shell_.ProgressDone();
        const std::string text = OutputStatusText(caption + (stopped ? " stopped" : ""), r);
        if (stopped) qv::ConsolePrint("%s\n", text.c_str());
        shell_.ShowStatus(text);
        RefreshTitle();
        shell_.Redraw();
      }
      return;
    case kBmp:
    case kLargeBmp: {
      if (!loaded || (id == kBmp ? !work.writeBitmap : !work.writeLargeBitmap)) return;
      const std::string base = qv::BitmapBaseName(app_.dataSets.First()->path, app_.settings.defaultPath);
      const std::string meant = id == kBmp ? qv::BitmapFileName(base, app_.currentFrame)
                                           : qv::LargeBitmapFileName(base, app_.settings.largeBmpMagnify,
                                                                     app_.currentFrame);
      const std::string written = id == kBmp ? work.writeBitmap(app_.currentFrame) : work.writeLargeBitmap();
      ReportOutput(id, written.empty() ? NotWritten(meant, WhyNotWritten(meant))
                                       : Wrote(written));
      shell_.Redraw();
      return;
    }
    case kEps:
      if (FirstIsAtomistic() && work.writeEps) ReportOutput(id, work.writeEps());
      return;
    case kMd3:
      if (FirstIsAtomistic() && work.writeMd3) ReportOutput(id, work.writeMd3());
      return;
    case kFa2:
      if (FirstIsAtomistic() && work.writeFa2) ReportOutput(id, work.writeFa2());
      return;
    case kStl:
    case kStlGrid:
      if (FirstIsAtomistic() && work.writeStl) ReportOutput(id, work.writeStl(id == kStlGrid));
      return;
    case kBitmapSequence:
    case kRightRotation:
    case kLeadTrace:
    case kSequenceRight:
    case kSequenceDown:
    case kSequenceUp:
    case kMd3Sequence:
      RunSequence(id);
      return;
    case kMovieSimple:
      if (menu_) {
        menu_->SetItemChecked(kMovieSimple, true);
        menu_->SetItemChecked(kMovieCheckpoints, false);
        for (int off : {kAddCheckpoint, kSaveCheckpoints, kLoadCheckpoints}) menu_->SetItemEnabled(off, false);
        menu_->RedrawMenuBar();
      }
      return;
    case kVersion:
      shell_.ShowVersionDialog();
      return;
    case kOpenSettings:
      shell_.OpenWithSystem(SettingsFileLocation());
      return;
    case kReloadSettings:
      ReadSettings(SettingsFileLocation(), app_.settings);
      return;
    default:
      return;  // inert items (stereo output, checkpoints, disabled analyses, ...)
  }
}

void Commands::OpenFiles(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    const size_t before = app_.dataSets.Size();
    shell_.Progress("Loading " + path, 0);
    const std::vector<std::string> lines = Collecting([&] { app_.OpenAndPrepare(path); });
    shell_.ProgressDone();
    const bool added = app_.dataSets.Size() > before;
    const std::vector<std::string> problems = Diagnostics(lines);
    if (!added) {
      const std::string why = qv::TakeLoadFailure();
      shell_.ShowMessage(why.empty() ? LoadFailureText(path, problems) : why, "Error");
      shell_.ShowStatus("Not loaded: " + path);
    } else {
      // A reader that stopped early keeps the frames before the damage: say so.
      shell_.ShowStatus("Loaded " + path + (problems.empty() ? "" : ": " + Joined(problems, "; ")));
    }
    RefreshAfterLoad();
  }
  shell_.Redraw();
}

void Commands::RefreshAfterLoad() {
  AfterLoad(app_, camera_, menu_);
  RefreshTitle();
}

std::string Commands::TitleText() const {
  const LawData* first = app_.dataSets.First();
  if (!first) return kProgramTitle;
  TitleInputs in;
  in.fileName = first->Name();
  in.currentFrame = app_.currentFrame;
  in.fps = fps;
  in.pacingMode = pacingMode;
  in.editMode = editMode;
  in.selectedAtom = app_.selectedAtom;
  if (editMode && app_.selectedAtom >= 0) in.frame = first->CurrentAtoms();
  return FormatTitle(in);
}

void Commands::RefreshTitle() {
  const LawData* first = app_.dataSets.First();
  if (!first) return;
  shell_.SetTitle(TitleText());
  const IMDContainer* md = first->MD();
  bool complete = false;
  const int count = md ? md->KnownFrameCount(&complete) : 0;
  shell_.SetFrameStatus(md ? FrameStatusText(md->GetFrameIndex(), count, complete) : std::string());
}

void Commands::Resize(int width, int height) {
  clientWidth = width;
  clientHeight = height;
  app_.drawWidth = width;
  app_.drawHeight = height;
}

void Commands::StepAndShow(int direction) {
  movie_.Step(direction);
  RefreshTitle();
  shell_.Redraw();
}

bool Commands::OnKey(Key key, bool ctrl, bool shift) {
  if (app_.dataSets.Empty()) return false;
  switch (key) {
    case Key::PageUp: camera_.Zoom(-0.1); break;
    case Key::PageDown: camera_.Zoom(0.1); break;
    case Key::Left: ctrl ? camera_.ShiftRight(-0.2) : camera_.OrbitUp(-kTwoDegrees); break;
    case Key::Right: ctrl ? camera_.ShiftRight(0.2) : camera_.OrbitUp(kTwoDegrees); break;
    case Key::Up: ctrl ? camera_.ShiftUp(-0.2) : camera_.OrbitRight(kTwoDegrees); break;
    case Key::Down: ctrl ? camera_.ShiftUp(0.2) : camera_.OrbitRight(-kTwoDegrees); break;
    case Key::Q: camera_.SetSectionStep(--sectionStep); break;
    case Key::W: camera_.SetSectionStep(++sectionStep); break;
    case Key::X:
    case Key::Z:
      if (movie_.Playing()) {
        movie_.Stop();
      } else if (shift) {
        key == Key::X ? movie_.StartForward() : movie_.StartBackward();
        shell_.StartMovieTimer();
      } else {
        StepAndShow(key == Key::X ? 1 : -1);
        return true;
      }
      break;
    case Key::Other:
      return false;
  }
  shell_.Redraw();
  return true;
}

void Commands::OnWheel(int delta) {
  camera_.Zoom(static_cast<double>(static_cast<int16_t>(delta) / 120));
  shell_.Redraw();
}

void Commands::Playback(int action) {
  switch (action) {
    case overlay::kStepForward:
    case overlay::kStepBack:
      movie_.Stop();
      StepAndShow(action == overlay::kStepForward ? 1 : -1);
      return;
    case overlay::kPlayForward:
    case overlay::kPlayBackward:
      action == overlay::kPlayForward ? movie_.StartForward() : movie_.StartBackward();
      shell_.StartMovieTimer();
      break;
    case overlay::kStop:
      movie_.Stop();  // the timer ends at its next tick
      break;
    default:
      return;
  }
  shell_.Redraw();
}

void Commands::OnLeftDown(int x, int y, bool ctrl) {
  const bool loaded = !app_.dataSets.Empty();
  const float w = static_cast<float>(clientWidth), h = static_cast<float>(clientHeight);
  if (buttons && loaded) {
    const overlay::Button* b = buttons->HitTest(static_cast<float>(x), static_cast<float>(y), w, h);
    if (b && b->action != overlay::kNoAction) {
      Playback(b->action);
      return;
    }
  }
  if (editMode && ctrl) {
    PickAt(x, y);
    RefreshTitle();
    shell_.Redraw();
    return;
  }
  if (dragState != kDragIdle) return;
  // The panel acts when the button is released over an item; a drag started here would
  // take that release for its own end.
  if (panel && loaded && panel->ItemAt(static_cast<float>(x), static_cast<float>(y), w, h)) return;
  const int dx = x - clientWidth / 2;
  const int dy = y - clientHeight / 2;
  dragState = (dx >= -99 && dx <= 99 && dy >= -99 && dy <= 99) ? kDragPanning : kDragRotating;
  dragX = x;
  dragY = y;
  camera_.BeginDrag(x, y);
}

void Commands::OnMouseMove(int x, int y) {
  bool changed = false;
  if (dragState == kDragPanning) changed = camera_.DragPan(x, y, clientWidth, clientHeight);
  else if (dragState == kDragRotating) changed = camera_.DragRotate(x, y, clientWidth, clientHeight);
  if (changed) shell_.Redraw();
}

void Commands::OnLeftUp(int x, int y) {
  if (dragState == kDragPanning || dragState == kDragRotating) {
    dragState = kDragIdle;
    return;
  }
  int action = overlay::kNoAction;
  if (!panel || app_.dataSets.Empty() ||
      !panel->Release(static_cast<float>(x), static_cast<float>(y), static_cast<float>(clientWidth),
                      static_cast<float>(clientHeight), action))
    return;
  if (action == overlay::kNoAction) shell_.Redraw();  // the page may have changed
  else Playback(action);
}

void Commands::OnTimer() {
  if (!movie_.Tick()) {
    shell_.StopMovieTimer();
    RefreshTitle();
    return;
  }
  shell_.Redraw();
  RefreshTitle();
}

void Commands::OnActivated() {
  if (!editMode) return;
  const LawData* first = app_.dataSets.First();
  if (!first) return;
  const std::string path = first->path;
  if (!CanOpen(path)) {
    shell_.ShowMessage("The file does not exist.", "Error");
    return;
  }
  std::error_code ec;
  const auto time = std::filesystem::last_write_time(path, ec);
  if (ec || time <= watchedFileTime) return;
  watchedFileTime = time;
  const size_t before = app_.dataSets.Size();
  const std::vector<std::string> lines =
      Collecting([&] { app_.dataSets.OpenDataFile(path, app_.MakeLoadOptions()); });
  const std::vector<std::string> problems = Diagnostics(lines);
  if (app_.dataSets.Size() == before) {
    shell_.ShowStatus(path + " no longer reads; the previous content is kept" +
                      (problems.empty() ? "" : ": " + Joined(problems, "; ")));
  } else if (!problems.empty()) {
    shell_.ShowStatus("Reloaded " + path + ": " + Joined(problems, "; "));
  } else {
    shell_.ShowStatus("Reloaded " + path);
  }
  // The reloaded file takes the first entry's place: the picture, the title and picking all
  // work on the first entry, and a copy appended per save would pile up behind it.
  if (app_.dataSets.Size() > before) {
    std::vector<LawData>& entries = app_.dataSets.Entries();
    entries.front() = std::move(entries.back());
    entries.pop_back();
    // The new content opens at its first frame; bring it to the frame the title shows.
    app_.currentFrame = app_.SetFrameAll(app_.currentFrame);
    if (app_.options.values.colorMode == kColorByPressure) app_.pressureNotice.Arm();
  }
  if (FirstIsAtomistic() && app_.options.values.colorMode == kColorByPressure && work.recolourFirst)
    work.recolourFirst();
  RefreshTitle();
  shell_.Redraw();
}

void Commands::EnterEditMode() {
  const LawData* first = app_.dataSets.First();
  if (!EndsWith(first->path, ".md3")) {
    shell_.ShowMessage("You can edit md3 only during viewing.", "Error");
    return;
  }
  editMode = true;
  std::error_code ec;
  if (!CanOpen(first->path)) {
    shell_.ShowMessage("The file does not exist.", "Error");
  } else {
    watchedFileTime = std::filesystem::last_write_time(first->path, ec);
  }
  RefreshTitle();
}

void Commands::PickAt(int x, int y) {
  if (!FirstIsAtomistic()) return;
  const ATOMS_DATA* frame = app_.dataSets.First()->CurrentAtoms();
  if (!frame || frame->atomCount <= 0) return;
  const size_t n = std::min(static_cast<size_t>(frame->atomCount), frame->positions.size() / 3);
  const int picked = camera_.PickAtom(x, y, clientWidth, clientHeight, frame->positions.data(),
                                      static_cast<int>(n), app_.options.values.atomRadius);
  if (picked >= 0) app_.selectedAtom = picked;
}

void Commands::StartFrameClock(double nowMs) {
  intervalStartMs_ = nowMs;
  framesCounted_ = 0;
}

void Commands::CountFrame(double nowMs) {
  if (intervalStartMs_ < 0) intervalStartMs_ = nowMs;
  if (++framesCounted_ < 100) return;
  const double elapsed = nowMs - intervalStartMs_;
  fps = elapsed > 0 ? 100000.0 / elapsed : 0.0;
  RefreshTitle();
  intervalStartMs_ = nowMs;
  framesCounted_ = 0;
}

void Commands::RunSequence(int id) {
  if (app_.dataSets.Empty()) return;
  if (id == kMd3Sequence ? !work.md3Sequence : !work.writeBitmap) return;  // not in this program
  const std::string caption = CommandCaption(id);
  bool stopped = false;
  const StepFn onStep = [&](int written) {
    shell_.Progress(caption, written);
    stopped = shell_.StopRequested();
    return !stopped;
  };
  int filesWritten = 0, failures = 0;
  std::string firstFailure;
  const BitmapWriterFn write = [&](int n) {
    if (!work.writeBitmap(n).empty()) {
      ++filesWritten;
      return;
    }
    if (failures++ == 0) {
      const std::string meant =
          qv::BitmapFileName(qv::BitmapBaseName(app_.dataSets.First()->path, app_.settings.defaultPath), n);
      firstFailure = meant + ": " + WhyNotWritten(meant);
    }
  };
  const double delta = app_.settings.rotationAngleDelta * std::numbers::pi / 180.0;
  OutputResult md3;
  shell_.Progress(caption, 0);
  switch (id) {
    case kBitmapSequence:
      RunBitmapSequence(movie_, counters.bitmap, write, onStep);
      break;
    case kRightRotation:
      RunRightRotation(app_.settings.rotationAngleDelta, write,
                       [&](double a) { camera_.OrbitUp(a); }, onStep);
      break;
    case kLeadTrace:
      if (!FirstIsAtomistic()) break;
      RunLeadTrace(
          movie_, counters.trace,
          [&] {
            const ATOMS_DATA* f = app_.dataSets.First()->CurrentAtoms();
            if (!f || f->atomCount <= 0 || f->positions.size() < 3) return false;
            const double x = f->positions[0], y = f->positions[1], z = f->positions[2];
            const double eye[3] = {x, y + 1, z + 3};
            const double target[3] = {x, y + 1, z + 3 - 10};
            const double up[3] = {0, 1, 0};
            camera_.Place(eye, target, up);
            return true;
          },
          write, onStep);
      break;
    case kSequenceRight:
      RunRotatingSequence(movie_, counters.rotation, -delta, write,
                          [&](double a) { camera_.OrbitUp(a); }, onStep);
      break;
    case kSequenceDown:
      RunRotatingSequence(movie_, counters.rotation, delta, write,
                          [&](double a) { camera_.OrbitRight(a); }, onStep);
      break;
    case kSequenceUp:
      RunRotatingSequence(movie_, counters.rotation, -delta, write,
                          [&](double a) { camera_.OrbitRight(a); }, onStep);
      break;
    case kMd3Sequence:
      md3 = work.md3Sequence(onStep);
      break;
  }
  shell_.ProgressDone();
  std::string text = caption + (stopped ? " stopped: " : ": ");
  if (id == kMd3Sequence) {
    text = OutputStatusText(caption + (stopped ? " stopped" : ""), md3);
  } else {
    text += std::to_string(filesWritten) + (filesWritten == 1 ? " file written" : " files written");
    if (failures > 0)
      text += ", " + std::to_string(failures) + " could not be written (" + firstFailure + ")";
  }
  // A stop may come from closing the window, which takes the status bar with it.
  if (stopped) qv::ConsolePrint("%s\n", text.c_str());
  shell_.ShowStatus(text);
  RefreshTitle();
  shell_.Redraw();
}

}  // namespace qv::cmd
