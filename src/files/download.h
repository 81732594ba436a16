// Downloads (DownloadFiles): the tag list shown and edited, the optional list file of the tagged
// files' descriptions, the protocol, the estimate, and the transfer by the engine, every
// completed file counted against the caller's totals (CountSentFile) and logged. In a local
// session the files are copied into a directory the sysop names.
#pragma once

#include <string>
#include <vector>

#include "files/listing_page.h"
#include "files/tag_list.h"
#include "session/node_session.h"

namespace vx::files {

void DownloadFiles(session::NodeSession& session, DownloadTagList& tags, ListingPage& page);

// The list file: the first free name "FILE_ID.1" to "FILE_ID.255" in `directory` (a host path),
// created exclusively, holding each file's name in 13 columns followed by its description, one
// description line per line. The path written, or empty when every name is taken or the file
// cannot be written (`error` says why).
std::string WriteListFile(const std::string& directory, const std::vector<ListedFile>& files,
                          std::string* error);

// Counts a file the caller received completely: the caller's Downloads, DownloadsK and TodayK
// grow, the file leaves the tag list, and the transfer log lines are written. `seconds` is how
// long the file took.
void CountSentFile(session::NodeSession& session, DownloadTagList& tags, const ListedFile& file,
                   const char* protocol_name, double seconds);

// The efficiency of a transfer at `cps` characters a second on a line of `speed` bps; 0 without
// a speed.
long Efficiency(double cps, long speed);

}  // namespace vx::files
