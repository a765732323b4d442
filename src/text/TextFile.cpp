#include "text/TextFile.h"

#include <cerrno>
#include <cstring>

bool CLineSplitter::Next(std::string_view& line) {
    if (m_pos >= m_content.size()) return false;
    const std::size_t lf = m_content.find('\n', m_pos);
    std::size_t end = lf == std::string_view::npos ? m_content.size() : lf;
    line = m_content.substr(m_pos, end - m_pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    m_pos = lf == std::string_view::npos ? m_content.size() : lf + 1;
    return true;
}

CTextReader::Result CTextReader::ReadLine(std::string& line) {
    line.clear();
    if (!m_file) return Error;
    bool any = false;
    for (;;) {
        const int c = std::getc(m_file);
        if (c == EOF) {
            if (std::ferror(m_file)) {
                m_error = std::strerror(errno ? errno : EIO);
                return Error;
            }
            break;
        }
        any = true;
        if (c == '\n') break;
        line.push_back(static_cast<char>(c));
    }
    if (!any) return End;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return Line;
}

bool CTextWriter::Write(std::string_view text) {
    if (!m_ok) return false;
    if (!m_file) {
        m_ok = false;
        m_error = std::strerror(EBADF);
        return false;
    }
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    if (!out.empty() && std::fwrite(out.data(), 1, out.size(), m_file) != out.size()) {
        m_ok = false;
        m_error = std::strerror(errno ? errno : EIO);
    }
    return m_ok;
}

bool ReadAll(std::FILE* file, std::string& content, std::string* errorText) {
    content.clear();
    if (!file) return false;
    // A file of known size is read in one go straight into the text; what
    // does not seek (a pipe) or grows meanwhile is read on in pieces.
    std::size_t expected = 0;
    if (const long here = std::ftell(file); here >= 0 && std::fseek(file, 0, SEEK_END) == 0) {
        const long end = std::ftell(file);
        if (std::fseek(file, here, SEEK_SET) != 0) {
            if (errorText) *errorText = std::strerror(errno ? errno : EIO);
            return false;
        }
        if (end > here) expected = static_cast<std::size_t>(end - here);
    }
    if (expected > 0) {
        content.resize(expected);
        content.resize(std::fread(content.data(), 1, expected, file));
    }
    if (content.size() == expected) {
        char buf[1 << 16];
        for (;;) {
            const std::size_t n = std::fread(buf, 1, sizeof buf, file);
            content.append(buf, n);
            if (n < sizeof buf) break;
        }
    }
    if (std::ferror(file)) {
        if (errorText) *errorText = std::strerror(errno ? errno : EIO);
        return false;
    }
    return true;
}
