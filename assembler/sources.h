// The files of one assembly: the main source and every file it includes, each read once (with
// the same bound on all of them together) and kept for both passes.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kodasm {

struct SourceFile {
    std::string name;   // as messages show it: the main source's name, or the path as resolved
    std::string owned;  // an include's bytes; the main text stays the caller's
    std::string_view text;
    std::vector<std::string_view> lines;  // without their line ends
    std::string identity;                 // device and inode, or the name for the main text
};

// The lines of a text, without their line ends (a CR before the LF included); a UTF-8 byte order
// mark at the start is left out.
std::vector<std::string_view> split_lines(std::string_view text);

class Sources {
public:
    // The main source, file 0; text must outlive the assembly.
    void add_main(const std::string& name, std::string_view text);
    // The file an INCLUDE or BINCLUDE in file from names (relative to that file's folder; an
    // INCLUDE's name without an extension gets ".inc" when it does not exist as written). Its
    // index, or -1 with a message in error.
    int load(int from, const std::string& name, bool binary, std::string& error);
    const SourceFile& operator[](int index) const { return files_[static_cast<std::size_t>(index)]; }
    std::vector<std::string> inputs() const;
    int size() const { return static_cast<int>(files_.size()); }

private:
    std::deque<SourceFile> files_;
    std::map<std::string, int> by_identity_;
    std::size_t total_ = 0;
};

}  // namespace kodasm
