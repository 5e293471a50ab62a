#include "app/DataTypes.h"

#include <cstdio>

#include "auxdata/poly/PolygonTypes.h"
#include "data/DataTypeRegistry.h"
#include "rendering/scene/PolygonScene.h"
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
  RegisterPolygonTypes(rows), scenes.Register(kTypePolygon, scene::BuildPolygonScene);
}

}  // namespace qv
