#pragma once

#include <chrono>
#include <string>

#include "link/block_transfer.h"
#include "link/link_error.h"
#include "record/language.h"

namespace tracelink {

// The words of the link and the transfer, in the build's language (UTF-8).

// What went wrong on the port. The common cases are told in our own words; in English the
// system's own words follow in parentheses.
std::string linkErrorText(const LinkError& error, Language language);

// The status-bar text for a transfer that ended early. It names the trace ("current
// trace" or its number) and the block that was awaited ("header block" or its number),
// and what the link or the file layer said. timeout is the reply limit, named in the
// timeout message.
std::string failureMessage(const TransferFailure& failure, Language language,
                           std::chrono::milliseconds timeout);

// The status-bar text for an upload of all stored traces that stopped at the 50-trace
// limit, or was abandoned before its last trace.
std::string uploadAllSummaryMessage(const UploadAllSummary& summary, Language language);

}  // namespace tracelink
