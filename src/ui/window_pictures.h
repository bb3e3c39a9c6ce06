// The window's pictures, drawn in code: the frame (title bar, left, right and bottom edges), the
// tree and row icons, and the tips dialog's icon.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace kelvo::ui::pictures {

QPixmap TitleBar();         // 475 x 44, stretched over the title bar
QPixmap SideEdge();         // 8 x 160, left and right edges
QPixmap BottomEdge();       // 475 x 8
QIcon DriveIcon();          // tree image 1
QIcon SpecialFolderIcon();  // tree image 2
QIcon RootIcon();           // tree image 3
QIcon RowIcon();            // results image 4
QPixmap TipsIcon();         // 32 x 32

}  // namespace kelvo::ui::pictures
