#pragma once

#include <QIcon>
#include <QList>

// The main window's image list: 22 pictures of 16 x 16 pixels, drawn by the program.
// The actions use 11 (quit), 15 (alarms on), 17 (alarm list) and 18 (help).
const QList<QIcon> &ImageList1();

// The application's icon, an alarm clock, at 16, 32, 48 and 128 pixels.
QIcon ProgramIcon();
// The about box's small red bullet, 12 x 12 pixels (24 x 24 on high-density screens).
QIcon BulletPicture();
