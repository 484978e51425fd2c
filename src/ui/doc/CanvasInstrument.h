#pragma once

#include <QtGlobal>

// The canvas instrument: what a click on the canvas does. The values are the
// instrument commands' order in the Сеть menu and toolbar.
enum class TInstrument : quint8 {
    Selection = 0,
    Place = 1,
    Transition = 2,
    Arc = 3,
    Tokens = 4,
    Multiplicity = 5,
};
