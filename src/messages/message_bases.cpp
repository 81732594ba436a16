// The session's message bases and the figures of an area.
#include "messages/message_bases.h"

namespace vx::messages {

HudsonBase SessionHudsonBase(const session::NodeSession& session) {
  return HudsonBase(session.config.hudson_path, session.env, session.LockWaiting());
}

JamBase SessionJamBase(const session::NodeSession& session, const std::string& base_path) {
  return JamBase(base_path, session.env, session.LockWaiting());
}

AreaFigures ReadAreaFigures(const session::NodeSession& session,
                            const core::MessageAreaRecord& area, uint32_t area_number,
                            std::string* problem) {
  AreaFigures figures;
  if (area.IsJam()) {
    const JamBase base = SessionJamBase(session, area.jam_base_path);
    const auto header = base.ReadBaseHeader(problem);
    if (!header) return figures;
    const uint64_t records = base.IndexCount();
    figures.count = header->active;
    if (records > 0) {
      figures.lowest = header->base_number;
      figures.highest = static_cast<long>(header->base_number + records - 1);
    }
    return figures;
  }
  if (area_number < 1 || area_number > static_cast<uint32_t>(kHudsonBoards)) {
    if (problem)
      *problem = "a Hudson area is numbered 1 to 200; area " + std::to_string(area_number) +
                 " has no board";
    return figures;
  }
  const HudsonInfo info = SessionHudsonBase(session).ReadInfo(problem);
  figures.count = info.board_active[area_number - 1];
  figures.lowest = info.low;
  figures.highest = info.high;
  return figures;
}

session::MessageFigures CurrentAreaFigures(const session::NodeSession& session) {
  const session::CurrentMessageArea& current = session.areas.message;
  if (!current.has_record) return {};
  const AreaFigures figures = ReadAreaFigures(session, current.record, current.number);
  return {figures.count, figures.lowest, figures.highest};
}

}  // namespace vx::messages
