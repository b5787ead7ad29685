// Finds the example runs shown in the documentation.
//
// A run is one shell command and the exact output it must print. Two sources:
//
// README.md (Markdown): every fenced block opened by a line "```console" holds
// runs. A line starting with "$ " is a command; the lines after it, up to the
// next command or the closing "```", are its output exactly as a terminal shows
// it: standard output and standard error in the order written, banner lines
// included.
//
// Man pages (troff): every .EX ... .EE block whose first line starts with "$ "
// holds runs, split the same way. The output is standard output followed by
// standard error, with each program's banner line left out. In these blocks
// \e stands for a backslash, \- for a hyphen-minus and \& for nothing.
//
// In both, every output line ends with a newline, and the blocks of one
// document run in order in one directory.
#pragma once

#include <string>
#include <vector>

struct DocRun {
    std::string command;   // without the "$ "
    std::string expected;  // the output lines, each ending in '\n'
    int line = 0;          // line number of the command in the document (from 1)
};

inline std::vector<std::string> split_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    while (start < text.size()) {
        std::string::size_type end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Replaces the three escapes allowed in example blocks; any other backslash
// sequence is kept as it is, so that it shows up as a difference.
inline std::string troff_unescape(const std::string& line)
{
    std::string out;
    for (std::string::size_type i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            const char next = line[i + 1];
            if (next == 'e') {
                out += '\\';
                ++i;
                continue;
            }
            if (next == '-') {
                out += '-';
                ++i;
                continue;
            }
            if (next == '&') {
                ++i;
                continue;
            }
        }
        out += line[i];
    }
    return out;
}

namespace doc_runs_detail {

// Splits the lines of one block into runs; first_line is the document line
// number of lines[0].
inline void add_runs(const std::vector<std::string>& lines, int first_line, std::vector<DocRun>& runs)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("$ ", 0) == 0)
            runs.push_back({lines[i].substr(2), "", first_line + static_cast<int>(i)});
        else if (!runs.empty())
            runs.back().expected += lines[i] + '\n';
    }
}

}  // namespace doc_runs_detail

inline std::vector<DocRun> markdown_runs(const std::string& text)
{
    std::vector<DocRun> runs;
    const std::vector<std::string> lines = split_lines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] != "```console")
            continue;
        std::vector<std::string> block;
        std::size_t j = i + 1;
        while (j < lines.size() && lines[j].rfind("```", 0) != 0)
            block.push_back(lines[j++]);
        doc_runs_detail::add_runs(block, static_cast<int>(i) + 2, runs);
        i = j;
    }
    return runs;
}

inline std::vector<DocRun> man_runs(const std::string& text)
{
    std::vector<DocRun> runs;
    const std::vector<std::string> lines = split_lines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] != ".EX")
            continue;
        std::vector<std::string> block;
        std::size_t j = i + 1;
        while (j < lines.size() && lines[j] != ".EE")
            block.push_back(troff_unescape(lines[j++]));
        if (!block.empty() && block[0].rfind("$ ", 0) == 0)
            doc_runs_detail::add_runs(block, static_cast<int>(i) + 2, runs);
        i = j;
    }
    return runs;
}
