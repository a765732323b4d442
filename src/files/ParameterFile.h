#pragma once
// The line-oriented parameter-file format: a block is the header line
// "'[" + name + "]'", the line "Version " + number, then one value per line in
// an order that writer and reader agree on. Value lines may carry a comment
// that starts at the block's comment column (at least six blanks after the
// value); the number readers skip it.
//
// Every operation takes a stream opened by the caller (OpenExclusive) and
// returns 1 on success, 0 on failure; a null stream gives 0 at once. A file
// error of a line read or write goes to ReportFileError (with the path given,
// which may be empty) and gives 0. Nothing is logged here: the block's owner
// reports its own failure line. On a result of 0 an output keeps its value.

#include <cstdio>
#include <string>

class CParameterBlock;

// Writer.
int WriteHeader(std::FILE* file, const CParameterBlock& block, const std::string& path = std::string());
int WriteIntValue(std::FILE* file, const CParameterBlock& block, int value, const std::string& comment,
                  const std::string& path = std::string());
// "%g": six significant digits, exponents of three digits ("1e+006").
int WriteDoubleValue(std::FILE* file, const CParameterBlock& block, double value, const std::string& comment,
                     const std::string& path = std::string());
// A value that holds a line feed is not written (result 0): it would break
// the line layout of the block.
int WriteStringValue(std::FILE* file, const CParameterBlock& block, const std::string& value,
                     const std::string& comment, const std::string& path = std::string());
// Appends max(m_nCommentColumn - length, 6) blanks and the comment; an empty
// comment leaves the text as it is.
int AppendComment(std::string& text, const CParameterBlock& block, const std::string& comment);

// Reader. ReadHeader sets name to "" and version to 0 before parsing; its
// result is 1 only when both header lines were read and are well formed.
int ReadHeader(std::FILE* file, std::string& name, int& version, const std::string& path = std::string());
// The leading number of the next line (0 for a line without one); an empty
// line or the end of the file fails.
int ReadIntValue(std::FILE* file, int& value, const std::string& path = std::string());
int ReadDoubleValue(std::FILE* file, double& value, const std::string& path = std::string());
// The whole next line, unchanged; an empty line is an empty value.
int ReadStringValue(std::FILE* file, std::string& value, const std::string& path = std::string());
