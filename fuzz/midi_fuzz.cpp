// melmidi's reader and converter on arbitrary files, with options taken from the first byte:
// either one message line (a fault with its offset, or why no score is written), or a score
// that melvox's own compiler accepts, whose stream fits, with a report that ends in a newline.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "capture.h"
#include "converter.h"
#include "run.h"
#include "score_compiler.h"

namespace {

melmidi::Options options_of(std::uint8_t b)
{
    melmidi::Options o;
    o.type = b & 1 ? 3 : 1;
    o.voice.channel = b >> 1 & 1 ? (b >> 2 & 15) + 1 : 0;
    o.voice.track = b >> 6 & 1 ? 2 : 0;
    o.transpose = b >> 7 & 1 ? -30 : 0;
    o.tempo = (b & 0x24) == 0x24 ? 1 : 0;  // the slowest tempo: the longest duration texts
    o.repeats = (b & 0x41) == 0x41;
    return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!bufIN) {
        bufIN = static_cast<unsigned char*>(std::malloc(kBufInSize));
        bufOUT = static_cast<unsigned char*>(std::malloc(kBufOutSize));
    }
    if (size < 1)
        return 0;
    const melmidi::Options options = options_of(data[0]);
    const melmidi::Conversion c = melmidi::convert(data + 1, size - 1, options);
    if (!c.error.empty()) {
        fuzz::check(c.score.empty(), "no score after a message");
        fuzz::check(c.error.back() == '\n' && c.error.find('\n') == c.error.size() - 1, "one message line", c.error);
        return 0;
    }
    fuzz::check(!c.report.empty() && c.report.back() == '\n', "a report", c.report);
    fuzz::check(c.score.size() < static_cast<std::size_t>(kBufInSize), "the text fits melvox", c.report);
    std::memset(bufIN, 0, kBufInSize);
    std::memcpy(bufIN, c.score.data(), c.score.size());
    TypeDest = options.type;
    fuzz::Capture cap;
    fuzz::check(MUSConv() == 0, "the score compiles", cap.err() + c.score);
    return 0;
}
