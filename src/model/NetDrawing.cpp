#include "PetryNet.h"

#include <QPainter>

void TPetryNet::Draw(QPainter &, bool) const {}
