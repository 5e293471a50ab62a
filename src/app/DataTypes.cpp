#include "app/DataTypes.h"

#include <cstdio>

#include "auxdata/poly/PolygonTypes.h"
#include "data/DataTypeRegistry.h"
#include "auxdata/krb/ParticleEventTypes.h"
#include "auxdata/lmc/LatticeTypes.h"
#include "auxdata/vmec/GridPointTypes.h"
#include "rendering/scene/GridPointsScene.h"
#include "rendering/scene/LatticeScene.h"
#include "rendering/scene/ParticleEventsScene.h"
#include "auxdata/field/Field3DLoader.h"
#include "auxdata/scattering/BCALoader.h"
#include "auxdata/spk/SPK_Container.h"
#include "rendering/scene/FieldScene.h"
#include "rendering/scene/ScatteringScene.h"
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
  RegisterLatticeTypes(rows); scenes.Register(kTypeLattice, scene::BuildLatticeScene);
  RegisterParticleEventTypes(rows); scenes.Register(kTypeParticleEvents, scene::BuildParticleEventsScene);
  RegisterGridPointTypes(rows); scenes.Register(kTypeGridPoints, scene::BuildGridPointsScene);
  RegisterScatteringTypes(rows);
  scenes.Register(kTypeScattering, scene::BuildScatteringScene);
  RegisterFieldTypes(rows);
  scenes.Register(kTypeScalarField, scene::BuildFieldScene);
  RegisterSpkTypes(rows);  // a trajectory: drawn by the trajectory's builder
  RegisterPolygonTypes(rows), scenes.Register(kTypePolygon, scene::BuildPolygonScene);
}

}  // namespace qv
