// The figures behind the display codes that belong to the session and to the message and file
// bases: the terminal layer asks for them through this interface and the objects that own them
// answer once they exist. The defaults answer 0 or an empty text, which is what a caller sees
// while a figure has no owner yet.
#pragma once

#include <string>

namespace vx::terminal {

class CodeValues {
 public:
  virtual ~CodeValues() = default;

  // Session (node number, line, clock, limits).
  virtual long NodeNumber() const { return 0; }
  virtual long ConnectSpeed() const { return 0; }
  virtual long MinutesOnline() const { return 0; }
  virtual long MinutesLeft() const { return 0; }
  virtual long DailyTimeLimit() const { return 0; }
  virtual long DailyDownloadLimit() const { return 0; }  // kilobytes for this call's speed

  // SYSINFO.BBS as the status files read it.
  virtual long TotalCalls() const { return 0; }
  virtual std::string LastCallerName() const { return {}; }
  virtual std::string LastCallerHandle() const { return {}; }

  // The caller's current message area and its base.
  virtual std::string MessageAreaName() const { return {}; }
  virtual long MessageCount() const { return 0; }
  virtual long MessageFigureD() const { return 0; }
  virtual long MessageFigureE() const { return 0; }
  virtual std::string MessageGroupName() const { return {}; }

  // The caller's current file area and the download tag list.
  virtual std::string FileAreaName() const { return {}; }
  virtual std::string FileGroupName() const { return {}; }
  virtual long TaggedFiles() const { return 0; }
  virtual long TaggedKilobytes() const { return 0; }
  virtual long DownloadLimitFigure1() const { return 0; }  // the first tag-limit figure
  virtual long DownloadLimitFigure2() const { return 0; }  // the second tag-limit figure
  virtual long StatusDownloadFigure() const { return 0; }  // the download figure of the status line
};

}  // namespace vx::terminal
