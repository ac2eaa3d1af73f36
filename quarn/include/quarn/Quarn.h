#pragma once
// Quarn: a fixed-function OpenGL 1.x scene framework. Build a world through QuarnCore with a
// current OpenGL context, then draw frames with its camera's renderScene().
#include "quarn/QuarnVector.h"
#include "quarn/QuarnTypes.h"
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
