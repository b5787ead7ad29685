// The tracer: a work list of paths, each decoded straight on until its flow ends or it runs into
// something that cannot be code. It reads the opcode map's kinds, never the listing text.
#include "tracer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

#include "address.h"
#include "decoder.h"
#include "opcode_map.h"
#include "text.h"

namespace koddar {

namespace {

static_assert(*std::max_element(instruction_lengths.begin(), instruction_lengths.end()) <= 4,
              "mark_bytes writes out instructions of 1 to 4 bytes");

// An image offset, known not to be negative, as an index.
inline std::size_t index(std::int32_t off)
{
    return static_cast<std::size_t>(off);
}

class Tracer {
public:
    Tracer(const Map& map, const unsigned char* image, std::int32_t length, std::int32_t relocation)
        : map_(map),
          image_(image),
          length_(length),
          reloc_(relocation),
          wraps_(within_16_bits(relocation, length)),
          routines_(map.routines)
    {
        t_.use.assign(static_cast<std::size_t>(length), Use::Data);
        t_.note.assign(static_cast<std::size_t>(length), Note::None);
        t_.params.assign(static_cast<std::size_t>(length), false);
        mark_ranges();
    }

    // Goes on over an earlier trace.
    Tracer(const Map& map, Trace&& earlier, const unsigned char* image, std::int32_t length, std::int32_t relocation)
        : map_(map),
          image_(image),
          length_(length),
          reloc_(relocation),
          wraps_(within_16_bits(relocation, length)),
          routines_(map.routines),
          t_(std::move(earlier))
    {
        mark_ranges();
    }

    Trace run();
    Trace run_more(const std::vector<std::int32_t>& entries);
    Flow flow(std::int32_t off) const;

private:
    void mark_ranges()
    {
        std::sort(routines_.begin(), routines_.end(),
                  [](const MapRoutine& x, const MapRoutine& y) { return x.address < y.address; });
        any_params_ = std::any_of(routines_.begin(), routines_.end(), [](const MapRoutine& r) { return r.params > 0; });
        if (!map_.ranges.empty())
            range_ = range_index(map_, reloc_, length_);
        unfenced_ = range_.empty() && !any_params_;
    }

    struct Path {
        std::int32_t offset;
        std::int32_t from;
        int from_line;
    };

    std::int32_t offset(std::int32_t address) const { return sub32(address, reloc_); }
    std::int32_t address(std::int32_t off) const { return add32(reloc_, off); }
    bool inside(std::int32_t off) const { return off >= 0 && off < length_; }
    unsigned byte(std::int32_t off) const { return inside(off) ? image_[off] : 0; }
    unsigned word(std::int32_t off) const { return byte(off) << 8 | byte(off + 1); }
    // Whether the offset holds a byte of the parameters after a call; none without routines
    // that take them, which spares the trace of most maps a bit vector read per byte.
    bool param(std::int32_t off) const { return any_params_ && t_.params[index(off)]; }
    // The map line of the data range holding an offset of the image, 0 outside every range.
    int range_line(std::int32_t off) const
    {
        const int range = range_.empty() ? -1 : range_[index(off)];
        return range < 0 ? 0 : map_.ranges[static_cast<std::size_t>(range)].line;
    }

    const MapRoutine* routine(std::int32_t address) const;
    void follow(Path path);
    void drain();
    void count();
    void linear();
    bool placeable(std::int32_t off, int length, const Path& path);
    bool place_params(std::int32_t off, int count, const Path& path);
    std::int32_t call_before(std::int32_t off) const;
    void mark(std::int32_t off, int length, const Flow& f);
    void mark_bytes(std::int32_t off, int length)
    {
        Use* const use = t_.use.data() + off;
        use[0] = Use::Code;
        // Written out for the lengths there are (1 to 4): a loop becomes a call to memset.
        if (length > 1)
            use[1] = Use::CodeMore;
        if (length > 2)
            use[2] = Use::CodeMore;
        if (length > 3)
            use[3] = Use::CodeMore;
        t_.code_bytes += length;  // no byte is marked twice
    }
    void stop(Stop::Why why, std::int32_t at, std::int32_t other, const Path& path)
    {
        t_.stops.push_back({why, at, other, path.from, path.from_line});
    }
    void push_entries();
    void name_references();

    const Map& map_;
    const unsigned char* image_;
    std::int32_t length_;
    std::int32_t reloc_;
    bool wraps_;                        // branches wrap at 16 bits: the image lies within 0000-FFFF
    std::vector<MapRoutine> routines_;  // the map's, by address
    bool any_params_ = false;           // a routine of the map takes parameters
    bool unfenced_ = false;             // no ranges and no parameters: only code can stop a path
    Trace t_;
    std::vector<int> range_;  // per offset: index of its data range, -1 outside; empty without ranges
    std::vector<Path> work_;
};

Flow Tracer::flow(std::int32_t off) const
{
    return flow_at(image_, length_, reloc_, off);
}

const MapRoutine* Tracer::routine(std::int32_t address) const
{
    const auto it = std::lower_bound(routines_.begin(), routines_.end(), address,
                                     [](const MapRoutine& r, std::int32_t x) { return r.address < x; });
    return it != routines_.end() && it->address == address ? &*it : nullptr;
}

// Whether an instruction of `length` bytes fits at `off`: all its bytes loaded, none already
// code, declared data or a call's parameters. The opcode byte itself has been checked.
bool Tracer::placeable(std::int32_t off, int length, const Path& path)
{
    const Use* const use = t_.use.data();  // read once: a vector's data is reloaded after every store
    const bool unfenced = unfenced_;
    for (int i = 1; i < length; ++i) {
        const std::int32_t at = off + i;
        if (!inside(at) || use[index(at)] != Use::Data || (!unfenced && (range_line(at) != 0 || param(at)))) {
            stop(Stop::Overlap, address(off), address(at), path);
            return false;
        }
    }
    return true;
}

// The `count` parameter bytes after a call, from `off` on, when they are all loaded and free;
// path.from is the call.
bool Tracer::place_params(std::int32_t off, int count, const Path& path)
{
    for (int i = 0; i < count; ++i) {
        const std::int32_t at = off + i;
        if (!inside(at) || t_.use[index(at)] != Use::Data || range_line(at) != 0 || param(at)) {
            stop(Stop::Params, path.from, address(at), path);
            return false;
        }
    }
    for (int i = 0; i < count; ++i)
        t_.params[index(off + i)] = true;
    return true;
}

// The call whose parameters hold the offset: the instruction before their first byte.
std::int32_t Tracer::call_before(std::int32_t off) const
{
    while (t_.params[index(off)])
        --off;
    while (t_.use[index(off)] != Use::Code)
        --off;
    return off;
}

void Tracer::mark(std::int32_t off, int length, const Flow& f)
{
    mark_bytes(off, length);
    t_.note[static_cast<std::size_t>(off)] = f.note;
    if (f.note != Note::None)
        ++t_.not_followed;
    const std::int32_t from = address(off);
    for (int i = 0; i < f.targets; ++i)
        t_.refs.push_back({f.target[i], from});
    if (f.reads)
        t_.refs.push_back({f.data, from});
}

// One path, decoded straight on; the branches it meets are queued.
void Tracer::follow(Path path)
{
    const Opcode* const opcodes = active_map();
    const bool unfenced = unfenced_;
    std::int32_t off = path.offset;
    for (;;) {
        const std::int32_t at = address(off);
        if (!inside(off)) {
            stop(Stop::Outside, at, 0, path);
            return;
        }
        const Use use = t_.use.data()[off];
        if (use == Use::Code)
            return;  // traced already
        if (use == Use::CodeMore) {
            std::int32_t start = off;
            while (t_.use[static_cast<std::size_t>(start)] != Use::Code)
                --start;
            stop(Stop::Inside, at, address(start), path);
            return;
        }
        if (!unfenced && range_line(off) != 0) {
            stop(Stop::InData, at, range_line(off), path);
            return;
        }
        if (!unfenced && param(off)) {
            stop(Stop::InParams, at, address(call_before(off)), path);
            return;
        }
        const unsigned opcode = image_[off];
        if (opcodes[opcode].op == UNDEF) {
            stop(Stop::Undefined, at, 0, path);
            return;
        }
        const int length = instruction_lengths[opcode];
        if (!placeable(off, length, path))
            return;
        if (flow_left_alone[opcode]) {  // what mark() does with an empty flow
            mark_bytes(off, length);
            t_.note[index(off)] = Note::None;
            off += length;
            path = {off, at, 0};
            continue;
        }
        const Flow f = flow(off);
        mark(off, length, f);
        std::int32_t next = off + length;
        bool ends = f.ends;
        if (const MapRoutine* r = f.call && f.targets > 0 ? routine(f.target[0]) : nullptr) {
            ends = ends || r->noreturn;
            if (!ends && r->params > 0) {
                ends = !place_params(next, r->params, {next, at, 0});
                next += r->params;
            }
        }
        // Queued last first, so that the first target is traced next; a target that is the
        // next instruction is traced on this path.
        for (int i = f.targets; i-- > 0;)
            if (ends || f.target[i] != address(next))
                work_.push_back({offset(f.target[i]), at, 0});
        if (ends)
            return;
        off = next;
        path = {off, at, 0};
    }
}

// Without entry points every byte outside the ranges is code, decoded one after the other as
// without a map; an instruction cut short by a range or the end of the image stays data.
void Tracer::linear()
{
    std::int32_t off = 0;
    while (off < length_) {
        if (range_line(off) != 0) {
            ++off;
            continue;
        }
        const int length = instruction_lengths[byte(off)];
        bool fits = true;
        for (int i = 1; i < length && fits; ++i)
            fits = inside(off + i) && range_line(off + i) == 0;
        if (!fits) {
            ++off;
            continue;
        }
        mark(off, length, flow(off));
        off += length;
    }
}

void Tracer::push_entries()
{
    std::vector<std::int32_t> roots;
    std::vector<Path> paths;
    for (const MapEntry& e : map_.entries) {
        paths.push_back({offset(e.address), e.address, e.line});
        roots.push_back(e.address);
    }
    for (const MapRange& r : map_.ranges) {
        if (r.kind != DataKind::Addrs)
            continue;
        for (std::int32_t off = offset(r.start); off < offset(r.end); off += 2) {  // by offset: no overflow
            const std::int32_t at = add32(r.start, off - offset(r.start));
            const auto target = static_cast<std::int32_t>(word(off));
            if (r.line == map_.vectors_line && (target == 0xFFFF || target == 0)) {  // erased or unset
                ++t_.unused_vectors;
                continue;
            }
            paths.push_back({offset(target), at, 0});
            roots.push_back(target);
            t_.refs.push_back({target, at});
        }
    }
    // In address order, whatever the order of the map: a map written back traces the same.
    std::stable_sort(paths.begin(), paths.end(), [](const Path& x, const Path& y) { return x.offset < y.offset; });
    work_.assign(paths.rbegin(), paths.rend());
    std::sort(roots.begin(), roots.end());
    t_.entries = static_cast<std::int32_t>(std::unique(roots.begin(), roots.end()) - roots.begin());
}

// Every referenced address in the image without a name gets one: L_XXXX where code starts,
// D_XXXX on data. Addresses inside an instruction stay unnamed.
void Tracer::name_references()
{
    sort_refs(t_.refs);
    t_.refs.erase(std::unique(t_.refs.begin(), t_.refs.end(),
                              [](const Ref& x, const Ref& y) { return x.target == y.target && x.from == y.from; }),
                  t_.refs.end());
    // Taken, for the generated names: named addresses, and the second byte of each word of a
    // table, which a label would split.
    std::vector<bool> named(static_cast<std::size_t>(length_), false);  // read once per reference only
    for (const MapName& n : map_.names)
        if (inside(offset(n.address)))
            named[static_cast<std::size_t>(offset(n.address))] = true;
    for (const MapRange& r : map_.ranges)
        if (r.kind == DataKind::Words || r.kind == DataKind::Addrs)
            for (std::int32_t off = offset(r.start) + 1; off <= offset(r.end); off += 2)  // by offset, that
                named[index(off)] = true;  // cannot overflow past 7FFFFFFF as an address can
    std::vector<std::int32_t> generated;   // the targets that get a name, in address order
    for (const Ref& r : t_.refs) {
        const std::int32_t off = offset(r.target);
        if (!inside(off) || named[static_cast<std::size_t>(off)] || t_.use[index(off)] == Use::CodeMore)
            continue;
        generated.push_back(r.target);
        named[static_cast<std::size_t>(off)] = true;
    }
    // The generated names come in address order, as the references do; no two names share an
    // address, so merging them with the map's sorted names sorts them all. Each generated name
    // is made in its place, not made and then moved.
    std::vector<MapName> names = map_.names;
    std::sort(names.begin(), names.end(), [](const MapName& x, const MapName& y) { return x.address < y.address; });
    t_.labels.reserve(names.size() + generated.size());
    auto name = names.begin();
    for (const std::int32_t target : generated) {
        for (; name != names.end() && !(target < name->address); ++name)
            t_.labels.push_back(std::move(*name));
        // "L_%04X" or "D_%04X" of the target
        char text[10] = {t_.use[index(offset(target))] == Use::Code ? 'L' : 'D', '_'};
        char digits[8];
        const std::size_t n = wide_hex(static_cast<std::uint32_t>(target), digits);
        std::memcpy(text + 2, digits + sizeof digits - n, n);
        t_.labels.push_back({target, std::string(text, 2 + n), 0});
    }
    std::move(name, names.end(), std::back_inserter(t_.labels));
}

Trace Tracer::run()
{
    t_.traced = !map_.entries.empty() || std::any_of(map_.ranges.begin(), map_.ranges.end(),
                                                     [](const MapRange& r) { return r.kind == DataKind::Addrs; });
    if (t_.traced) {
        push_entries();
        drain();
    } else {
        linear();
    }
    count();
    name_references();
    return std::move(t_);
}

void Tracer::drain()
{
    while (!work_.empty()) {
        const Path path = work_.back();
        work_.pop_back();
        follow(path);
    }
}

// The code bytes are counted as they are marked.
void Tracer::count()
{
    t_.data_bytes = length_ - t_.code_bytes;
}

// Each entry is traced as a path of its own, in address order like the map's.
Trace Tracer::run_more(const std::vector<std::int32_t>& entries)
{
    std::vector<std::int32_t> sorted = entries;
    std::sort(sorted.begin(), sorted.end());
    for (auto it = sorted.rbegin(); it != sorted.rend(); ++it)
        work_.push_back({offset(*it), *it, 0});
    drain();
    count();
    t_.labels.clear();
    name_references();
    return std::move(t_);
}

}  // namespace

Flow flow_at(const unsigned char* image, std::int32_t length, std::int32_t relocation, std::int32_t off)
{
    auto inside = [length](std::int32_t at) { return at >= 0 && at < length; };
    auto byte = [&](std::int32_t at) -> unsigned { return inside(at) ? image[at] : 0; };
    auto word = [&](std::int32_t at) { return byte(at) << 8 | byte(at + 1); };
    const unsigned opcode = byte(off);
    const FlowShape& shape = flow_shapes[opcode];
    Flow f;
    f.ends = shape.ends;
    f.note = shape.note;
    if (shape.address_at != 0)
        f.target[f.targets++] = static_cast<std::int32_t>(word(add32(off, shape.address_at)));
    if (shape.displacement_at != 0) {  // the target is the next instruction plus d
        const std::int32_t next = add32(relocation, add32(off, instruction_lengths[opcode]));
        f.target[f.targets++] =
            program_address(add32(next, static_cast<std::int8_t>(byte(add32(off, shape.displacement_at)))),
                            within_16_bits(relocation, length));
    }
    f.call = shape.call;
    if (shape.data_at != 0) {
        f.reads = true;
        f.data = static_cast<std::int32_t>(word(add32(off, shape.data_at)));
    }
    if (shape.trap) {
        const std::int32_t vector = sub32(kVectorTop - 2 * active_map()[opcode].p1, relocation);
        if (inside(vector) && inside(vector + 1))
            f.target[f.targets++] = static_cast<std::int32_t>(word(vector));
        else
            f.note = Note::NoVector;
    }
    return f;
}

Trace trace_image(const Map& map, const unsigned char* image, std::int32_t length, std::int32_t relocation)
{
    return Tracer(map, image, length, relocation).run();
}

void trace_more(const Map& map, Trace& trace, const unsigned char* image, std::int32_t length, std::int32_t relocation,
                const std::vector<std::int32_t>& entries)
{
    trace = Tracer(map, std::move(trace), image, length, relocation).run_more(entries);
}

}  // namespace koddar
