#pragma once

#include <QIcon>
#include <QPixmap>

namespace horolet {

// Small pictures the program draws itself, so it ships no image files.
QPixmap PlusPicture();       // ToggleOptionsView while folded
QPixmap MinusPicture();      // ToggleOptionsView while unfolded
QPixmap CheckMarkPicture();  // ShowStickyButton
QPixmap CalendarPicture();   // ShowCalendar, 16 x 16
QPixmap ClockFacePicture(int size);
QIcon AppIcon();             // window and tray icon

}  // namespace horolet
