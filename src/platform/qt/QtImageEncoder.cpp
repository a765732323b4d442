#include "platform/qt/QtImageEncoder.h"

bool CQtImageEncoder::Save(const CImage32&, const std::string&, const std::string&) { return false; }
