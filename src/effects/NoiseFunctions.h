#pragma once

// The procedural noise library: pure functions of one to four float coordinates and an
// unsigned 32-bit seed (always the last argument) returning a float. They keep no
// state and read only constant tables, so any number of threads may call them.
#include "effects/CellularNoise.h"
#include "effects/FractalNoise.h"
#include "effects/GradientNoise.h"
#include "effects/LatticeNoise.h"
#include "effects/SimplexNoise.h"
