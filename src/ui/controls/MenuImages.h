#pragma once

#include <QIcon>

// Registers the compiled-in pictures of the user-interface library.
void InitUiResources();

// The action images, indices 0..MenuImageCount-1; drawn for 16 px and sharp at
// higher device pixel ratios.
constexpr int MenuImageCount = 31;
QIcon MenuImage(int index);
// The program's icon and the icon of a window that holds a document.
QIcon AppImage();
QIcon DocumentImage();
