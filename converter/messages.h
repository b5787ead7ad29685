// The converter's messages: the banner and the numbered error messages.
#pragma once

// Banner printed first by every run, on standard output.
void banner();

// Prints "ERROR: " and the message of code `err` on standard error.
void erreur(int err);
