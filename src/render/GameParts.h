#pragma once
// The Game's parts, for code that reaches past the sequencer into one of them (the bench's
// captures, the tests).

#include "render/GBuffer.h"
#include "render/GamePrograms.h"
#include "render/LightRig.h"
#include "render/PicturePasses.h"
#include "render/SceneContent.h"
#include "render/ShadowCube.h"

namespace vantor {} // namespace vantor
