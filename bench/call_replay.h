// Replays a recorded frame: each call of the stream, in order, with its recorded arguments, through
// whatever GL the program is linked with. This is the least work that sends the same frame.
#pragma once

#include "bench/call_stream.h"

void replayCallStream(const CallStream& stream);
