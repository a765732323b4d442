#include "ui/pages/PageLayout.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStringDecoder>

QLineEdit* MakeReadOnlyLine(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    return edit;
}

void AddLabelledRow(QGridLayout* grid, int row, const QString& label, QWidget* field, QWidget* parent) {
    auto* text = new QLabel(label, parent);
    text->setBuddy(field);
    grid->addWidget(text, row, 0);
    grid->addWidget(field, row, 1);
}

QString ToQString(std::string_view text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError()) return decoded;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQString(const QString& text) { return text.toStdString(); }
