// The score compiler on arbitrary text, in both output types. After every input the note
// stream must be well formed and agree with the echo, or exactly one score error must have
// been reported with no length set.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "capture.h"
#include "converter.h"
#include "score_compiler.h"

namespace {

// The messages the compiler may report, after "ERROR: ".
constexpr const char* kCompilerErrors[] = {
    "Not a correct note.\n",                     // 7
    "Not a correct REPEAT ... END struture.\n",  // 8
    "Not a correct note duration.\n",            // 9
    "Note duration too long.\n",                 // 10
    "Note stream too long.\n",                   // 11
};

struct Outcome {
    int ret = 0;
    std::string stream;    // the LengthOUT bytes of bufOUT
    std::string skeleton;  // the stream without its divisors: what both types must share
    std::string echo;
    std::string err;
};

// Walks a successful stream: note events with codes 1..95 and divisors 1..65535, sections
// that open and close in turn, one terminator as the last byte. Returns the skeleton and
// counts the elements that the echo must show one line each.
std::string check_stream(const std::string& s, int& elements)
{
    std::string skeleton;
    bool open = false;
    std::size_t i = 0;
    elements = 0;
    fuzz::check(!s.empty(), "a stream has at least its terminator");
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        skeleton += static_cast<char>(c);
        if (c == 0x00) {
            fuzz::check(i + 1 == s.size(), "the terminator is the last byte, written once");
            fuzz::check(!open, "no section is open at the terminator");
            return skeleton;
        }
        if (c >= 1 && c <= 95) {
            fuzz::check(i + 3 <= s.size(), "a note event has its two divisor bytes");
            const unsigned divisor =
                static_cast<unsigned char>(s[i + 1]) | static_cast<unsigned>(static_cast<unsigned char>(s[i + 2])) << 8;
            fuzz::check(divisor >= 1, "a divisor is 1 to 65535");
            i += 3;
        } else if (c == 0x80) {
            fuzz::check(open, "a section end closes an open section");
            open = false;
            ++i;
        } else if (c > 0x80) {
            fuzz::check(!open, "sections do not nest");
            open = true;
            ++i;
        } else {
            fuzz::fail("byte outside every element", std::to_string(c));
        }
        ++elements;
    }
    fuzz::fail("the stream has no terminator");
}

Outcome compile(const std::uint8_t* data, std::size_t size, int type)
{
    // The frame's guarantee: a zeroed buffer with the text in front.
    std::memset(bufIN, 0, kBufInSize);
    std::memcpy(bufIN, data, size);
    TypeDest = type;
    LengthOUT = -1;  // MUSConv must set it, to 0 on every path that saves nothing
    Outcome o;
    {
        fuzz::Capture cap;
        o.ret = MUSConv();
        o.echo = cap.out();
        o.err = cap.err();
    }
    if (o.ret == 1) {
        fuzz::check(LengthOUT == 0, "no length is set after an error");
        fuzz::check(o.err.rfind("ERROR: ", 0) == 0, "an error is reported", o.err);
        const std::string message = o.err.substr(7);
        bool known = false;
        for (const char* m : kCompilerErrors)
            known = known || message == m;
        fuzz::check(known, "exactly one of the compiler's messages", o.err);
        return o;
    }
    fuzz::check(o.ret == 0, "MUSConv returns 0 or 1");
    fuzz::check(o.err.empty(), "success reports nothing", o.err);
    fuzz::check(LengthOUT >= 0 && LengthOUT <= kBufOutSize, "the length fits bufOUT");
    o.stream.assign(reinterpret_cast<const char*>(bufOUT), static_cast<std::size_t>(LengthOUT));
    if (LengthOUT == 0) {
        fuzz::check(o.echo.empty(), "a score without tempo echoes nothing");
        return o;
    }
    int elements = 0;
    o.skeleton = check_stream(o.stream, elements);
    std::size_t lines = 0;
    for (char ch : o.echo)
        lines += ch == '\n';
    fuzz::check(lines == static_cast<std::size_t>(elements), "one echo line per element", o.echo);
    fuzz::check(fuzz::ends_with(o.echo, "\n") || o.echo.empty(), "the echo ends its last line");
    return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (bufIN == nullptr) {
        // Exactly the sizes the frame obtains, so that any access past them is caught.
        bufIN = static_cast<unsigned char*>(std::malloc(kBufInSize));
        bufOUT = static_cast<unsigned char*>(std::malloc(kBufOutSize));
    }
    // The frame refuses a source with no zero byte inside the buffer (code 12), and reads no
    // more than the buffer holds.
    if (size >= static_cast<std::size_t>(kBufInSize))
        size = kBufInSize;
    if (size == static_cast<std::size_t>(kBufInSize) && std::memchr(data, 0, size) == nullptr)
        return 0;

    const Outcome one = compile(data, size, 1);
    const Outcome three = compile(data, size, 3);
    // The output type changes the divisors only: where both succeed, the same elements in
    // the same order, echoed alike.
    if (one.ret == 0 && three.ret == 0) {
        fuzz::check(one.skeleton == three.skeleton, "both types give the same elements");
        fuzz::check(one.echo == three.echo, "both types echo alike");
        fuzz::check(one.stream.empty() == three.stream.empty(), "both types agree on an empty stream");
    }
    return 0;
}
