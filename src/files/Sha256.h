// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SHA-256 (FIPS 180-4) of a byte string or a file, as 64 lower-case hex
// digits: the log file's fingerprint in the PDF report.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CSha256 {
public:
    CSha256();
    void Update(const void* data, std::size_t size);
    // The digest of everything updated so far as hex; the object is then
    // spent (Reset to start again).
    std::string FinishHex();
    void Reset();

private:
    void Block(const std::uint8_t* block);

    std::uint32_t m_h[8];
    std::uint8_t m_buffer[64];
    std::size_t m_nBuffered = 0;
    std::uint64_t m_nTotal = 0;
};

std::string Sha256Hex(std::string_view bytes);

// Hex digest of the file's bytes; false, with a reason in error, when the
// file cannot be read.
bool Sha256OfFile(const std::string& path, std::string& hex, std::string* error = nullptr);
