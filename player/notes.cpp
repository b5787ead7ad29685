// Note codes looked up in the converter's note table, which stays the only copy.
#include "notes.h"

#include "note_table.h"

namespace melplay {

namespace {

// Row of the first name with each code, 0 where no row has the code.
struct FirstRows {
    int row[kLastCode + 1] = {};
    FirstRows()
    {
        for (int i = kNoteRows - 1; i >= 1; --i) {
            int code = static_cast<int>(notes_freq[i][0]);
            if (code >= kFirstCode && code <= kLastCode)
                row[code] = i;  // scanning backwards, the first row is written last
        }
    }
};

int first_row(int code)
{
    static const FirstRows rows;
    return code >= kFirstCode && code <= kLastCode ? rows.row[code] : 0;
}

}  // namespace

const char* note_name(int code)
{
    int row = first_row(code);
    return row ? notes_name[row] : nullptr;
}

float note_frequency(int code)
{
    return notes_freq[first_row(code)][1];
}

double note_seconds(int type, int code, unsigned divisor)
{
    if (type == 3)
        return divisor / 66.0;
    return divisor / static_cast<double>(note_frequency(code));
}

}  // namespace melplay
