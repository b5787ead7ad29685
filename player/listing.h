// The listing of a checked stream: one line per element in fixed columns, then the totals.
#pragma once

#include <string>

#include "stream.h"

namespace melplay {

// The listing's lines as printf formats. The listing builds the element lines field by field
// without printf; the tests compare them with these.
inline constexpr char kHeader[] = "%6s %11s  %-6s %7s %11s\n";
inline constexpr char kNoteLine[] = "%6zu %11.6f  %-6s %7u %11.6f\n";
inline constexpr char kStartLine[] = "%6zu %11.6f  REPEAT x%d\n";
inline constexpr char kEndLine[] = "%6zu %11.6f  END\n";
inline constexpr char kTotalLine[] = "%zu note event%s, %.6f s in all\n";

// Seconds the whole stream plays, every section played its count.
double total_seconds(const Stream& stream, int type);

std::string listing(const Stream& stream, int type);

}  // namespace melplay
