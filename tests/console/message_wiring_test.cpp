// The message functions as the menus reach them: a caller chooses an area, reads it and scans for
// mail through menu entries of types 49, 23 and 22, and the menu prompt shows the chosen area's
// message count.
#include "console/wiring.h"
#include "menus/menu_fixture.h"
#include "messages/hudson_base.h"

namespace vx::menus::testing {
namespace {

class MessageMenuTest : public MenuTest {
 protected:
  MessageMenuTest() {
    session->config.hudson_path = session->config.msgbase_path;
    console::WireMessageFunctions(*session, *engine, functions);
    const std::vector<std::pair<int, std::string>> entries = {
        {0, "Y Yes\xff"},   {1, "N No\xff"},  {229, "Areas"},    {235, "Area: "},
        {258, "Scanning"},  {260, "Area"},    {261, " message"}, {262, " messages"},
        {269, "Read? N"},   {297, "Mode: "},  {359, "Date: "},   {372, "The end."},
        {445, "(F)orward"}, {446, "(B)ack"},  {458, "(Q)uit"},   {424, "(N)ext"},
        {428, "(S)top"},    {364, "Area "},   {365, " holds "},  {366, ": "},
        {77, "Start at"},   {259, "No mail."}};
    for (const auto& [n, text] : entries) session->language.Set(n, text, 0);
    core::MemoryStream records;
    for (const char* name : {"Harbour", "Keepers"}) {
      core::MessageAreaRecord r;
      r.area_number = name[0] == 'H' ? 1 : 2;
      r.name = name;
      core::WriteMessageAreaRecord(r, records);
    }
    test::WriteFile(system.dir / "MESSAGES.VX", records.bytes());
    core::MemoryStream index;
    core::WriteAreaIndex(core::BuildAreaIndex({1, 2}), index);
    test::WriteFile(system.dir / "MESSAGES.VDX", index.bytes());
    const messages::HudsonBase base(session->config.hudson_path, env);
    for (const char* to : {"Ann Caller", "Pat Other"}) {
      messages::HudsonPost post;
      post.from = "Bob";
      post.to = to;
      post.subject = std::string("For ") + to;
      post.text = "Hello\r";
      post.board = 2;
      EXPECT_TRUE(base.WriteMessage(post).ok);
    }
    session->caller.user.msg_area = 1;
    session->areas.LoadMessageArea(session->AreaFiles(), session->caller.user);
  }
};

TEST_F(MessageMenuTest, ChooseReadAndScanFromTheMenu) {
  WriteMenu("MESSAGE",
            {Entry(49, "A", "Area", "/1"), Entry(23, "R", "Read"), Entry(22, "S", "Scan")},
            "[\x0b"
            "0] Choose: ");
  ASSERT_TRUE(engine->LoadMenu("MESSAGE"));
  caller->WhenType("[0] Choose: ", "A");
  caller->WhenType("Area: ", "2\r");
  caller->WhenType("[2] Choose: ", "R");
  caller->WhenType("Mode: ", "F");
  caller->WhenType("Start at 1-2: ", "\r");
  caller->WhenType("(S)top: ", "N");
  caller->WhenType("(S)top: ", "S");
  caller->WhenType("[2] Choose: ", "S");
  Rounds(3);
  Settle();
  const std::string seen = caller->received();
  EXPECT_EQ(session->caller.user.msg_area, 2);
  EXPECT_NE(seen.find("For Ann Caller"), std::string::npos);
  EXPECT_NE(seen.find("For Pat Other"), std::string::npos);
  EXPECT_NE(seen.find("The end."), std::string::npos);
  // Ann's message was marked received when it was shown: the scan finds nothing new.
  EXPECT_NE(seen.find("No mail."), std::string::npos) << seen;
}

}  // namespace
}  // namespace vx::menus::testing
