#include "style/KelGLScene.h"

KelGLScene::~KelGLScene() = default;
