#pragma once
// The program's pictures, from the resources: the banner of the welcome
// and About windows, the disclaimer picture and the program icon.

#include <QIcon>
#include <QPixmap>

// Drawn for a screen of the given device-pixel ratio: above 1 the picture
// of twice the pixels, with that ratio, so it stays sharp on scaled screens.
QPixmap BannerPicture(qreal devicePixelRatio = 1.0);
QPixmap DisclaimerPicture(qreal devicePixelRatio = 1.0);
QIcon ProgramIcon();
