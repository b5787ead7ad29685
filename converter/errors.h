// The converter's numbered error messages.
#pragma once

// Prints "ERROR: " and the message of code `err` on standard error.
void erreur(int err);
