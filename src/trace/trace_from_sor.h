#pragma once

#include "sor/sor_file.h"
#include "trace/trace.h"

namespace tracelink {

// The first trace of any SOR file, version 1 or 2. Levels are the first trace of DataPts
// in 0.001 dB (0 at the top of the scale, negative below; a scale factor other than 1000
// rounds to the nearest 0.001 dB). The key events keep their own distances, and the
// levels are placed in the same frame: originM is where data point 0 lies, so that each
// event sits on its feature of the curve (see sorOriginM). What the file holds beyond the
// first trace (further traces, further pulse widths, unread blocks) is kept as notes; the
// origin's path and digest are the caller's to fill in.
Trace TraceFromSor(const sor::SorFile& file);

// Where data point 0 lies, in metres, in the frame the key events are measured in. The
// events count from the user offset (the end of a launch cable, GenParams), which lies
// that far past the front panel. The data start at the acquisition offset from the front
// panel (FxdParams; negative when the first points are inside the instrument), unless the
// front-panel offset says how much of the saved trace is the instrument's own lead-in
// fibre, which the makers that write both take as the one that counts.
double sorOriginM(const sor::SorFile& file);

}  // namespace tracelink
