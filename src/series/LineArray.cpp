// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/LineArray.h"

#include <algorithm>
#include <utility>

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

void CLineArray::Assign(std::string&& text, std::vector<std::size_t>&& ends) {
    m_strText = std::move(text);
    m_aEnds = std::move(ends);
    std::size_t previous = 0;
    for (std::size_t& end : m_aEnds) {
        end = std::min(std::max(end, previous), m_strText.size());
        previous = end;
    }
    m_strText.resize(previous);
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
