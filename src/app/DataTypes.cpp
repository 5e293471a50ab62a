#include "app/DataTypes.h"

#include <cstdio>

#include "data/DataTypeRegistry.h"
#include "auxdata/field/Field3DLoader.h"
#include "auxdata/scattering/BCALoader.h"
#include "auxdata/spk/SPK_Container.h"
#include "rendering/scene/FieldScene.h"
#include "rendering/scene/ScatteringScene.h"
#include "rendering/scene/ScenePlan.h"

namespace qv {

void RegisterDataTypes() {
  static bool done = false;
  if (done) return;
  done = true;
  DataTypeRegistry& rows = DataTypeRegistry::Instance();
  scene::SceneBuilders& scenes = scene::SceneBuilders::Instance();
  // A new kind of data set adds its rows and its scene builder here.
  RegisterTrajectoryTypes(rows);
  scenes.Register(kTypeMD, scene::BuildTrajectoryScene);
  RegisterScatteringTypes(rows);
  scenes.Register(kTypeScattering, scene::BuildScatteringScene);
  RegisterFieldTypes(rows);
  scenes.Register(kTypeScalarField, scene::BuildFieldScene);
  RegisterSpkTypes(rows);  // a trajectory: drawn by the trajectory's builder
}

}  // namespace qv
