// Writing the text of a new message.
#include "messages/entry_text.h"

#include "core/text.h"
#include "messages/quote.h"
#include "session/call_end.h"
#include "session/node_directory_claim.h"
#include "terminal/line_editor.h"

namespace vx::messages {

namespace {

std::optional<std::string> LineEditorText(session::NodeSession& session) {
  std::string text = terminal::LineEditor(session.terminal).EditLines(kMessageLines);
  if (text.empty()) return std::nullopt;  // abandoned, or nothing typed
  return text;
}

void Saving(session::NodeSession& session) {
  session.terminal.SetForeground(15);
  session.terminal.SetBackground(0);
  session.terminal.Display(session.language.Text(300));
  session.terminal.NewLine();
}

bool CallerOnLine(const session::NodeSession& session) {
  return session.node.local_mode || (session.comm.port_open() && session.comm.CarrierDetect());
}

class EditorSession {
 public:
  EditorSession(session::NodeSession& session, const EditorRunner& editor)
      : session_(session),
        editor_(editor),
        info_path_(session.node.startup_path + kMessageInfoFile),
        text_path_(session.node.startup_path + kMessageTextFile) {}

  // nullopt with `fallback_` set when the line editor is to write the text instead.
  std::optional<std::string> Run(const std::string& command, const MessageInfo& info,
                                 const Message* replied) {
    session::NodeDirectoryClaim claim(session_.node.startup_path, session_.node.number);
    if (!claim.held()) {
      // Its files are another node's: they are left alone.
      return Fallback("the node directory " + session_.node.startup_path + " is " + claim.error(),
                      false);
    }
    // What the editor starts with: MSGINF, and for a reply the quote in MSGTMP.
    const std::string quote = replied ? Quote(*replied) : std::string();
    core::WriteResult written = RemoveExchangeFile(text_path_);
    if (written.ok) written = WriteExchangeFile(info_path_, MessageInfoText(info));
    if (written.ok && !quote.empty()) written = WriteExchangeFile(text_path_, quote);
    if (!written.ok) return Fallback(written.error, true);
    const EditorRun run = editor_(command);
    if (!run.started) {
      return Fallback("the message editor (" + command + ") cannot start: " + run.error, true);
    }
    if (run.end_call || !CallerOnLine(session_)) {
      session_.log.WriteLog("The caller left the message editor by hanging up; no message saved");
      session::EndNodeProgram(session_);
    }
    EditedText edited = ReadEditedText(text_path_, quote);
    switch (edited.status) {
      case EditedStatus::kWritten:
        return std::move(edited.text);
      case EditedStatus::kTooLarge:
        session_.terminal.NewLine();
        session_.terminal.SetForeground(12);
        session_.terminal.Display("Your message is too long to be saved (more than " +
                                  std::to_string(kMaxEditedText / 1024) + " KB).");
        session_.terminal.NewLine();
        break;
      default:
        break;
    }
    session_.log.WriteLog("No message saved: " + edited.problem);
    return std::nullopt;
  }

  bool fallback() const { return fallback_; }

 private:
  std::optional<std::string> Fallback(const std::string& why, bool own_files) {
    session_.log.WriteLog(why + "; the line editor is used");
    // The exchange files of a message the editor never wrote are not left for a later one.
    if (own_files) {
      (void)RemoveExchangeFile(info_path_);
      (void)RemoveExchangeFile(text_path_);
    }
    fallback_ = true;
    return std::nullopt;
  }

  std::string Quote(const Message& replied) const {
    const core::ConfigSnapshot& config = session_.Config();
    return QuoteText(
        config.QuoteHeader(), config.QuotePrefix(),
        QuotedMessage{replied.from, replied.to, replied.date, replied.time, replied.text});
  }

  session::NodeSession& session_;
  const EditorRunner& editor_;
  std::string info_path_, text_path_;
  bool fallback_ = false;
};

}  // namespace

std::optional<std::string> WriteMessageText(session::NodeSession& session,
                                            const EditorRunner& editor, const MessageInfo& info,
                                            const Message* replied) {
  const std::string command = core::Trim(session.Config().EditorCommand());
  std::optional<std::string> text;
  if (command.empty()) {
    text = LineEditorText(session);
  } else if (!editor) {
    session.log.WriteLog("No door runner for the message editor (" + command +
                         "); the line editor is used");
    text = LineEditorText(session);
  } else {
    EditorSession run(session, editor);
    text = run.Run(command, info, replied);
    if (!text && run.fallback()) text = LineEditorText(session);
  }
  if (text) Saving(session);
  return text;
}

}  // namespace vx::messages
