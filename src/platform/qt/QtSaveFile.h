// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing a file whole or not at all: the bytes go into a temporary file
// beside the target, which is renamed over it only when every byte is
// written, so a failed write leaves no partial file (and an earlier file of
// that name as it was).

#include <QByteArray>

#include <string>

// False with Qt's reason in error when the file could not be written.
bool SaveFileWhole(const std::string& path, const QByteArray& bytes, std::string& error);
