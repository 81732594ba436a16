// The node status files of the system directory, as the call writes them: USERON.BBS shows the
// caller on this node from the logon on and is cleared when the call ends; LASTCALL.BBS gains one
// record per finished call of the day; SYSINFO.BBS counts the calls and names the last caller.
//
// Several nodes and DOS tools share the files. None is ever created empty over another node's
// data or truncated (except LASTCALL.BBS's daily reset, below): each is opened without truncation
// and grows only by writing. Every record is written whole with one write, under an open-file-
// description lock: USERON.BBS on the node's own record, SYSINFO.BBS on its 76 bytes around the
// read-increment-write, LASTCALL.BBS on the whole file around its daily reset and the append (the
// position taken under the lock), so that twenty nodes ending calls at once lose no call. The
// daily reset empties LASTCALL.BBS in place rather than deleting it: a node that has the old file
// open would otherwise append its record to a deleted file.
#pragma once

#include <string>

#include "core/status_records.h"
#include "session/node_session.h"

namespace vx::session {

// Status values of USERON.BBS.
inline constexpr int kUserOnLoggedOn = 0;
inline constexpr int kUserOnNewUser = 7;

// The node's USERON.BBS record with the caller's values, Status = `status`, StatusText = `text`.
void WriteUserOn(NodeSession& session, int status, const std::string& text);

// The node's USERON.BBS record cleared: nobody is on line here (a new caller who did not join).
void ClearUserOn(NodeSession& session);

// The end of the call in the status files, when a caller is on line: the USERON.BBS record
// cleared, and for a named caller one LASTCALL.BBS record and one more call in SYSINFO.BBS.
// Called by TerminateCall and by message entry that ends the call.
void UpdateStatusAtCallEnd(NodeSession& session);

// The records as the call writes them (pure: the tests compare them with bytes written by hand).
core::UserOnRecord UserOnRecordFor(const core::UserRecord& user, int node, long speed, int status,
                                   const std::string& text);
core::UserOnRecord ClearedUserOnRecord();
core::LastCallRecord LastCallRecordFor(const core::UserRecord& user, int node, long speed,
                                       const std::string& logon_time,
                                       const std::string& logoff_time);

}  // namespace vx::session
