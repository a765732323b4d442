#pragma once
// Text files as the program keeps them on disk: "\n" is written as CR LF;
// readers accept LF and CR LF (a trailing CR is removed from each line).

#include <cstdio>
#include <string>
#include <string_view>

// Splits text that is already in memory into lines.
class CLineSplitter {
public:
    explicit CLineSplitter(std::string_view content) : m_content(content) {}
    // The next line without its line end; false after the last line. A last
    // line without a line feed is still returned; an empty text has no lines.
    bool Next(std::string_view& line);

private:
    std::string_view m_content;
    std::size_t m_pos = 0;
};

// Reads lines from an open stream, one at a time.
class CTextReader {
public:
    enum Result { Line, End, Error };
    explicit CTextReader(std::FILE* file) : m_file(file) {}
    // End when no character at all could be read; Error on a read error.
    Result ReadLine(std::string& line);
    const std::string& ErrorText() const { return m_error; }

private:
    std::FILE* m_file;
    std::string m_error;
};

// Writes text to an open stream, turning each "\n" into CR LF. After the
// first failed write every later write fails too.
class CTextWriter {
public:
    explicit CTextWriter(std::FILE* file) : m_file(file) {}
    bool Write(std::string_view text);
    bool Ok() const { return m_ok; }
    const std::string& ErrorText() const { return m_error; }

private:
    std::FILE* m_file;
    bool m_ok = true;
    std::string m_error;
};

// Reads the rest of an open stream. False on a read error.
bool ReadAll(std::FILE* file, std::string& content, std::string* errorText = nullptr);
