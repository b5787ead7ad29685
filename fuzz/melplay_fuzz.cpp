// melplay on arbitrary streams, in both output types: the checker either accepts the bytes or
// names one fault; an accepted stream lists one line per element, its score text compiles back
// through melvox's own compiler to the very same bytes, and a preview under a small cap comes
// out exactly as long as its header says.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "capture.h"
#include "converter.h"
#include "listing.h"
#include "run.h"
#include "score_compiler.h"
#include "score_writer.h"
#include "stream.h"
#include "wav.h"

namespace {

constexpr unsigned kCapSeconds = 2;  // keeps every rendering short

// The score text through MUSConv, as melvox would read it from a file.
std::string compile_back(const std::string& text, int type)
{
    std::memset(bufIN, 0, kBufInSize);
    std::copy(text.begin(), text.end(), bufIN);
    TypeDest = type;
    fuzz::Capture cap;
    const int ret = MUSConv();
    fuzz::check(ret == 0, "the score text compiles", cap.err() + text);
    return std::string(reinterpret_cast<const char*>(bufOUT), static_cast<std::size_t>(LengthOUT));
}

void check_type(const std::vector<unsigned char>& bytes, const melplay::Stream& stream, int type)
{
    using namespace melplay;
    const std::string list = listing(stream, type);
    std::size_t lines = 0;
    for (char c : list)
        lines += c == '\n';
    fuzz::check(lines == stream.elements.size() + 2, "a heading, one line per element, the totals", list);

    std::string text, error;
    if (score_text(stream, type, text, error)) {
        if (text.size() < kConverterTextLimit && stream.size <= kConverterStreamLimit) {
            const std::string back = compile_back(text, type);
            fuzz::check(back == std::string(bytes.begin(), bytes.end()), "the score compiles back to the stream", text);
        }
    } else {
        fuzz::check(!error.empty() && error.back() == '\n', "a refused score text says why", error);
    }

    std::uint64_t samples = 0;
    const std::string refusal = preview_refusal(stream, type, kCapSeconds, samples);
    if (!refusal.empty()) {
        fuzz::check(refusal.rfind("Preview too long: ", 0) == 0, "only a long preview is refused", refusal);
        return;
    }
    fuzz::check(samples <= std::uint64_t{kCapSeconds} * kSampleRate, "the cap holds");
    std::uint64_t written = 0;
    const bool ok = render_preview(stream, type, samples, [&written](const unsigned char*, std::size_t n) {
        written += n;
        return true;
    });
    fuzz::check(ok, "rendering into memory succeeds");
    fuzz::check(written == kHeaderBytes + 2 * samples, "the preview is as long as its header says");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!bufIN) {
        bufIN = static_cast<unsigned char*>(std::malloc(kBufInSize));
        bufOUT = static_cast<unsigned char*>(std::malloc(kBufOutSize));
    }
    if (size > melplay::kMaxStreamBytes)  // refused before it is checked
        return 0;
    const std::vector<unsigned char> bytes(data, data + size);
    melplay::Stream stream;
    const melplay::Check check = melplay::check_stream(bytes, stream);
    if (check.fault != melplay::Fault::None) {
        const std::string message = melplay::fault_message(check);
        fuzz::check(!message.empty() && message.back() == '\n', "a fault has its one-line message", message);
        fuzz::check(check.offset <= size, "the fault lies within the stream, or just past it");
        return 0;
    }
    fuzz::check(stream.size == size, "an accepted stream ends at its terminator");
    check_type(bytes, stream, 1);
    check_type(bytes, stream, 3);
    return 0;
}
