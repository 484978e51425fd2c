#include "Analysis.h"
