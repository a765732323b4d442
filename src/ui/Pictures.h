#pragma once
// The program's pictures, from the resources: the banner of the welcome
// and About windows, the disclaimer picture and the program icon.

#include <QIcon>
#include <QPixmap>

QPixmap BannerPicture();
QPixmap DisclaimerPicture();
QIcon ProgramIcon();
