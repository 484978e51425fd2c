#include "NetElements.h"
#include "PetryNet.h"

#include <QPainter>

void TPosition::Draw(QPainter &) const {}
void TPosition::DrawOutline(QPainter &) const {}
void TTransfer::Draw(QPainter &) const {}
void TTransfer::DrawOutline(QPainter &) const {}
