// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/LineArray.h"

CLineArray::CLineArray(std::initializer_list<std::string_view> lines) { *this = lines; }

CLineArray& CLineArray::operator=(std::initializer_list<std::string_view> lines) {
    clear();
    for (std::string_view line : lines) push_back(line);
    return *this;
}

void CLineArray::resize(std::size_t count) {
    if (count < size()) {
        m_aEnds.resize(count);
        m_strText.resize(count == 0 ? 0 : m_aEnds.back());
    } else {
        m_aEnds.resize(count, m_strText.size());
    }
}

void CLineArray::clear() {
    m_strText.clear();
    m_aEnds.clear();
}

void CLineArray::reserve(std::size_t lines, std::size_t characters) {
    m_aEnds.reserve(lines);
    m_strText.reserve(characters);
}

void CLineArray::shrink_to_fit() {
    m_aEnds.shrink_to_fit();
    m_strText.shrink_to_fit();
}

bool operator==(const CLineArray& a, const std::vector<std::string>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < b.size(); ++i)
        if (a[i] != b[i]) return false;
    return true;
}
