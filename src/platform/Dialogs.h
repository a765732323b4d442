#pragma once
// The file dialogs and message boxes the program asks, behind an interface
// so that tests can answer them. The desktop program uses the Qt version
// (src/platform/qt/QtDialogs.h).

#include <string>
#include <vector>

struct FILEFILTER {
    std::string label;    // "Portable Network Graphics  (*.png)"
    std::string pattern;  // "*.png", or "*.html; *.txt; *.log"
};

struct FILEDIALOGREQUEST {
    std::vector<FILEFILTER> filters;
    int filterIndex = 1;  // 1-based, as the program's filter indexes
    std::string initialFolder;
    std::string initialName;
    std::string defaultExtension;   // without the dot; empty for none
    bool confirmOverwrite = false;  // save dialogs
};

struct FILEDIALOGRESULT {
    std::string path;
    int filterIndex = 1;  // the filter selected when the dialog closed
};

enum class MessageIcon { None, Information, Warning, Error };

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // False when the user cancels.
    virtual bool OpenFile(void* owner, const FILEDIALOGREQUEST& request, FILEDIALOGRESULT& result) = 0;
    virtual bool SaveFile(void* owner, const FILEDIALOGREQUEST& request, FILEDIALOGRESULT& result) = 0;
    // A modal message box with one OK button.
    virtual void Message(void* owner, const std::string& text, const std::string& caption, MessageIcon icon) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(void* owner, const std::string& text, const std::string& caption, MessageIcon icon) = 0;
};
