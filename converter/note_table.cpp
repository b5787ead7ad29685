// The note table: names typed in octave by octave, frequencies typed in from the
// tuning table, note codes derived from the names by the rule 12 x octave + semitone.
#include "note_table.h"

#include <cstdint>

namespace {

// Hertz by octave (rows) and semitone from C (columns C, C#, D, ..., B); 0 where the
// table has no note. These are the machine's own tuning values, not equal temperament:
// they must stay exactly as typed.
// clang-format off
constexpr float kPitchFreq[8][12] = {
    {0.0f, 0.0f, 37.5f, 38.5542f, 41.2017f, 43.6364f, 46.2581f, 48.9952f, 51.927f, 55.0538f, 58.2922f, 61.7487f},
    {65.4592f, 69.2984f, 73.405f, 77.7722f, 82.4034f, 87.2975f, 92.5023f, 98.053f, 103.854f, 109.9893f, 116.5844f, 123.4231f},
    {130.7791f, 138.3784f, 146.775f, 155.5443f, 164.8069f, 174.5455f, 185.0602f, 195.9184f, 207.7079f, 219.8998f, 233.4347f, 246.747f},
    {261.4468f, 276.7568f, 293.9713f, 311.2462f, 329.6137f, 349.0909f, 370.1205f, 391.8367f, 415.1351f, 439.485f, 466.8693f, 493.0979f},
    {522.449f, 553.5135f, 586.2595f, 621.8623f, 659.2275f, 698.1818f, 740.241f, 783.6735f, 830.2703f, 882.7586f, 933.7386f, 990.9677f},
    {1044.898f, 1105.036f, 1172.519f, 1243.7247f, 1318.455f, 1371.4286f, 1476.9231f, 1567.3469f, 1660.5405f, 1765.5172f, 1861.8182f, 1981.9355f},
    {2089.796f, 2210.072f, 2345.038f, 2477.4194f, 2648.276f, 2792.7273f, 2953.8462f, 3134.6938f, 3339.1304f, 3531.0344f, 3746.3416f, 3938.4614f},
    {4151.3516f, 4452.174f, 4654.5454f, 4954.839f, 5296.552f, 5585.4546f, 5907.6924f, 6269.3877f, 6678.2607f, 6981.8184f, 7492.683f, 7876.9233f},
};
// clang-format on

constexpr float kRestFreq = 100.0f;

struct FreqTable {
    float rows[kNoteRows][2];
};

constexpr int semitone_of_letter(char letter)
{
    switch (letter) {
    case 'C': return 0;
    case 'D': return 2;
    case 'E': return 4;
    case 'F': return 5;
    case 'G': return 7;
    case 'A': return 9;
    case 'B': return 11;
    }
    return -100;  // not a note letter: caught by the static_assert below
}

// Code of a pitch name "Ln", "L#n" or "Lbn"; Cb counts from the octave it names,
// so Cb(n+1) lands on the code of Bn.
constexpr int pitch_code(const char* name)
{
    int code = semitone_of_letter(name[0]);
    int pos = 1;
    if (name[pos] == '#') {
        code += 1;
        ++pos;
    } else if (name[pos] == 'b') {
        code -= 1;
        ++pos;
    }
    return code + 12 * (name[pos] - '0');
}

}  // namespace

// Octave n: Cn C#n Dbn Dn D#n Ebn En Fbn Fn F#n Gbn Gn G#n Abn An A#n Bbn Bn Cb(n+1).
// clang-format off
constexpr char notes_name[kNoteRows][kNoteNameSize] = {
    "", "REST",
    "D0", "D#0", "Eb0", "E0", "Fb0", "F0", "F#0", "Gb0", "G0", "G#0", "Ab0", "A0", "A#0", "Bb0", "B0", "Cb1",
    "C1", "C#1", "Db1", "D1", "D#1", "Eb1", "E1", "Fb1", "F1", "F#1", "Gb1", "G1", "G#1", "Ab1", "A1", "A#1", "Bb1", "B1", "Cb2",
    "C2", "C#2", "Db2", "D2", "D#2", "Eb2", "E2", "Fb2", "F2", "F#2", "Gb2", "G2", "G#2", "Ab2", "A2", "A#2", "Bb2", "B2", "Cb3",
    "C3", "C#3", "Db3", "D3", "D#3", "Eb3", "E3", "Fb3", "F3", "F#3", "Gb3", "G3", "G#3", "Ab3", "A3", "A#3", "Bb3", "B3", "Cb4",
    "C4", "C#4", "Db4", "D4", "D#4", "Eb4", "E4", "Fb4", "F4", "F#4", "Gb4", "G4", "G#4", "Ab4", "A4", "A#4", "Bb4", "B4", "Cb5",
    "C5", "C#5", "Db5", "D5", "D#5", "Eb5", "E5", "Fb5", "F5", "F#5", "Gb5", "G5", "G#5", "Ab5", "A5", "A#5", "Bb5", "B5", "Cb6",
    "C6", "C#6", "Db6", "D6", "D#6", "Eb6", "E6", "Fb6", "F6", "F#6", "Gb6", "G6", "G#6", "Ab6", "A6", "A#6", "Bb6", "B6", "Cb7",
    "C7", "C#7", "Db7", "D7", "D#7", "Eb7", "E7", "Fb7", "F7", "F#7", "Gb7", "G7", "G#7", "Ab7", "A7", "A#7", "Bb7", "B7",
};
// clang-format on

namespace {

constexpr FreqTable build_freq_table()
{
    FreqTable t{};
    t.rows[1][0] = 1.0f;
    t.rows[1][1] = kRestFreq;
    for (int row = 2; row < kNoteRows; ++row) {
        int code = pitch_code(notes_name[row]);
        t.rows[row][0] = static_cast<float>(code);
        t.rows[row][1] = kPitchFreq[code / 12][code % 12];
    }
    return t;
}

constexpr FreqTable kFreqTable = build_freq_table();

// The stream format relies on these: pitch codes 2..95 in table order, each pitch
// with a frequency, never a code that could be read as a section byte.
constexpr bool pitch_rows_are_sound()
{
    for (int row = 2; row < kNoteRows; ++row) {
        float code = kFreqTable.rows[row][0];
        if (code < 2.0f || code > 95.0f || kFreqTable.rows[row][1] <= 0.0f)
            return false;
        if (row > 2 && code < kFreqTable.rows[row - 1][0])
            return false;
    }
    return kFreqTable.rows[2][0] == 2.0f && kFreqTable.rows[kNoteRows - 1][0] == 95.0f;
}
static_assert(pitch_rows_are_sound(), "note table: codes or frequencies out of order");

}  // namespace

const float (&notes_freq)[kNoteRows][2] = kFreqTable.rows;

namespace {

// The names are at most 4 characters, so a name is its bytes packed into one integer (first
// byte lowest) and the table is looked up by that key in a hash table made at compile time:
// no name is compared with any other.
constexpr int kNameBytes = 4;
constexpr unsigned kSlots = 512;  // a power of two, more than three times the rows

constexpr std::uint32_t name_key(const char* name)
{
    std::uint32_t key = 0;
    for (int i = 0; i < kNameBytes && name[i] != '\0'; ++i)
        key |= static_cast<std::uint32_t>(static_cast<unsigned char>(name[i])) << (8 * i);
    return key;
}

constexpr unsigned slot_of(std::uint32_t key)
{
    return (key * 2654435761u) >> 23;  // the top 9 bits of a multiplicative hash
}

// Each slot holds a row number + 1, 0 when empty; colliding names take the next free slot.
struct NameIndex {
    std::uint8_t row_plus_one[kSlots];
};

constexpr NameIndex build_name_index()
{
    NameIndex index{};
    for (int row = 0; row < kNoteRows; ++row) {
        unsigned slot = slot_of(name_key(notes_name[row]));
        while (index.row_plus_one[slot] != 0)
            slot = (slot + 1) % kSlots;
        index.row_plus_one[slot] = static_cast<std::uint8_t>(row + 1);
    }
    return index;
}

constexpr NameIndex kNameIndex = build_name_index();

constexpr bool names_fit_the_key()
{
    for (int row = 0; row < kNoteRows; ++row)
        if (notes_name[row][kNameBytes] != '\0')
            return false;
    return true;
}
static_assert(names_fit_the_key(), "note names have at most 4 characters");

}  // namespace

int search_note(const char* note)
{
    // A fifth character means no name can match; the bytes are read only up to the terminator.
    std::uint32_t key = 0;
    for (int i = 0; i < kNameBytes; ++i) {
        if (note[i] == '\0')
            break;
        key |= static_cast<std::uint32_t>(static_cast<unsigned char>(note[i])) << (8 * i);
        if (i == kNameBytes - 1 && note[kNameBytes] != '\0')
            return -1;
    }
    for (unsigned slot = slot_of(key);; slot = (slot + 1) % kSlots) {
        const int row = kNameIndex.row_plus_one[slot] - 1;
        if (row < 0)
            return -1;
        if (name_key(notes_name[row]) == key)
            return row;
    }
}
