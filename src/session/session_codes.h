// The values of the display codes that the session knows: node, line, clock and the last caller.
// Codes owned by later parts of the node (message and file areas, tags, limits) keep the terminal
// layer's defaults until their owners provide them.
#pragma once

#include <string>

#include "terminal/code_values.h"

namespace vx::session {

struct NodeSession;

class SessionCodeValues final : public terminal::CodeValues {
 public:
  explicit SessionCodeValues(const NodeSession& session) : session_(session) {}

  long NodeNumber() const override;
  long ConnectSpeed() const override;
  long MinutesOnline() const override;
  long MinutesLeft() const override;
  long TotalCalls() const override;
  std::string LastCallerName() const override;
  std::string LastCallerHandle() const override;
  std::string MessageAreaName() const override;
  std::string FileAreaName() const override;
  std::string MessageGroupName() const override;
  std::string FileGroupName() const override;

 private:
  const NodeSession& session_;
};

}  // namespace vx::session
