// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fresh folder of its own under the system's temporary folder, removed
// with everything in it when the object goes.

#include <string>
#include <string_view>

class CTempFolder {
public:
    // `prefix` starts the folder's name (letters, digits, "_").
    explicit CTempFolder(const std::string& prefix = "dw_test");
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    // The folder, without a trailing "/"; empty when it could not be made.
    const std::string& Path() const { return m_path; }
    // Path() + "/" + name.
    std::string File(const std::string& name) const;
    // Writes the bytes to the file `name` of the folder and returns its path;
    // the name may hold any bytes but "/" and NUL. A failed write fails the
    // current test.
    std::string Write(const std::string& name, std::string_view bytes) const;

private:
    std::string m_path;
};
