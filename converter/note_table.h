// The note table: every note name of a score with its note code and frequency.
#pragma once

constexpr int kNoteRows = 150;
constexpr int kNoteNameSize = 8;

// Row i: the name, zero-padded to 8 bytes.
extern const char notes_name[kNoteRows][kNoteNameSize];
// Row i: column 0 the note code (integral), column 1 the frequency in hertz.
extern const float (&notes_freq)[kNoteRows][2];

// Row of the note named exactly `note`, or -1 when no row has that name.
int search_note(const char* note);
