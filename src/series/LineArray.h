// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The log lines of a series: an array of texts kept in one block of
// characters, so a series of a million lines costs two allocations instead
// of a million. Lines are read as string views, which stay valid until the
// array is changed.

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

class CLineArray {
public:
    using value_type = std::string_view;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;
    using reference = std::string_view;
    using const_reference = std::string_view;

    // Random access over the lines; dereferencing gives a view of the line.
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using reference = std::string_view;
        using pointer = void;

        const_iterator() = default;
        const_iterator(const CLineArray* lines, std::size_t i) : m_pLines(lines), m_nIndex(i) {}
        std::string_view operator*() const { return (*m_pLines)[m_nIndex]; }
        std::string_view operator[](difference_type n) const {
            return (*m_pLines)[m_nIndex + static_cast<std::size_t>(n)];
        }
        const_iterator& operator++() {
            ++m_nIndex;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++m_nIndex;
            return old;
        }
        const_iterator& operator--() {
            --m_nIndex;
            return *this;
        }
        const_iterator operator--(int) {
            const_iterator old = *this;
            --m_nIndex;
            return old;
        }
        const_iterator& operator+=(difference_type n) {
            m_nIndex += static_cast<std::size_t>(n);
            return *this;
        }
        const_iterator& operator-=(difference_type n) {
            m_nIndex -= static_cast<std::size_t>(n);
            return *this;
        }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return static_cast<difference_type>(a.m_nIndex) - static_cast<difference_type>(b.m_nIndex);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.m_nIndex == b.m_nIndex; }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.m_nIndex <=> b.m_nIndex; }

    private:
        const CLineArray* m_pLines = nullptr;
        std::size_t m_nIndex = 0;
    };
    using iterator = const_iterator;

    CLineArray() = default;
    CLineArray(std::initializer_list<std::string_view> lines);
    CLineArray& operator=(std::initializer_list<std::string_view> lines);

    std::size_t size() const { return m_aEnds.size(); }
    bool empty() const { return m_aEnds.empty(); }
    // Line i (i < size()).
    std::string_view operator[](std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : m_aEnds[i - 1];
        return std::string_view(m_strText.data() + begin, m_aEnds[i] - begin);
    }
    std::string_view front() const { return (*this)[0]; }
    std::string_view back() const { return (*this)[size() - 1]; }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, size()); }

    // Appends a line (the text may be a view into this array).
    void push_back(std::string_view line) {
        m_strText.append(line.data(), line.size());
        m_aEnds.push_back(m_strText.size());
    }
    void emplace_back(std::string_view line) { push_back(line); }
    // Keeps the first count lines, or appends empty lines up to count.
    void resize(std::size_t count);
    void clear();
    // Takes over a text that already holds the lines one after the other,
    // with the end of each; ends that do not rise within the text are cut
    // to fit.
    void Assign(std::string&& text, std::vector<std::size_t>&& ends);
    // Room for this many lines of this many characters in all.
    void reserve(std::size_t lines, std::size_t characters);
    // Gives back memory reserved beyond what the lines use.
    void shrink_to_fit();

    friend bool operator==(const CLineArray& a, const CLineArray& b) {
        return a.m_aEnds == b.m_aEnds && a.m_strText == b.m_strText;
    }
    friend bool operator==(const CLineArray& a, const std::vector<std::string>& b);

private:
    std::string m_strText;             // all lines, one after the other
    std::vector<std::size_t> m_aEnds;  // end of each line in m_strText
};
