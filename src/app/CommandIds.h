#pragma once
// Menu command ids. They are the interface between the menu and the command handler: every
// menu item carries one, and one handler dispatches on it.

namespace qv::cmd {

enum CommandId : int {
  kVersion = 104,
  kExit = 105,

  kOpen = 32784,
  kEditMode = 32867,

  kBoxShow = 32828,
  kBoxHide = 32829,
  kProjectionPerspective = 32849,
  kProjectionOrthographic = 32850,
  kMultiOverlaid = 32877,
  kMultiSideBySide = 32878,
  kSectionCentre = 32882,
  kSectionReset = 32881,
  kBackgroundColour = 32868,

  kAtomsPolygons = 32798,
  kAtomsPointSprites = 32799,
  kAtomsHidden = 32805,
  kColourAtomicNumber = 32822,
  kColourBondCount = 32823,
  kColourPressure = 32886,
  kColourHeight = 32914,
  kBondsShow = 32801,
  kBondsHide = 32806,
  kBondsEnergyFlux = 32804,
  kRedetermineBonds = 32785,
  kClassifyMolecules = 32771,
  kCoordination = 32863,  // also carried by the disabled "bond coordination number" item
  kRdf = 32773,
  kDensity = 32794,
  kBondAnisotropy = 32842,
  kSp2Normal = 32836,
  kAdsorbedHydrogen = 32839,
  kCoordinationSeries = 32862,
  kDepositionDepth = 32861,
  kHydrogenAmount = 32772,
  kRdfPeak = 32774,
  kYield = 32777,
  kHCRatio = 32779,
  kMoleculeGrowth = 32781,
  kHydrogenAccumulation = 32783,
  kDeposits = 32795,
  kBondSurvival = 32834,

  kScattering = 32859,
  kField = 32858,

  kBmp = 32776,
  kLargeBmp = 32780,
  kStereoBmp = 32809,
  kEps = 32775,
  kMd3 = 32865,
  kFa2 = 32884,
  kStl = 32917,
  kStlGrid = 32919,

  kSkip1 = 32788,
  kSkip2 = 32789,
  kSkip4 = 32899,
  kSkip8 = 32898,
  kSkip10 = 32790,
  kSkip16 = 32897,
  kSkip20 = 32791,
  kSkip32 = 32896,
  kSkip64 = 32895,
  kSkip100 = 32792,
  kSkip1000 = 32793,
  kSkip10000 = 32912,
  kPlayAll = 32812,
  kPlayFromCurrent = 32814,
  kPlayUpToCurrent = 32813,
  kBitmapSequence = 32819,
  kStereoSequence = 32820,
  kRightRotation = 32902,
  kLeadTrace = 32903,
  kSequenceRight = 32908,
  kSequenceDown = 32909,
  kSequenceUp = 32911,
  kMd3Sequence = 32906,
  kMovieSimple = 32856,
  kMovieCheckpoints = 32857,
  kAddCheckpoint = 32810,
  kSaveCheckpoints = 32811,
  kLoadCheckpoints = 32815,

  kOpenSettings = 32852,
  kReloadSettings = 32843,
};

// Frame skip by command id; 0 when the id is not a frame-skip item.
int FrameSkipForCommand(int id);

}  // namespace qv::cmd
