// The listing of a checked stream: one line per element in fixed columns, then the totals.
#pragma once

#include <string>

#include "stream.h"

namespace melplay {

// Seconds the whole stream plays, every section played its count.
double total_seconds(const Stream& stream, int type);

std::string listing(const Stream& stream, int type);

}  // namespace melplay
