// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/QtSaveFile.h"

#include <QSaveFile>
#include <QString>

bool SaveFileWhole(const std::string& path, const QByteArray& bytes, std::string& error) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        error = file.errorString().toStdString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = file.errorString().toStdString();
        return false;
    }
    return true;
}
