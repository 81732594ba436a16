// The values of the display codes that the session knows: node, line, clock and the last caller.
// Codes owned by later parts of the node (message and file areas, tags, limits) keep the terminal
// layer's defaults until their owners provide them.
#pragma once

#include <functional>
#include <string>

#include "terminal/code_values.h"

namespace vx::session {

struct NodeSession;

// The figures of the current message area's base, as the message layer reads them: the number
// of messages (^K0, ^KC), the lowest message number (^KD) and the highest (^KE).
struct MessageFigures {
  long count = 0;
  long lowest = 0;
  long highest = 0;
};

class SessionCodeValues final : public terminal::CodeValues {
 public:
  explicit SessionCodeValues(const NodeSession& session) : session_(session) {}

  // Where the message figures come from (the message layer, which reads the base each time, so
  // that a post by another node shows at once); without a source they are 0.
  void SetMessageFigures(std::function<MessageFigures()> source) {
    message_figures_ = std::move(source);
  }

  long NodeNumber() const override;
  long ConnectSpeed() const override;
  long MinutesOnline() const override;
  long MinutesLeft() const override;
  long TotalCalls() const override;
  std::string LastCallerName() const override;
  std::string LastCallerHandle() const override;
  std::string MessageAreaName() const override;
  long MessageCount() const override { return Figures().count; }
  long MessageFigureD() const override { return Figures().lowest; }
  long MessageFigureE() const override { return Figures().highest; }
  std::string FileAreaName() const override;
  std::string MessageGroupName() const override;
  std::string FileGroupName() const override;
  // The download tag list, through the terminal's tagging hook (the file layer's list).
  long TaggedFiles() const override;
  long TaggedKilobytes() const override;

 private:
  MessageFigures Figures() const {
    return message_figures_ ? message_figures_() : MessageFigures{};
  }

  const NodeSession& session_;
  std::function<MessageFigures()> message_figures_;
};

}  // namespace vx::session
