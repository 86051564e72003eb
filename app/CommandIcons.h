#pragma once

#include <QIcon>
#include <QString>

// The program's own icon: the desktop theme's, as installed with the program, or the
// copy built into the program.
QIcon applicationIcon();

// The picture of a command item, by the item's name: the desktop theme's icon of the
// freedesktop name the item stands for, or the program's own drawing of it when the theme
// has none, so that a bare machine shows pictures too. Null for items without a picture.
QIcon commandIcon(const QString& itemName);
