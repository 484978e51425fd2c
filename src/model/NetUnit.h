#pragma once

// The net model: elements, arcs, stream, container, document file, undo and clipboard.
#include "Arc.h"
#include "NetElements.h"
#include "NetStream.h"
#include "PetryNet.h"
#include "UndoClipboard.h"
