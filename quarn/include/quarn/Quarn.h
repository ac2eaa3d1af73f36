#pragma once
// Quarn: a fixed-function OpenGL 1.x scene framework. This header is the whole contract for an
// application; it includes every public class.
//
// A window with a running scene (see QuarnView.h):
//
//   auto view = QuarnView::viewWithFrame({{100, 100}, {800, 600}});
//   view->newModelWithGeometry(view->newGeometryWithType("sphere"));
//   QuarnView::runMainLoop();
//
// Off-screen, without a display: QuarnView::offscreenViewWithSize({640, 480}), then render()
// and readPixels(); or a QuarnHeadlessContext for programs that drive a QuarnCore themselves.
//
// Order of use. The view makes its OpenGL context current, creates its QuarnCore (which makes
// the scene root "Scene", the camera "Main Camera" and the light "light_0"), runs the camera's
// initGL (depth test, lighting, back-face culling, normalisation, fog defaults) and reshapes it to
// the view's size; then its 15 ms timer draws a frame on each tick of the main run loop. A
// program that uses a QuarnCore without a view must do that set-up itself, with its context
// current: core.camera()->initGL(); core.camera()->reshapeWithSize({width, height}).
// Constructing lights, shaders, textures and geometries needs a current context.
//
// Ownership. Objects come back as std::shared_ptr; the core's registries keep what it made, models
// and layers only point at their geometry, shader and texture. Everything is used on the main
// thread.
//
// Errors. An ordinary failure gives an empty result (null, false, an empty image) and one log
// line (QuarnLog.h tells where lines go); a name outside a mode list is ignored or logged as the
// class says. Programming errors, such as an index outside a list (QuarnNode::childAtIndex,
// QuarnLayer2D::setColor and vertex, the particle system's plug-in list), throw
// std::out_of_range.
//
// Linking: pkg-config --cflags --libs quarn, or find_package(Quarn) and Quarn::Quarn in CMake.
#include "quarn/QuarnVector.h"
#include "quarn/QuarnTypes.h"
#include "quarn/QuarnLog.h"
#include "quarn/QuarnImage.h"
#include "quarn/QuarnNode.h"
#include "quarn/QuarnModel.h"
#include "quarn/QuarnGeometry.h"
#include "quarn/QuarnLayer2D.h"
#include "quarn/QuarnParticleSystem.h"
#include "quarn/QuarnMotivator.h"
#include "quarn/QuarnFogMachine.h"
#include "quarn/QuarnLight.h"
#include "quarn/QuarnCamera.h"
#include "quarn/QuarnShader.h"
#include "quarn/QuarnTexture.h"
#include "quarn/QuarnTextureLayer.h"
#include "quarn/QuarnViewLink.h"
#include "quarn/QuarnCore.h"
#include "quarn/QuarnHeadlessContext.h"
#include "quarn/QuarnView.h"
#include "quarn/QuarnCoreController.h"
#include "quarn/QuarnInspectorWindowController.h"
