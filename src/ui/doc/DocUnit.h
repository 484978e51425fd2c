#pragma once

// The document window and what it needs of the application shell.
#include "DocForm.h"
#include "DocShell.h"
#include "controls/MenuImages.h"
