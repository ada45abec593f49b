#pragma once

namespace tracelink {

// Qt's own fills and drawing run AVX code and can return with the upper halves of the
// vector registers still dirty. Plain SSE code after that (the curve rasteriser's double
// maths, the inversion loop) then pays a false dependency on every instruction and runs
// about three times slower. Clearing that state once before such a loop costs a few
// cycles; on processors without AVX, and on compilers we cannot ask, it does nothing.
void clearUpperVectorState();

}  // namespace tracelink
