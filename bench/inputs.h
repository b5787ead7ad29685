// The benchmark inputs, the same ones bench/run.sh writes for the whole-program
// timings: a score of about 63,000 bytes and a 65,536-byte code image.
#pragma once

#include <cstddef>
#include <string>

namespace bench {

constexpr std::size_t kScoreBytes = 63000;
constexpr std::size_t kImageBytes = 65536;

// Tempo 120, then blocks "REPEAT 3", ten notes, "END", for as long as a whole
// block still fits in kScoreBytes. Names and durations cycle through lists
// of coprime lengths, so every block differs; the note stream stays far
// below its limit (about 20,000 bytes).
inline std::string large_score()
{
    static const char* const names[] = {"C3",  "D#3", "Eb3", "F#3", "G3", "Ab3", "A3",
                                        "Bb3", "B3",  "C4",  "C#4", "E4", "REST"};
    static const char* const durations[] = {"0.25", "0.5", "1", "1.5", "0.75", "2", "0.125"};
    std::string score = "120\n";
    std::size_t note = 0;
    for (;;) {
        std::string block = "REPEAT 3\n";
        for (int i = 0; i < 10; ++i, ++note) {
            block += names[note % 13];
            block += ' ';
            block += durations[note % 7];
            block += '\n';
        }
        block += "END\n";
        if (score.size() + block.size() > kScoreBytes)
            break;
        score += block;
    }
    return score;
}

// Every opcode many times over, in a mixed order: byte i is (i * 151 + i / 256) mod 256.
inline std::string large_image()
{
    std::string image(kImageBytes, '\0');
    for (std::size_t i = 0; i < kImageBytes; ++i)
        image[i] = static_cast<char>((i * 151 + i / 256) & 0xFF);
    return image;
}

}  // namespace bench
