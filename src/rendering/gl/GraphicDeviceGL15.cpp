#include "rendering/gl/GraphicDeviceGL15.h"

#include <epoxy/gl.h>

#include "rendering/gl/GLContextRegistry.h"

GraphicDeviceGL15::~GraphicDeviceGL15() {
  surface_->DoneCurrent();
  GLContextRegistry::Instance().DestroyAll();
}

void GraphicDeviceGL15::ApplyFixedState() {
  glShadeModel(GL_SMOOTH);
  glEnable(GL_DEPTH_TEST);
  glClearDepth(1.0);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_COLOR_MATERIAL);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const GLfloat ambient[4] = {0.4f, 0.4f, 0.4f, 1.0f};
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
}

int GraphicDeviceGL15::Initialize(int width, int height, int vsyncMode) {
  GLContextRegistry& registry = GLContextRegistry::Instance();
  // Every context after the first shares the first one's objects.
  GLContextHandle context = surface_->CreateContext(registry.Root(), GLProfile::kCompatibility);
  if (!context) return -1;
  registry.Add(surface_, context);
  // A surface that goes before the device takes its entry with it, so the table never names
  // a dead surface.
  surface_->OnDestroyed([](IGLSurfaceProvider* gone) {
    GLContextRegistry::Instance().ForgetSurface(gone);
  });
  if (!MakeCurrent()) return -1;
  ApplyFixedState();

  int result = 0;
  if (vsyncMode == 0) {
    surface_->SetSwapInterval(0);
  } else if (vsyncMode == 1) {
    result = surface_->SetSwapInterval(1) ? 0 : 3;
  }
  surface_->DoneCurrent();
  return result;
}

bool GraphicDeviceGL15::MakeCurrent() {
  GLContextHandle context = GLContextRegistry::Instance().Find(surface_);
  if (!context || !surface_->MakeCurrent(context)) {
    surface_->DoneCurrent();
    return false;
  }
  glBindFramebuffer(GL_FRAMEBUFFER, surface_->Framebuffer());
  return true;
}

void GraphicDeviceGL15::DoneCurrent() { surface_->DoneCurrent(); }

void GraphicDeviceGL15::BeginFrame() {
  if (MakeCurrent()) ApplyFixedState();
}

void GraphicDeviceGL15::EndFrame() {
  surface_->Swap();
  surface_->DoneCurrent();
}
