// Paging the sysop and the chat.
#include "session/paging.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "core/record_stream.h"
#include "core/text.h"
#include "platform/dos_path.h"
#include "platform/process_runner.h"

namespace vx::session {

namespace {

constexpr int kBackspace = 8;
constexpr int kDelete = 127;

bool Printable(unsigned char c) { return c >= 32 && c != kDelete; }

// The player of the page sound: the first of these found on the PATH.
std::string FindPlayer() {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  for (const char* player : {"aplay", "paplay"}) {
    size_t start = 0;
    while (start <= dirs.size()) {
      const size_t end = std::min(dirs.find(':', start), dirs.size());
      const std::string candidate = dirs.substr(start, end - start) + "/" + player;
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
      start = end + 1;
    }
  }
  return {};
}

// Keys typed while the page window is open are not kept for the menu; the page counts as
// activity all along.
struct QuietCaller {
  explicit QuietCaller(NodeSession& s) : session(s) {
    session.terminal.DivertReceived([](std::string_view) {});
  }
  ~QuietCaller() {
    session.terminal.DivertReceived({});
    session.terminal.FlushInput();
  }
  NodeSession& session;
};

struct BusyMark {
  BusyMark(NodeSession& s, SessionActivity activity) : session(s), previous(s.activity) {
    session.activity = activity;
  }
  ~BusyMark() { session.activity = previous; }
  NodeSession& session;
  SessionActivity previous;
};

void Unanswered(NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  terminal.NewLine();
  terminal.NewLine();
  terminal.ShowPromptLn(110);
  terminal.Delay(2);
  terminal.SetForeground(10);
  terminal.ShowPromptLn(70);
  terminal.Delay(1);
}

std::string ElapsedText(std::chrono::steady_clock::duration elapsed) {
  const long minutes = std::chrono::duration_cast<std::chrono::minutes>(elapsed).count();
  char text[32];
  std::snprintf(text, sizeof text, "%02ld:%02ld", (minutes / 60) % 100, minutes % 60);
  return text;
}

}  // namespace

void ApplyChatText(std::string& box, std::string_view text, std::string* echo) {
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == kBackspace || c == kDelete) {
      if (box.empty()) continue;
      const bool line_end = box.back() == '\n';
      box.pop_back();
      if (line_end && !box.empty() && box.back() == '\r') box.pop_back();
      if (echo && !line_end) *echo += "\b \b";
    } else if (c == '\r') {
      box += "\r\n";
      if (echo) *echo += "\r\n";
    } else if (Printable(c)) {
      box += ch;
      if (echo) *echo += ch;
    }
  }
  if (box.size() > kChatBoxLimit) box.erase(0, box.size() - kChatBoxLimit);
}

std::string PageSoundFile(const NodeSession& session) {
  auto bytes = core::ReadWholeFile(platform::HostPath(session.config.system_path + "PAGE.VX", session.env));
  if (!bytes) return {};
  std::string sound;
  std::string text(bytes->begin(), bytes->end());
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    const std::string line = core::Trim(text.substr(start, end - start));
    if (line.size() >= 5 && core::UpperCase(line.substr(0, 5)) == "FILE ") sound = core::Trim(line.substr(5));
    start = end + 1;
  }
  if (sound.empty()) return {};
  const std::string host = platform::HostPath(sound, session.env);
  struct stat st;
  if (::stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  return host;
}

void PageSysop(NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  terminal.NewLine();
  terminal.NewLine();
  std::string reason;
  if (session.Config().PageReasonSetting() == 1) {
    terminal.ClearScreen();
    terminal.NewLine();
    terminal.SetBackground(0);
    terminal.SetForeground(12);
    const size_t length = session.language.Text(109).size();
    terminal.MoveToColumn(static_cast<int>((80 - std::min<size_t>(length + 1, 80)) / 2));
    terminal.ShowPrompt(109);
    terminal.NewLine();
    terminal.NewLine();
    terminal.SetForeground(14);
    terminal.Display("  <" + std::string(74, '-') + ">");
    terminal.NewLine();
    terminal.MoveToColumn(4);
    terminal.SetColorPreset(1);
    reason = terminal.InputLine(75);
    if (core::Trim(reason).size() < 4) return;
    reason = core::Trim(reason);
  }

  const std::string name = session.caller.user.name;
  session.log.WriteLog("Page: " + name + (reason.empty() ? std::string() : " (" + reason + ")"));
  const std::string label = reason.empty()
                                ? "User: " + name + "\r\nwants to chat with the sysop..."
                                : "User: " + name + " wants to chat." + "\r\nReason: " + reason;
  const int duration = session.Config().PageLength();

  enum class Answer { kNone, kAccepted, kDeclined, kTimedOut };
  Answer answer = Answer::kNone;
  {
    BusyMark busy(session, SessionActivity::kPage);
    QuietCaller quiet(session);
    if (!session.window->OpenPage(label, duration, [&answer](bool accepted) {
          if (answer == Answer::kNone) answer = accepted ? Answer::kAccepted : Answer::kDeclined;
        })) {
      answer = Answer::kTimedOut;  // nobody at the console can answer
    } else {
      const std::string sound = PageSoundFile(session);
      const std::string player = sound.empty() ? std::string() : FindPlayer();
      platform::BackgroundProcess playing;
      bool use_bell = player.empty() || !playing.Start({player, "-q", sound});
      int elapsed = 0;
      platform::Timer tick(session.loop, std::chrono::milliseconds(1000), [&] {
        session.terminal.input().idle_seconds = 0;
        ++elapsed;
        session.window->PageProgress(elapsed);
        if (elapsed >= duration) {
          if (answer == Answer::kNone) answer = Answer::kTimedOut;
          return;
        }
        if (use_bell) {
          session.window->RingBell();
        } else if (!playing.running() && !playing.Start({player, "-q", sound})) {
          // The sound came to its end and is played again (within a second); a player that cannot
          // start gives way to the bell.
          use_bell = true;
        }
      });
      tick.SetEnabled(true);
      if (use_bell) session.window->RingBell();
      if (duration <= 0 && answer == Answer::kNone) answer = Answer::kTimedOut;
      session.loop.WaitUntil([&answer] { return answer != Answer::kNone; });
      playing.Stop();
      session.window->ClosePage();
    }
  }
  if (answer == Answer::kAccepted) {
    Chat(session, reason);
  } else {
    Unanswered(session);
  }
}

void Chat(NodeSession& session, const std::string& reason) {
  terminal::Terminal& terminal = session.terminal;
  const std::string subject = reason.empty() ? "Forced chat, started by sysop." : "Subject: " + reason;
  BusyMark busy(session, SessionActivity::kChat);
  std::string pending;  // what the caller sent, taken in the wait below (never inside the line's
                        // own callback, where an output wait could not be served)
  std::string caller_box, sysop_box;
  bool closed = false;
  const bool local = session.node.local_mode;
  const auto sysop_key = [&](int key) {
    session.terminal.input().idle_seconds = 0;
    if (key < 0 || key > 255) return;
    const std::string text(1, static_cast<char>(key));
    if (local) {
      ApplyChatText(caller_box, text, nullptr);
      session.window->ChatCallerText(caller_box);
      return;
    }
    std::string echo;
    ApplyChatText(sysop_box, text, &echo);
    session.window->ChatSysopText(sysop_box);
    if (!echo.empty()) {
      terminal.SetForeground(14);
      terminal.Emit(echo);
    }
  };
  if (!session.window->OpenChat(session.caller.user.name, session.Config().SysopName(), subject,
                                sysop_key, [&closed] { closed = true; })) {
    return;
  }
  terminal.DivertReceived([&pending](std::string_view text) {
    if (pending.size() < 64 * 1024) pending += text;
  });
  struct Restore {
    NodeSession& s;
    ~Restore() {
      s.terminal.DivertReceived({});
      s.terminal.FlushInput();
      s.window->CloseChat();
    }
  } restore{session};
  const auto started = std::chrono::steady_clock::now();
  platform::Timer clock_tick(session.loop, std::chrono::milliseconds(1000), [&] {
    // A chat is activity however long both sides think before they type.
    session.terminal.input().idle_seconds = 0;
    session.window->ChatElapsed(ElapsedText(std::chrono::steady_clock::now() - started));
  });
  clock_tick.SetEnabled(true);
  session.window->ChatElapsed("00:00");
  session.loop.WaitUntil([&] {
    if (!pending.empty()) {
      std::string text;
      text.swap(pending);
      session.terminal.input().idle_seconds = 0;
      if (!local) {
        std::string echo;
        ApplyChatText(caller_box, text, &echo);
        session.window->ChatCallerText(caller_box);
        if (!echo.empty()) {
          terminal.SetForeground(3);
          terminal.Emit(echo);
        }
      }
    }
    return closed;
  });
  terminal.NewLine();
  terminal.SetForeground(10);
  terminal.ShowPromptLn(70);
  terminal.Delay(1);
}

void ForcedChat(NodeSession& session) {
  terminal::Terminal& terminal = session.terminal;
  terminal.NewLine();
  if (terminal.DisplayFileExists(session.config.text_path + "startcht") ||
      terminal.DisplayFileExists(session.config.system_path + "startcht")) {
    terminal.ShowTextFile("startcht");
  } else {
    terminal.SetForeground(10);
    terminal.SetBackground(0);
    terminal.ShowPromptLn(111);
  }
  terminal.NewLine();
  terminal.NewLine();
  Chat(session, "");
  terminal.NewLine();
  if (terminal.DisplayFileExists(session.config.text_path + "endcht") ||
      terminal.DisplayFileExists(session.config.system_path + "endcht")) {
    terminal.ShowTextFile("endcht");
  } else {
    terminal.SetForeground(10);
    terminal.SetBackground(0);
    terminal.ShowPromptLn(70);
  }
}

}  // namespace vx::session
