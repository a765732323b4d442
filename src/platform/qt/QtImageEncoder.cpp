#include "platform/qt/QtImageEncoder.h"

#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QList>
#include <QString>

bool CQtImageEncoder::Save(const CImage32& image, const std::string& path, const std::string& extension) {
    if (!image.IsValid() || path.empty()) return false;
    QByteArray format =
        QByteArray::fromStdString(extension.size() > 0 && extension[0] == '.' ? extension.substr(1) : extension)
            .toLower();
    if (format.isEmpty()) return false;
    const QList<QByteArray> formats = QImageWriter::supportedImageFormats();
    if (!formats.contains(format)) return false;

    // An opaque RGB copy: the encoders then write no alpha channel.
    const QImage view(reinterpret_cast<const uchar*>(image.Data()), image.Width(), image.Height(), image.BytesPerLine(),
                      QImage::Format_RGB32);
    const QImage rgb = view.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull()) return false;
    QImageWriter writer(QString::fromStdString(path), format);
    return writer.write(rgb);
}
