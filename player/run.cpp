#include "run.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "listing.h"
#include "options.h"
#include "picture.h"
#include "same_file.h"
#include "score_writer.h"
#include "stream.h"
#include "text.h"
#include "wav.h"

namespace melplay {

const char kBanner[] = "Melplay 2026.12 - note stream checker, lister and previewer\n";

namespace {

int fail(const std::string& message)
{
    std::fflush(stdout);
    std::fputs(message.c_str(), stderr);
    return 1;
}

}  // namespace

Read read_stream_file(const char* path, std::vector<unsigned char>& bytes)
{
    std::FILE* f = std::fopen(path, "rb");
    if (!f)
        return Read::CannotOpen;
    struct stat st;
    bool ok = fstat(fileno(f), &st) == 0 && !S_ISDIR(st.st_mode);
    // One byte past the limit is enough to refuse, so /dev/zero ends at once.
    bytes.resize(kMaxStreamBytes + 1);
    std::size_t n = 0, got;
    while (ok && n < bytes.size() && (got = std::fread(bytes.data() + n, 1, bytes.size() - n, f)) > 0)
        n += got;
    ok = ok && !std::ferror(f);
    std::fclose(f);
    bytes.resize(n);
    if (!ok)
        return Read::CannotOpen;
    return n > kMaxStreamBytes ? Read::TooLong : Read::Ok;
}

int run(int argc, char** argv)
{
    std::fputs(kBanner, stderr);
    Options options;
    if (parse_arguments(argc, argv, options))
        return 1;
    // Checked before anything is read: the listing would be written into the stream.
    if (stdout_is_file(options.source))
        return fail("Standard output is the stream file itself.\n");
    std::vector<unsigned char> bytes;
    switch (read_stream_file(options.source, bytes)) {
    case Read::Ok: break;
    case Read::CannotOpen: return fail("Cannot open source file.\n");
    case Read::TooLong: return fail("Stream file too long: melplay reads at most 65536 bytes.\n");
    }
    Stream stream;
    Check check = check_stream(bytes, stream);
    if (check.fault != Fault::None)
        return fail(fault_message(check));

    if (options.score) {
        std::string text, error;
        if (!score_text(stream, options.type, text, error))
            return fail(error);
        std::fputs(text.c_str(), stdout);
        if (text.size() >= kConverterTextLimit || stream.size > kConverterStreamLimit) {
            std::fflush(stdout);
            std::fprintf(stderr,
                         "Warning: melvox will refuse this score (%zu text bytes, %zu stream "
                         "bytes; it takes at most %zu and %zu).\n",
                         text.size(), stream.size, kConverterTextLimit - 1, kConverterStreamLimit);
        }
    } else {
        std::fputs(listing(stream, options.type).c_str(), stdout);
    }
    // A listing lost on a full disk or to a closed pipe is a failure too, but the preview
    // is written all the same.
    int status = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        status = fail(format("Cannot write standard output: %s.\n", std::strerror(errno != 0 ? errno : EIO)));

    if (options.wav) {
        std::string error;
        if (!write_preview(options.wav, options.source, stream, options.type, error, options.max_seconds))
            return fail(error);
        std::fprintf(stderr, "%s file written.\n", options.wav);
    }
    if (options.picture) {
        std::string error;
        if (!write_picture(options.picture, options.source, stream, options.type, error))
            return fail(error);
        std::fprintf(stderr, "%s file written.\n", options.picture);
    }
    return status;
}

}  // namespace melplay
