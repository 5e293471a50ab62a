#include "app/MenuTable.h"

#include <cstddef>

#include "app/CommandIds.h"
#include "data/DataTypeRegistry.h"

namespace qv::cmd {
namespace {

MenuNode Item(int id, const char* ja, const char* en) {
  MenuNode n;
  n.id = id;
  n.ja = ja;
  n.en = en;
  return n;
}
MenuNode Off(int id, const char* ja, const char* en) {
  MenuNode n = Item(id, ja, en);
  n.disabled = true;
  return n;
}
MenuNode Radio(int id, const char* ja, const char* en) {
  MenuNode n = Item(id, ja, en);
  n.checkable = true;
  return n;
}
MenuNode Sep() {
  MenuNode n;
  n.separator = true;
  return n;
}
MenuNode Sub(const char* ja, const char* en, std::vector<MenuNode> children) {
  MenuNode n;
  n.ja = ja;
  n.en = en;
  n.children = std::move(children);
  return n;
}

std::vector<MenuNode> Build() {
  std::vector<MenuNode> bar;
  bar.push_back(Sub("ファイル(&F)", "&File",
                    {Item(kOpen, "開く(&O)...", "&Open..."), Sep(),
                     Item(kEditMode, "編集モード(&E)", "&Edit mode"), Sep(),
                     Item(kExit, "アプリケーションの終了(&X)", "E&xit application")}));
  bar.push_back(Sub(
      "表示(&V)", "&Display",
      {Sub("バウンディングボックス(&B)", "&Bounding box",
           {Radio(kBoxShow, "表示する", "Show"), Radio(kBoxHide, "表示しない", "Hide")}),
       Sub("投影(&P)", "&Projection",
           {Radio(kProjectionPerspective, "透視投影", "Perspective"),
            Radio(kProjectionOrthographic, "平行投影", "Orthographic")}),
       Sub("複数データ(&M)", "&Multi-data",
           {Radio(kMultiOverlaid, "重ねて表示", "Overlaid"),
            Radio(kMultiSideBySide, "並べて表示", "Side by side")}),
       Sub("表示断面(&S)", "Display &section",
           {Item(kSectionCentre, "中心へ移動", "Move to centre"),
            Item(kSectionReset, "リセット", "Reset")}),
       Off(kBackgroundColour, "背景色(&C)", "Background &colour")}));
  bar.push_back(Sub(
      "原子・分子(&A)", "&Atoms and molecules",
      {Sub("粒子の表示(&D)", "Particle &display",
           {Radio(kAtomsPolygons, "ポリゴンで描画", "Draw as polygons"),
            Radio(kAtomsPointSprites, "ポイントスプライトで描画", "Draw as point sprites"),
            Radio(kAtomsHidden, "描画しない", "Do not draw")}),
       Sub("粒子の色(&C)", "Particle &colour",
           {Radio(kColourAtomicNumber, "原子番号", "Atomic number"),
            Radio(kColourBondCount, "結合数", "Bond count"),
            Radio(kColourPressure, "圧力（一部未対応）", "Pressure (partly unavailable)"),
            Item(kColourHeight, "高さ（z軸）", "Height (z axis)")}),
       Sub("結合の表示(&B)", "&Bond display",
           {Radio(kBondsShow, "表示する", "Show"), Radio(kBondsHide, "表示しない", "Hide"),
            Off(kBondsEnergyFlux, "エネルギー流束", "Energy flux")}),
       Sep(),
       Item(kRedetermineBonds, "結合の再判定(&R)", "&Re-determine bonds"),
       Item(kClassifyMolecules, "分子に分類(&M)", "Classify into &molecules"),
       Item(kCoordination, "配位数解析(&N)", "Coordination &number analysis"),
       Off(kRdf, "動径分布関数 g(r)", "Radial distribution function g(r)"),
       Off(kDensity, "密度分布", "Density distribution"),
       Off(kCoordination, "結合配位数", "Bond coordination number"),
       Off(kBondAnisotropy, "結合異方性", "Bond anisotropy"),
       Off(kSp2Normal, "sp2法線", "sp2 normal"),
       Off(kAdsorbedHydrogen, "吸着水素リスト", "Adsorbed hydrogen list"),
       Sep(),
       Item(kCoordinationSeries, "結合配位数（時系列）(&T)",
            "Bond coordination number (&time series)"),
       Off(kDepositionDepth, "堆積深さ", "Deposition depth"),
       Off(kHydrogenAmount, "水素蓄積量", "Hydrogen accumulation amount"),
       Off(kRdfPeak, "g(r)ピーク値", "g(r) peak value"),
       Off(kYield, "Yield", "Yield"),
       Off(kHCRatio, "H/C比", "H/C ratio"),
       Off(kMoleculeGrowth, "分子成長", "Molecule growth"),
       Off(kHydrogenAccumulation, "水素蓄積", "Hydrogen accumulation"),
       Off(kDeposits, "堆積物", "Deposits"),
       Off(kBondSurvival, "結合残存量", "Bond survival amount")}));
  bar.push_back(Item(kScattering, "散乱軌跡(&T)", "Scattering &trajectories"));
  bar.push_back(Item(kField, "field", "field"));
  bar.push_back(Sub("出力(&O)", "&Output",
                    {Item(kBmp, "BMP出力(&B)", "&BMP output"),
                     Item(kLargeBmp, "大きなBMP出力(&L)", "&Large BMP output"),
                     Item(kStereoBmp, "ステレオBMP出力", "Stereo BMP output"),
                     Item(kEps, "EPS画像出力(&E)", "&EPS image output"),
                     Item(kMd3, "md3出力", "md3 output"),
                     Item(kFa2, "fa2出力", "fa2 output"),
                     Item(kStl, "STL出力", "STL output"),
                     Item(kStlGrid, "STL(GRID)出力", "STL (GRID) output")}));
  bar.push_back(Sub(
      "動画(&M)", "&Movie",
      {Sub("フレームスキップ(&S)", "Frame &skip",
           {Radio(kSkip1, "OFF", "OFF"), Radio(kSkip2, "2フレームごと", "Every 2 frames"),
            Radio(kSkip4, "4フレームごと", "Every 4 frames"),
            Radio(kSkip8, "8フレームごと", "Every 8 frames"),
            Radio(kSkip10, "10フレームごと", "Every 10 frames"),
            Radio(kSkip16, "16フレームごと", "Every 16 frames"),
            Radio(kSkip20, "20フレームごと", "Every 20 frames"),
            Radio(kSkip32, "32フレームごと", "Every 32 frames"),
            Radio(kSkip64, "64フレームごと", "Every 64 frames"),
            Radio(kSkip100, "100フレームごと", "Every 100 frames"),
            Radio(kSkip1000, "1000フレームごと", "Every 1000 frames"),
            Radio(kSkip10000, "10000フレームごと", "Every 10000 frames")}),
       Sep(),
       Sub("再生(&P)", "&Play",
           {Item(kPlayAll, "すべて再生", "Play all"),
            Off(kPlayFromCurrent, "現在位置から再生", "Play from current position"),
            Off(kPlayUpToCurrent, "現在位置まで再生", "Play up to current position")}),
       Sub("出力(&O)", "&Output",
           {Item(kBitmapSequence, "連番BMP出力", "Bitmap sequence output"),
            Item(kStereoSequence, "ステレオBMP連番出力", "Stereo BMP sequence output"),
            Item(kRightRotation, "右回転BMP出力", "Right-rotation bitmap output"),
            Item(kLeadTrace, "先頭粒子の追跡", "Lead particle trace"),
            Item(kSequenceRight, "連番BMP（右回転）", "Bitmap sequence (right rotation)"),
            Item(kSequenceDown, "連番BMP（下回転）", "Bitmap sequence (downward rotation)"),
            Item(kSequenceUp, "連番BMP（上回転）", "Bitmap sequence (upward rotation)")}),
       Sub("拡張出力(&X)", "E&xtended output",
           {Item(kMd3Sequence, "md3連番出力", "md3 sequence output")}),
       Sep(),
       Sub("動画モード(&M)", "Movie &mode",
           {Radio(kMovieSimple, "単純再生", "Simple playback"),
            Radio(kMovieCheckpoints, "チェックポイントを使用", "Use checkpoints")}),
       Sep(),
       Off(kAddCheckpoint, "チェックポイントを追加", "Add checkpoint"),
       Off(kSaveCheckpoints, "チェックポイントを保存", "Save checkpoints"),
       Off(kLoadCheckpoints, "チェックポイントを読み込み", "Load checkpoints")}));
  bar.push_back(Sub("ヘルプ(&H)", "&Help",
                    {Item(kVersion, "バージョン情報(&A)...", "Version &information..."), Sep(),
                     Item(kOpenSettings, "設定ファイルを開く(&O)", "&Open settings file"),
                     Item(kReloadSettings, "設定ファイルを再読み込み(&R)",
                          "&Reload settings file")}));
  return bar;
}

void CollectIds(const std::vector<MenuNode>& nodes, std::vector<int>& out) {
  for (const MenuNode& n : nodes) {
    if (n.id != 0) out.push_back(n.id);
    CollectIds(n.children, out);
  }
}

}  // namespace

const std::vector<MenuNode>& MenuBar() {
  static const std::vector<MenuNode> bar = Build();
  return bar;
}

std::vector<int> MenuCommandIds() {
  std::vector<int> ids;
  CollectIds(MenuBar(), ids);
  return ids;
}

const std::vector<int>& FrameSkipIds() {
  static const std::vector<int> ids = {kSkip1,  kSkip2,  kSkip4,  kSkip8,   kSkip10,   kSkip16,
                                       kSkip20, kSkip32, kSkip64, kSkip100, kSkip1000, kSkip10000};
  return ids;
}

int FrameSkipForCommand(int id) {
  static const int skips[] = {1, 2, 4, 8, 10, 16, 20, 32, 64, 100, 1000, 10000};
  const std::vector<int>& ids = FrameSkipIds();
  for (size_t i = 0; i < ids.size(); ++i)
    if (ids[i] == id) return skips[i];
  return 0;
}

const char* OpenDialogTitle(bool english) {
  return english ? "Select the data file to visualise" : "可視化するデータファイルを選択してください";
}
const char* OpenDialogSupportedFilter(bool english) {
  return english ? "Supported formats (fa2, md3, fad, cube, traj, pmd, pmx, mqo, vmec) "
                   "(*.fa2 *.md3 *.fad *.cube *.traj *.pmd *.pmx *.mqo *.vmec)"
                 : "対応形式 (fa2, md3, fad, cube, traj, pmd, pmx, mqo, vmec) "
                   "(*.fa2 *.md3 *.fad *.cube *.traj *.pmd *.pmx *.mqo *.vmec)";
}
const char* OpenDialogAllFilter(bool english) {
  return english ? "All formats (*)" : "すべての形式 (*)";
}

// The registry is the one list of what opens: a new data type appears in the dialog with its rows.
std::vector<std::string> LoadableExtensions() { return DataTypeRegistry::Instance().Extensions(); }

std::string OpenDialogFilterText(const std::vector<std::string>& extensions, bool english) {
  std::string text = OpenDialogSupportedFilter(english);
  if (!extensions.empty()) {
    std::string names, patterns, each;
    for (const std::string& e : extensions) {
      names += (names.empty() ? "" : ", ") + e;
      patterns += (patterns.empty() ? "*." : " *.") + e;
      each += ";;" + e + (english ? " files (*." : " ファイル (*.") + e + ")";
    }
    text += std::string(";;") + (english ? "Loadable files (" : "読み込める形式 (") + names + ") (" + patterns + ")";
    text += each;
  }
  return text + ";;" + OpenDialogAllFilter(english);
}

namespace {
const MenuNode* FindNode(const std::vector<MenuNode>& nodes, int id) {
  for (const MenuNode& n : nodes) {
    if (n.id == id) return &n;
    if (const MenuNode* inner = FindNode(n.children, id)) return inner;
  }
  return nullptr;
}
}  // namespace

std::string CommandCaption(int id) {
  const MenuNode* node = id != 0 ? FindNode(MenuBar(), id) : nullptr;
  if (!node) return {};
  std::string caption;
  for (const char* c = node->en; *c; ++c)
    if (*c != '&') caption += *c;
  while (!caption.empty() && caption.back() == '.') caption.pop_back();
  return caption;
}

}  // namespace qv::cmd
