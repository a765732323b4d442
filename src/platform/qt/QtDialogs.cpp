#include "platform/qt/QtDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QWidget>

namespace {

QWidget* OwnerWidget(void* owner) { return static_cast<QWidget*>(owner); }

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QString CQtDialogs::QtNameFilter(const FILEFILTER& filter) {
    QStringList patterns;
    for (const QString& part : FromUtf8(filter.pattern).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString pattern = part.trimmed();
        if (pattern.isEmpty()) continue;
        patterns << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    }
    if (patterns.isEmpty()) patterns << QStringLiteral("*");

    QString label = FromUtf8(filter.label);
    const qsizetype open = label.lastIndexOf(QLatin1Char('('));
    if (open >= 0 && label.endsWith(QLatin1Char(')'))) label.truncate(open);
    else label += QLatin1Char(' ');
    return label + QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QString CQtDialogs::FilterPatterns(const QString& nameFilter) {
    const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = nameFilter.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close < open) return QString();
    return nameFilter.mid(open + 1, close - open - 1).simplified();
}

qsizetype CQtDialogs::IndexOfFilter(const QStringList& filters, const QString& nameFilter) {
    const QString patterns = FilterPatterns(nameFilter);
    for (qsizetype i = 0; i < filters.size(); ++i)
        if (FilterPatterns(filters.at(i)) == patterns) return i;
    return -1;
}

QStringList CQtDialogs::QtNameFilters(const std::vector<FILEFILTER>& filters) {
    QStringList list;
    for (const FILEFILTER& filter : filters) list << QtNameFilter(filter);
    return list;
}

QString CQtDialogs::MessageText(const std::string& text) {
    QString result = FromUtf8(text);
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return result;
}

bool CQtDialogs::RunFileDialog(void* owner, const FILEDIALOGREQUEST& request, FILEDIALOGRESULT& result, bool save) {
    QFileDialog dialog(OwnerWidget(owner));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save && !request.confirmOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite, true);

    const QStringList filters = QtNameFilters(request.filters);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        // The dialog shows the titles with their blanks simplified: the
        // filters are matched by their patterns, never by their titles.
        const int index = request.filterIndex;
        if (index >= 1 && index <= filters.size()) {
            const QStringList shown = dialog.nameFilters();
            const qsizetype at = IndexOfFilter(shown, filters.at(index - 1));
            if (at >= 0) dialog.selectNameFilter(shown.at(at));
        }
    }
    // The suffix added to a bare name follows the selected filter ("*.jpg"
    // gives "jpg"); filters without one extension fall back to the default.
    const QString fallbackSuffix = FromUtf8(request.defaultExtension);
    const auto suffixFor = [&](const QString& nameFilter) {
        const qsizetype at = IndexOfFilter(filters, nameFilter);
        if (at >= 0) {
            const QStringList parts = FromUtf8(request.filters[static_cast<std::size_t>(at)].pattern)
                                          .split(QLatin1Char(';'), Qt::SkipEmptyParts);
            if (parts.size() == 1) {
                const QString pattern = parts.first().trimmed();
                if (pattern.startsWith(QLatin1String("*.")) && pattern != QLatin1String("*.*")) return pattern.mid(2);
            }
        }
        return fallbackSuffix;
    };
    if (save && !fallbackSuffix.isEmpty()) {
        dialog.setDefaultSuffix(suffixFor(dialog.selectedNameFilter()));
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog, suffixFor](const QString& nameFilter) { dialog.setDefaultSuffix(suffixFor(nameFilter)); });
    } else if (!fallbackSuffix.isEmpty()) {
        dialog.setDefaultSuffix(fallbackSuffix);
    }
    const QString folder = FromUtf8(request.initialFolder);
    if (!folder.isEmpty() && QDir(folder).exists()) dialog.setDirectory(folder);
    if (!request.initialName.empty()) dialog.selectFile(FromUtf8(request.initialName));

    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty()) return false;

    result.path = files.first().toStdString();
    const qsizetype selected = IndexOfFilter(filters, dialog.selectedNameFilter());
    result.filterIndex = selected >= 0 ? static_cast<int>(selected) + 1 : request.filterIndex;
    return true;
}

bool CQtDialogs::OpenFile(void* owner, const FILEDIALOGREQUEST& request, FILEDIALOGRESULT& result) {
    return RunFileDialog(owner, request, result, false);
}

bool CQtDialogs::SaveFile(void* owner, const FILEDIALOGREQUEST& request, FILEDIALOGRESULT& result) {
    return RunFileDialog(owner, request, result, true);
}

void CQtDialogs::Message(void* owner, const std::string& text, const std::string& caption, MessageIcon icon) {
    QMessageBox box(BoxIcon(icon), FromUtf8(caption), MessageText(text), QMessageBox::Ok, OwnerWidget(owner));
    box.exec();
}

bool CQtDialogs::AskYesNo(void* owner, const std::string& text, const std::string& caption, MessageIcon icon) {
    QMessageBox box(BoxIcon(icon), FromUtf8(caption), MessageText(text), QMessageBox::Yes | QMessageBox::No,
                    OwnerWidget(owner));
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}
