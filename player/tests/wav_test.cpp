// The WAV preview: header, length, pitch measured from zero crossings, the size limit and
// the all-or-nothing write.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "listing.h"
#include "notes.h"
#include "run_program.h"
#include "scratch_test.h"
#include "stream.h"
#include "wav.h"

namespace melplay {
namespace {

Stream parse(const std::string& bytes)
{
    Stream s;
    Check c = check_stream(std::vector<unsigned char>(bytes.begin(), bytes.end()), s);
    EXPECT_EQ(c.fault, Fault::None) << fault_message(c);
    return s;
}

unsigned le16(const std::string& s, std::size_t at)
{
    return static_cast<unsigned char>(s[at]) | static_cast<unsigned>(static_cast<unsigned char>(s[at + 1])) << 8;
}

std::uint32_t le32(const std::string& s, std::size_t at)
{
    return le16(s, at) | le16(s, at + 2) << 16;
}

std::vector<int> samples_of(const std::string& wav)
{
    std::vector<int> v;
    for (std::size_t at = kHeaderBytes; at + 1 < wav.size(); at += 2)
        v.push_back(static_cast<std::int16_t>(le16(wav, at)));
    return v;
}

std::vector<std::string> entries(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                names.push_back(e->d_name);
        }
        closedir(d);
    }
    return names;
}

class Preview : public ScratchTest<> {
protected:
    std::string write(const std::string& stream, int type, bool expect_ok = true)
    {
        std::string error;
        EXPECT_EQ(write_preview(dir + "/out.wav", dir + "/in.bin", parse(stream), type, error), expect_ok) << error;
        return read_file(dir + "/out.wav");
    }
};

struct LengthCase {
    const char* name;
    std::string stream;
    int type;
    std::uint64_t samples;
};

TEST_F(Preview, HeaderFieldsAndLengthInSamples)
{
    const LengthCase cases[] = {
        // 1.287879 s: 33/66 + 2 x (17 + 9)/66 = 85/66 s.
        {"worked example, type 3", std::string("\x30\x21\x00\x82\x32\x11\x00\x01\x09\x00\x80\x00", 12), 3, 56795},
        // 262/522.449 + 2 x (147/586.2595 + 13/100) s.
        {"worked example, type 1", std::string("\x30\x06\x01\x82\x32\x93\x00\x01\x0D\x00\x80\x00", 12), 1, 55697},
        {"lone terminator", std::string(1, '\0'), 1, 0},
        {"empty section", std::string("\xFF\x80\x00", 3), 3, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string wav = write(c.stream, c.type);
        ASSERT_EQ(wav.size(), kHeaderBytes + 2 * c.samples);
        EXPECT_EQ(wav.substr(0, 4), "RIFF");
        EXPECT_EQ(le32(wav, 4), 36 + 2 * c.samples);
        EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(le32(wav, 16), 16u);     // fmt chunk size
        EXPECT_EQ(le16(wav, 20), 1u);      // PCM
        EXPECT_EQ(le16(wav, 22), 1u);      // mono
        EXPECT_EQ(le32(wav, 24), 44100u);  // sample rate
        EXPECT_EQ(le32(wav, 28), 88200u);  // bytes per second
        EXPECT_EQ(le16(wav, 32), 2u);      // block align
        EXPECT_EQ(le16(wav, 34), 16u);     // bits per sample
        EXPECT_EQ(wav.substr(36, 4), "data");
        EXPECT_EQ(le32(wav, 40), 2 * c.samples);
        EXPECT_EQ(preview_samples(parse(c.stream), c.type), c.samples);
        EXPECT_EQ(c.samples, static_cast<std::uint64_t>(std::llround(total_seconds(parse(c.stream), c.type) * 44100)));
    }
    // 66 passes of a note of 1/66 s: boundaries on the running time, so exactly one second.
    EXPECT_EQ(preview_samples(parse(std::string("\xC2\x30\x01\x00\x80\x00", 6)), 3), kSampleRate);
}

struct PitchCase {
    int code;
    unsigned divisor;  // type 3: sixty-sixths of a second
};

TEST_F(Preview, PitchFromZeroCrossingsRampAndRests)
{
    const PitchCase cases[] = {{2, 66}, {45, 66}, {48, 33}, {57, 66}, {69, 132}, {81, 66}};
    for (const auto& c : cases) {
        SCOPED_TRACE(note_name(c.code));
        std::string stream = {static_cast<char>(c.code), static_cast<char>(c.divisor & 0xFF),
                              static_cast<char>(c.divisor >> 8), '\0'};
        std::vector<int> s = samples_of(write(stream, 3));
        ASSERT_FALSE(s.empty());
        // Half periods between the first and the last sign change.
        std::size_t first = 0, last = 0, crossings = 0;
        int peak = 0;
        for (std::size_t i = 1; i < s.size(); ++i) {
            if ((s[i - 1] >= 0) != (s[i] >= 0)) {
                if (crossings++ == 0)
                    first = i;
                last = i;
            }
            peak = std::max(peak, std::abs(s[i]));
        }
        ASSERT_GT(crossings, 10u);
        double measured = static_cast<double>(crossings - 1) / 2.0 / (static_cast<double>(last - first) / 44100);
        EXPECT_NEAR(measured, note_frequency(c.code), static_cast<double>(note_frequency(c.code)) * 0.01);
        EXPECT_EQ(peak, kAmplitude);
        // Linear ramps: the first and last samples are near silence.
        EXPECT_LT(std::abs(s.front()), kAmplitude / 100);
        EXPECT_LT(std::abs(s.back()), kAmplitude / 100);
    }
    // A rest between two notes is silent.
    std::vector<int> s = samples_of(write(std::string("\x2D\x42\x00\x01\x42\x00\x2D\x42\x00\x00", 10), 3));
    ASSERT_EQ(s.size(), 3 * 44100u);
    for (std::size_t i = kSampleRate; i < std::size_t{2} * kSampleRate; ++i)
        ASSERT_EQ(s[i], 0) << i;
    EXPECT_NE(s[44100 / 2], 0);
    EXPECT_NE(s[44100 * 5 / 2], 0);
}

TEST_F(Preview, TooLongForRiffIsRefusedBeforeAnythingIsWritten)
{
    // 127 passes of the lowest note at the largest divisor: about 62 hours.
    const std::string huge("\xFF\x02\xFF\xFF\x80\x00", 6);
    std::string error;
    EXPECT_FALSE(write_preview(dir + "/out.wav", dir + "/in.bin", parse(huge), 1, error));
    EXPECT_EQ(error, "Preview too long: a WAV file holds at most 2147483629 samples (48696 s).\n");
    EXPECT_TRUE(entries(dir).empty());
    // The count stops once past the limit; the limit itself fits the 32-bit RIFF size.
    EXPECT_GT(preview_samples(parse(huge), 1), kMaxSamples);
    EXPECT_EQ(preview_samples(parse(huge), 1, 1000), 77069160u);  // one note of 1747.6 s
    EXPECT_EQ(le32(wav_header(kMaxSamples), 4), 0xFFFFFFFEu);
    EXPECT_EQ(le32(wav_header(kMaxSamples), 40), 0xFFFFFFDAu);
}

TEST_F(Preview, WrittenWholeOrNotAtAll)
{
    const std::string note("\x2D\x42\x00\x00", 4);
    const std::string previous = "previous content";
    struct Case {
        const char* name;
        std::string target;    // relative to the scratch directory
        bool make_directory;   // target is an existing directory
        bool limit_file_size;  // writes past 4096 bytes fail
        std::string message;   // after "Cannot write preview file <target>: "
    };
    const Case cases[] = {
        {"missing directory", "no/such/dir/out.wav", false, false, "No such file or directory.\n"},
        {"target is a directory", "sub", true, false, "Is a directory.\n"},
        {"write fails part way", "out.wav", false, true, "File too large.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(std::system(("rm -rf '" + dir + "'/* '" + dir + "'/.melplay*").c_str()), 0);
        const std::string target = dir + "/" + c.target;
        if (c.make_directory) {
            ASSERT_EQ(mkdir(target.c_str(), 0755), 0);
        } else {
            write_file(dir + "/out.wav", previous);
        }
        std::string error;
        bool ok;
        if (c.limit_file_size) {
            rlimit old;
            ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
            rlimit small = old;
            small.rlim_cur = 4096;
            auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
            ok = write_preview(target, dir + "/in.bin", parse(note), 3, error);
            setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, old_handler);
        } else {
            ok = write_preview(target, dir + "/in.bin", parse(note), 3, error);
        }
        EXPECT_FALSE(ok);
        EXPECT_EQ(error, "Cannot write preview file " + target + ": " + c.message);
        // Nothing but what was there before.
        std::vector<std::string> left = entries(dir);
        EXPECT_EQ(left.size(), 1u);
        for (const auto& name : left)
            EXPECT_EQ(name.rfind(".melplay", 0), std::string::npos) << name;
        if (!c.make_directory) {
            EXPECT_EQ(read_file(dir + "/out.wav"), previous);
        }
    }
}

TEST_F(Preview, ReplacesAnOldFileAndRefusesTheSourceItself)
{
    const std::string note("\x2D\x42\x00\x00", 4);
    write_file(dir + "/out.wav", "previous content");
    chmod((dir + "/out.wav").c_str(), 0600);
    std::string wav = write(note, 3);
    EXPECT_EQ(wav.size(), kHeaderBytes + std::size_t{2} * kSampleRate);
    EXPECT_EQ(entries(dir).size(), 1u);
    struct stat st;
    ASSERT_EQ(stat((dir + "/out.wav").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);  // the old file's bits, not those of a new one

    // The same file under another name.
    write_file(dir + "/in.bin", note);
    std::string error;
    EXPECT_FALSE(write_preview(dir + "/./in.bin", dir + "/in.bin", parse(note), 3, error));
    EXPECT_EQ(error, "Preview file " + dir + "/./in.bin is the stream file itself.\n");
    EXPECT_EQ(read_file(dir + "/in.bin"), note);
}

}  // namespace
}  // namespace melplay
