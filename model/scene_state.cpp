#include "model/scene_state.h"

SceneState scene;
