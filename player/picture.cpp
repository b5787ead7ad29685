#include "picture.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "notes.h"
#include "output_file.h"
#include "same_file.h"
#include "text.h"

namespace melplay {

namespace {

constexpr unsigned kRowHeight = 7;  // pixels of a semitone
constexpr unsigned kMargin = 24;    // left, for the pitch names; and below, for the axis
constexpr unsigned kTop = 8;
constexpr unsigned kRight = 16;
constexpr unsigned kWidest = 4000;        // pixels of the time axis at most
constexpr double kPixelsPerSecond = 120;  // when the stream is short enough
constexpr unsigned kGlyphWidth = 3, kGlyphHeight = 5;

struct Colour {
    std::uint8_t r, g, b;
};
constexpr Colour kBackground{255, 255, 255};
constexpr Colour kOctaveLine{225, 225, 225};
constexpr Colour kRepeatShade{232, 238, 250};
constexpr Colour kBar{40, 90, 170};
constexpr Colour kRepeatedBar{130, 160, 210};
constexpr Colour kInk{20, 20, 20};
constexpr Colour kBarText{255, 255, 255};

// A 3 x 5 font of what the picture writes: note names, numbers of seconds.
struct Glyph {
    char c;
    const char* rows[kGlyphHeight];
};
// clang-format off
constexpr Glyph kFont[] = {
    {'0', {"###", "#.#", "#.#", "#.#", "###"}}, {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'2', {"###", "..#", "###", "#..", "###"}}, {'3', {"###", "..#", ".##", "..#", "###"}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}}, {'5', {"###", "#..", "###", "..#", "###"}},
    {'6', {"###", "#..", "###", "#.#", "###"}}, {'7', {"###", "..#", ".#.", ".#.", ".#."}},
    {'8', {"###", "#.#", "###", "#.#", "###"}}, {'9', {"###", "#.#", "###", "..#", "###"}},
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}}, {'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {'C', {".##", "#..", "#..", "#..", ".##"}}, {'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    {'E', {"###", "#..", "##.", "#..", "###"}}, {'F', {"###", "#..", "##.", "#..", "#.."}},
    {'G', {".##", "#..", "#.#", "#.#", ".##"}}, {'#', {"#.#", "###", "#.#", "###", "#.#"}},
    {'s', {"...", ".##", ".#.", "..#", "##."}}, {'.', {"...", "...", "...", "...", ".#."}},
};
// clang-format on

class Canvas {
public:
    Canvas(Picture& p) : p_(p) {}
    void fill(long x0, long y0, long x1, long y1, Colour c)
    {
        x0 = std::max(x0, 0L);
        y0 = std::max(y0, 0L);
        x1 = std::min(x1, static_cast<long>(p_.width));
        y1 = std::min(y1, static_cast<long>(p_.height));
        for (long y = y0; y < y1; ++y)
            for (long x = x0; x < x1; ++x) {
                std::uint8_t* px = &p_.rgb[(static_cast<std::size_t>(y) * p_.width + static_cast<std::size_t>(x)) * 3];
                px[0] = c.r;
                px[1] = c.g;
                px[2] = c.b;
            }
    }
    // Text with its top left corner at x, y; its width in pixels.
    long text(long x, long y, const std::string& s, Colour c)
    {
        for (char ch : s) {
            for (const Glyph& g : kFont)
                if (g.c == ch)
                    for (unsigned r = 0; r < kGlyphHeight; ++r)
                        for (unsigned k = 0; k < kGlyphWidth; ++k)
                            if (g.rows[r][k] == '#')
                                fill(x + k, y + r, x + k + 1, y + r + 1, c);
            x += kGlyphWidth + 1;
        }
        return static_cast<long>(s.size() * (kGlyphWidth + 1));
    }

private:
    Picture& p_;
};

long text_width(const std::string& s)
{
    return static_cast<long>(s.size() * (kGlyphWidth + 1)) - 1;
}

struct Bar {
    int code;
    double start, end;
    bool repeated;  // a later pass of a section
};

std::vector<Bar> unrolled(const Stream& stream, int type, double& total, std::vector<std::pair<double, double>>& shaded)
{
    std::vector<Bar> bars;
    double t = 0;
    const auto& el = stream.elements;
    for_each_run(stream, [&](std::size_t first, std::size_t last, std::size_t pass) {
        const double from = t;
        for (std::size_t k = first; k < last; ++k) {
            const double d = note_seconds(type, el[k].code, el[k].divisor);
            bars.push_back({el[k].code, t, t + d, pass > 0});
            t += d;
        }
        if (pass > 0)
            shaded.push_back({from, t});
        return true;
    });
    total = t;
    return bars;
}

}  // namespace

Picture piano_roll(const Stream& stream, int type)
{
    double total = 0;
    std::vector<std::pair<double, double>> shaded;
    const std::vector<Bar> bars = unrolled(stream, type, total, shaded);
    int low = kLastCode, high = kFirstCode + 1;
    for (const Bar& b : bars)
        if (b.code != kFirstCode) {
            low = std::min(low, b.code);
            high = std::max(high, b.code);
        }
    if (low > high)
        low = high = 45;  // only rests: an empty roll around A3
    low = std::max(2, low - 2);
    high = std::min(kLastCode, high + 2);
    const double scale = total > 0 ? std::min(kPixelsPerSecond, kWidest / total) : kPixelsPerSecond;
    Picture p;
    p.width = kMargin + static_cast<unsigned>(std::ceil(total * scale)) + kRight;
    p.height = kTop + static_cast<unsigned>(high - low + 1) * kRowHeight + kMargin;
    p.rgb.assign(static_cast<std::size_t>(p.width) * p.height * 3, 255);
    Canvas c(p);
    const long roll_bottom = kTop + static_cast<long>(high - low + 1) * kRowHeight;
    auto x_of = [&](double s) { return static_cast<long>(kMargin + std::lround(s * scale)); };
    auto y_of = [&](int code) { return static_cast<long>(kTop) + (high - code) * static_cast<long>(kRowHeight); };
    c.fill(0, 0, p.width, p.height, kBackground);
    for (const auto& [from, to] : shaded)
        c.fill(x_of(from), kTop, x_of(to), roll_bottom, kRepeatShade);
    // A line at each C, named at the left.
    for (int code = low; code <= high; ++code)
        if (code % 12 == 0) {
            c.fill(kMargin, y_of(code) + kRowHeight - 1, p.width - kRight, y_of(code) + kRowHeight, kOctaveLine);
            c.text(2, y_of(code) + 1, note_name(code), kInk);
        }
    for (const Bar& b : bars) {
        if (b.code == kFirstCode)
            continue;
        const long x0 = x_of(b.start), x1 = std::max(x_of(b.end) - 1, x0 + 1);
        c.fill(x0, y_of(b.code), x1, y_of(b.code) + kRowHeight - 1, b.repeated ? kRepeatedBar : kBar);
        const std::string name = note_name(b.code);
        if (x1 - x0 >= text_width(name) + 2)
            c.text(x0 + 1, y_of(b.code) + 1, name, kBarText);
    }
    // The time axis: a tick and its seconds at a round step that leaves room for the numbers.
    c.fill(kMargin, roll_bottom, p.width - kRight, roll_bottom + 1, kInk);
    double step = 0.1;
    for (const double s : {0.1, 0.2, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0, 30.0, 60.0, 120.0, 300.0, 600.0, 1200.0}) {
        step = s;
        if (s * scale >= 40)
            break;
    }
    for (int i = 0; i * step <= total + 1e-9; ++i) {
        const long x = x_of(i * step);
        c.fill(x, roll_bottom, x + 1, roll_bottom + 4, kInk);
        const std::string label = format(step < 1 ? "%.1fs" : "%.0fs", i * step);
        c.text(x - text_width(label) / 2, roll_bottom + 7, label, kInk);
    }
    return p;
}

namespace {

struct Sink {
    OutputFile* out;
    bool ok;
};

void write_bytes(png_structp png, png_bytep data, png_size_t n)
{
    auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
    sink->ok = sink->ok && sink->out->write(data, n) == OutputFile::kOk;
}

void flush_nothing(png_structp) {}

// The PNG bytes through libpng into `out`; false if libpng or a write failed.
bool encode(const Picture& p, OutputFile& out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    Sink sink{&out, true};
    std::vector<png_const_bytep> rows(p.height);
    for (unsigned y = 0; y < p.height; ++y)
        rows[y] = &p.rgb[static_cast<std::size_t>(y) * p.width * 3];
    // libpng reports its own failures by a long jump back here; nothing here needs unwinding.
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &sink, write_bytes, flush_nothing);
    png_set_IHDR(png, info, p.width, p.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(rows.data()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return sink.ok;
}

}  // namespace

bool write_picture(const std::string& path, const std::string& source, const Stream& stream, int type,
                   std::string& error)
{
    if (same_existing_file(path.c_str(), source.c_str())) {
        error = format("Picture file %s is the stream file itself.\n", path.c_str());
        return false;
    }
    const Picture picture = piano_roll(stream, type);
    OutputFile out;
    const bool ok =
        out.open(path.c_str()) == OutputFile::kOk && encode(picture, out) && out.commit() == OutputFile::kOk;
    if (!ok)
        error = format("Cannot write picture file %s: %s.\n", path.c_str(),
                       out.error() ? std::strerror(out.error()) : "the PNG encoder failed");
    return ok;
}

}  // namespace melplay
