#pragma once
// The header every block-owning object begins with: where its routines
// report, the comment column of its value lines, its version and its name.

#include <string>

class CLogFile;

class CParameterBlock {
public:
    CParameterBlock() = default;
    explicit CParameterBlock(CLogFile* log) : m_pLog(log) {}
    virtual ~CParameterBlock() = default;

    CLogFile* m_pLog = nullptr;
    int m_nCommentColumn = 40;
    int m_nVersion = 0;
    std::string m_strName;
};
