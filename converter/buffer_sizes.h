// The sizes of melvox's two buffers, which bound the score text it reads and the note stream it
// writes. Part of the core, so that melplay and melmidi hold what they write to them without
// linking melvox's frame.
#pragma once

constexpr int kBufInSize = 64000;   // the score text and the zero byte that ends it
constexpr int kBufOutSize = 32000;  // the note stream
