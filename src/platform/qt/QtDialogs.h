#pragma once
// The file dialogs and message boxes of the desktop program on Qt. The owner
// argument of every call is the QWidget the dialog belongs to (passed as a
// QWidget*, or null for none).

#include "platform/Dialogs.h"

#include <QString>
#include <QStringList>

class CQtDialogs : public IDialogs {
public:
    bool OpenFile(void* owner, const FILEDIALOGREQUEST& request, FILEDIALOGRESULT& result) override;
    bool SaveFile(void* owner, const FILEDIALOGREQUEST& request, FILEDIALOGRESULT& result) override;
    void Message(void* owner, const std::string& text, const std::string& caption, MessageIcon icon) override;
    bool AskYesNo(void* owner, const std::string& text, const std::string& caption, MessageIcon icon) override;

    // The Qt name filter of one filter entry: the label with its bracketed
    // part replaced by the patterns Qt understands ("*.html *.txt *.log";
    // "*.*" becomes "*" so files without an extension are listed too).
    static QString QtNameFilter(const FILEFILTER& filter);
    static QStringList QtNameFilters(const std::vector<FILEFILTER>& filters);
    // The patterns of a Qt name filter ("*.html *.txt"), blanks simplified.
    static QString FilterPatterns(const QString& nameFilter);
    // The index of the filter with the same patterns as nameFilter, or -1.
    static qsizetype IndexOfFilter(const QStringList& filters, const QString& nameFilter);
    // Message text with Windows line breaks ("\r\n") as plain line breaks.
    static QString MessageText(const std::string& text);

private:
    bool RunFileDialog(void* owner, const FILEDIALOGREQUEST& request, FILEDIALOGRESULT& result, bool save);
};
