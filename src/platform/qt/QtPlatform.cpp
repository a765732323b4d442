// Qt implementations of the platform interfaces live in this folder.
#include <QtGlobal>
