#pragma once

#include <QIcon>
#include <QList>

// The main window's image list: 22 pictures of 16 x 16 pixels, drawn by the program.
// The actions use 11 (quit), 15 (alarms on), 17 (alarm list) and 18 (help).
const QList<QIcon> &ImageList1();
