// Argument vectors for the command-line fuzz targets: the input split at its zero bytes into
// words, behind the program name. The first byte chooses whether POSIXLY_CORRECT is set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzz {

struct Words {
    bool posixly_correct = false;
    std::vector<std::string> words;  // after the program name
};

inline Words split_words(const std::uint8_t* data, std::size_t size, std::size_t max_words)
{
    Words w;
    if (size == 0)
        return w;
    w.posixly_correct = (data[0] & 1) != 0;
    std::string word;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0) {
            w.words.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(data[i]);
        }
    }
    if (size > 1)
        w.words.push_back(word);
    if (w.words.size() > max_words)
        w.words.resize(max_words);
    return w;
}

// An argv the parser may permute: pointers into `storage`, ended by a null pointer.
struct Argv {
    explicit Argv(const char* program, const std::vector<std::string>& words)
    {
        storage.push_back(program);
        storage.insert(storage.end(), words.begin(), words.end());
        for (auto& s : storage)
            ptrs.push_back(s.data());
        ptrs.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(ptrs.size()) - 1; }
    char** argv() { return ptrs.data(); }
    std::vector<std::string> storage;
    std::vector<char*> ptrs;
};

inline void set_posixly_correct(bool on)
{
    if (on)
        setenv("POSIXLY_CORRECT", "1", 1);
    else
        unsetenv("POSIXLY_CORRECT");
}

// What the platform's getopt does with an option string whose letters followed by ':' take a
// value, told apart from the code under test: each option in scanning order, then the operands.
struct Scanned {
    enum Kind { kOption, kError };
    struct Item {
        Kind kind;
        unsigned char letter;  // the option, or the offending character for an error
        std::string value;     // the option's argument
    };
    std::vector<Item> items;  // up to and including the first error
    std::vector<std::string> operands;
};

inline Scanned scan(const std::vector<std::string>& words, const std::string& letters, const std::string& with_value,
                    bool posixly_correct)
{
    Scanned s;
    std::size_t i = 0;
    for (; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w == "--") {
            ++i;
            break;
        }
        if (w.size() < 2 || w[0] != '-') {
            if (posixly_correct)
                break;
            s.operands.push_back(w);
            continue;
        }
        for (std::size_t k = 1; k < w.size(); ++k) {
            const auto c = static_cast<unsigned char>(w[k]);
            if (letters.find(static_cast<char>(c)) == std::string::npos) {
                s.items.push_back({Scanned::kError, c, {}});
                return s;
            }
            if (with_value.find(static_cast<char>(c)) == std::string::npos) {
                s.items.push_back({Scanned::kOption, c, {}});
                continue;
            }
            if (k + 1 < w.size()) {
                s.items.push_back({Scanned::kOption, c, w.substr(k + 1)});
            } else if (i + 1 < words.size()) {
                s.items.push_back({Scanned::kOption, c, words[++i]});
            } else {
                s.items.push_back({Scanned::kError, c, {}});
                return s;
            }
            break;
        }
    }
    for (; i < words.size(); ++i)
        s.operands.push_back(words[i]);
    return s;
}

}  // namespace fuzz
