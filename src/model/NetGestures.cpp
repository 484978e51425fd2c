#include "PetryNet.h"

#include <QPainter>

void TPetryNet::BeginArc(int, int, QPainter &) {}
void TPetryNet::TrackArc(int, int, QPainter &) {}
void TPetryNet::EndArc(QPainter &) {}
void TPetryNet::DrawRubberArc(QPainter &) const {}
bool TPetryNet::BeginDrag(int, int, QPainter &) { return false; }
void TPetryNet::DragTo(int, int, QPainter &) {}
void TPetryNet::EndDrag(QPainter &) {}
void TPetryNet::DrawDragFeedbacks(QPainter &, int, int, bool) {}
