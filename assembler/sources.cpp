// Include files are found from the folder of the file that names them, as every assembler of
// the field does, so that a library moves with its own includes.
#include "sources.h"

#include <sys/stat.h>

#include <algorithm>

#include "files.h"

namespace kodasm {

namespace {

constexpr std::size_t kMaxFiles = 1024;

std::string folder_of(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool has_extension(const std::string& name)
{
    const std::size_t slash = name.rfind('/');
    const std::size_t dot = name.rfind('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

}  // namespace

std::vector<std::string_view> split_lines(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<std::string_view> lines;
    lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view l = text.substr(start, end - start);
        if (!l.empty() && l.back() == '\r')
            l.remove_suffix(1);
        lines.push_back(l);
        start = end + 1;
    }
    return lines;
}

void Sources::add_main(const std::string& name, std::string_view text)
{
    files_.clear();
    by_identity_.clear();
    files_.push_back({name, {}, text, {}, {}});
    files_.back().lines = split_lines(files_.back().text);
    struct stat st;
    if (!name.empty() && ::stat(name.c_str(), &st) == 0) {
        files_.back().identity = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
        by_identity_[files_.back().identity] = 0;
    }
    total_ = text.size();
}

int Sources::load(int from, const std::string& name, bool binary, std::string& error)
{
    std::string path = name[0] == '/' ? name : folder_of((*this)[from].name) + name;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 && !binary && !has_extension(name) && ::stat((path + ".inc").c_str(), &st) == 0)
        path += ".inc";
    if (::stat(path.c_str(), &st) == 0) {
        const std::string identity = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
        const auto found = by_identity_.find(identity);
        if (found != by_identity_.end())
            return found->second;
    }
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        error = "'" + path + "' is not a regular file.";  // a device or FIFO could block or never end
        return -1;
    }
    if (files_.size() >= kMaxFiles) {
        error = "more than 1024 files included.";
        return -1;
    }
    std::string text;
    if (!read_source(path, text, error)) {
        if (!error.empty() && error.back() == '\n')
            error.pop_back();
        return -1;
    }
    if (total_ + text.size() > kMaxSource) {
        error = "the source and its includes are larger than 16 MiB together.";
        return -1;
    }
    total_ += text.size();
    files_.push_back({path, std::move(text), {}, {}, {}});
    SourceFile& file = files_.back();
    file.text = file.owned;
    file.lines = split_lines(file.text);  // a file may be both included and BINCLUDEd
    if (::stat(path.c_str(), &st) == 0)
        file.identity = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
    else
        file.identity = path;
    const int index = static_cast<int>(files_.size() - 1);
    by_identity_[file.identity] = index;
    return index;
}

std::vector<std::string> Sources::inputs() const
{
    std::vector<std::string> names;
    for (std::size_t i = 1; i < files_.size(); ++i)
        names.push_back(files_[i].name);
    return names;
}

}  // namespace kodasm
