#pragma once

#include <string_view>

#include "monitor/monitor_record.h"

// The recipient box holds one address per line, separated by "\n", the
// toolkit's line break.

// Joins slots 0 to m_nMailCount - 1 into m_szPage: a line break between two
// addresses, none before the first or after the last. Returns the joined text.
std::string_view JoinRecipients(MonitorRecord& record);

// Splits the box's text into the slots at LF, CR LF or a lone CR (text pasted
// from other programs keeps its own line breaks): every line counts (an empty text is
// one empty line, a trailing line break adds an empty one), at most
// kMaxMailTo lines are read, each cut to what fits in a slot.
void SplitRecipients(MonitorRecord& record, std::string_view text);
