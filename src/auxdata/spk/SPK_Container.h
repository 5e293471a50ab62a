#pragma once
// A site-and-path network shown as a trajectory of one frame: sites are atoms of atomic
// number 0, paths are bonds whose vectors are wrapped once into the box.
#include <memory>
#include <string>
#include <vector>

#include "auxdata/spk/SPK_Reader.h"
#include "data/DataContainer.h"

class DataTypeRegistry;

class SPK_Container : public IMDContainer {
 public:
  // Reads the file. Status() is -1 when the path does not end in ".spk", else the reader's
  // open result (0 when the file was read).
  explicit SPK_Container(const std::string& path);
  // The record of a reader already opened (tests, fuzzing).
  explicit SPK_Container(SPK_Reader& reader);

  int Status() const { return status_; }
  const SPK_Record* Record() const { return records_.empty() ? nullptr : &records_.front(); }

  // IMDContainer: one frame that never changes.
  int GetFrameIndex() const override { return 0; }
  int SetFrame(int) override { return 0; }
  ATOMS_DATA* GetCurrentFrame() override;
  bool GetBox(double box[9], double origin[3]) override;
  BOND_INFO* GetBonds() override;
  void SetBondCutoff(double) override {}

 private:
  void BuildFrame();

  std::vector<SPK_Record> records_;
  int status_ = 0;
  std::unique_ptr<ATOMS_DATA> frame_;
};

namespace qv {
// Row "spk" (type 1).
void RegisterSpkTypes(DataTypeRegistry& registry);
}  // namespace qv
