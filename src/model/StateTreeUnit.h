#pragma once

// The state tree of the token game.
#include "StateTree.h"
