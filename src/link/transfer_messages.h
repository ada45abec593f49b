#pragma once

#include <chrono>
#include <string>

#include "link/block_transfer.h"
#include "record/language.h"

namespace tracelink {

// The status-bar text for a transfer that ended early, in the build's language (UTF-8).
// It names the trace ("current trace" or its number) and the block that was awaited
// ("header block" or its number); detail is the port's or the file system's own words,
// appended when not empty. timeout is the reply limit, named in the timeout message.
std::string failureMessage(const TransferFailure& failure, Language language,
                           std::chrono::milliseconds timeout, const std::string& detail = {});

}  // namespace tracelink
