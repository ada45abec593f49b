#pragma once

namespace tracelink {

// The language a program was built for. Each build picks one in its main(); nothing
// switches it while the program runs.
enum class Language { English, Chinese };

}  // namespace tracelink
