// MIDI keys to rows of the note table, by frequency.
#pragma once

namespace melmidi {

// The MIDI key of the table's A3 (440 Hz).
constexpr int kKeyA440 = 69;

// The row of the note table whose frequency is nearest to that of `key` (equal temperament,
// key 69 at 440 Hz), the first of rows with equal frequencies (C#4 rather than Db4). A key
// outside the table is moved by whole octaves into it, and `moved` is set.
int key_row(int key, bool& moved);

}  // namespace melmidi
