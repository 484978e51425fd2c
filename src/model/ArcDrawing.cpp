#include "Arc.h"
#include "PetryNet.h"

#include <QPainter>

void TArc::Draw(QPainter &) const {}
void TArc::DrawDragFeedback(int, int, bool, QPainter &) {}
void TArc::DrawPointDragFeedback(int, int, int, bool, QPainter &) {}
