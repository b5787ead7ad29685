// One end-to-end case in one text file: a shell command, the files it starts with, and the
// exact standard output, standard error and exit status it must give.
//
//   # What the case pins (comment lines, only before the first section).
//   --- command
//   koddar small.bin -r:0xF000
//   --- file small.bin hex
//   00 42 05 06 e8
//   --- file score.txt
//   120 C4 1
//   --- status 0
//   --- stdout
//   F000 00        NOP
//   --- stderr
//   Koddar - TMS7020/7040 disassembler - version 2010.01
//
// A section runs from its "--- " line to the next one. The command is a script for sh(1), run
// in a fresh directory that holds the files; a file's lines each end in a newline, or with
// "hex" after its name it holds the bytes written as hex pairs. stdout and stderr are the exact
// text, every line ending in a newline; a stream left out must be empty. Cases that should fail
// are named bad-.... A new case may be written with its comment, command, files and a
// "--- status 0" line alone: tests/golden/regenerate.sh (or the doc_tests program run with
// CASES_UPDATE=1) fills in what the programs print, for review with git diff.
#pragma once

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

struct CaseInput {
    std::string name;
    std::string bytes;
    bool hex = false;  // written as hex pairs in the case file
};

struct CaseFile {
    std::string comment;  // the leading lines, each with its newline
    std::string command;  // the script, each line with its newline
    std::vector<CaseInput> files;
    int status = -1;
    std::string out, err;
};

namespace case_file_detail {

inline std::string hex_bytes(const std::string& text, std::string& error)
{
    std::string bytes, digits;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)))
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            error = "not a hex digit in a hex file";
            return {};
        }
        digits += c;
        if (digits.size() == 2) {
            bytes += static_cast<char>(std::strtol(digits.c_str(), nullptr, 16));
            digits.clear();
        }
    }
    if (!digits.empty())
        error = "odd number of hex digits";
    return bytes;
}

inline std::string hex_lines(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        text += digits[b >> 4];
        text += digits[b & 15];
        text += (i % 16 == 15 || i + 1 == bytes.size()) ? '\n' : ' ';
    }
    return text;
}

}  // namespace case_file_detail

// Reads a case file; on a malformed one, `error` says why.
inline CaseFile parse_case(const std::string& text, std::string& error)
{
    CaseFile c;
    std::string* section = &c.comment;  // where the next lines go; none right after the status
    std::string::size_type start = 0;
    while (start < text.size() && error.empty()) {
        std::string::size_type end = text.find('\n', start);
        if (end == std::string::npos) {
            error = "the last line has no newline";
            break;
        }
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.rfind("--- ", 0) != 0) {
            if (section)
                *section += line + '\n';
            else
                error = "a line after the status: " + line;
            continue;
        }
        const std::string header = line.substr(4);
        if (header == "command") {
            section = &c.command;
        } else if (header == "stdout") {
            section = &c.out;
        } else if (header == "stderr") {
            section = &c.err;
        } else if (header.rfind("status ", 0) == 0) {
            c.status = std::atoi(header.c_str() + 7);
            section = nullptr;
        } else if (header.rfind("file ", 0) == 0) {
            std::string name = header.substr(5);
            const bool hex = name.size() > 4 && name.compare(name.size() - 4, 4, " hex") == 0;
            if (hex)
                name.erase(name.size() - 4);
            c.files.push_back({name, "", hex});
            section = &c.files.back().bytes;
        } else {
            error = "unknown section: " + line;
        }
    }
    for (CaseInput& f : c.files)
        if (f.hex && error.empty())
            f.bytes = case_file_detail::hex_bytes(f.bytes, error);
    if (error.empty() && c.command.empty())
        error = "no command";
    else if (error.empty() && c.status < 0)
        error = "no status";
    return c;
}

// The text of a case file; parse_case(format_case(c)) gives c back.
inline std::string format_case(const CaseFile& c)
{
    std::string text = c.comment + "--- command\n" + c.command;
    for (const CaseInput& f : c.files) {
        text += "--- file " + f.name + (f.hex ? " hex\n" : "\n");
        text += f.hex ? case_file_detail::hex_lines(f.bytes) : f.bytes;
    }
    text += "--- status " + std::to_string(c.status) + "\n";
    if (!c.out.empty())
        text += "--- stdout\n" + c.out;
    if (!c.err.empty())
        text += "--- stderr\n" + c.err;
    return text;
}
