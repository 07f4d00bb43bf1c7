#include <gtest/gtest.h>

#include "chatlink/ChatScanner.h"
#include "client/Client.h"
#include "client/Commands.h"
#include "tests/support/SimFixture.h"

namespace kestar::test {
namespace {

TEST(Client, UserLinesAndRollAnswersArriveOnLaterRounds) {
  SimRig rig;
  const auto room = rig.client.openRoom("Lobby");
  const auto input = rig.windows.children(room).at(1);
  rig.service.setNextRolls({3, 4});
  rig.windows.sendTextMessage(input, chatlink::WmSetText, 0, "//roll");
  rig.windows.sendMessage(input, chatlink::WmChar, chatlink::KeyEnter, 0);
  EXPECT_EQ(rig.client.inputText("Lobby"), "");
  EXPECT_TRUE(rig.client.transcript("Lobby").empty());
  rig.windows.runPending();
  EXPECT_EQ(rig.client.transcript("Lobby"), std::vector<std::string>{"SparKing:\t//roll"});
  rig.windows.runPending();
  EXPECT_EQ(rig.client.transcript("Lobby"),
            (std::vector<std::string>{"SparKing:\t//roll",
                                      "OnlineHost:\tSparKing rolled 2 6-sided dice:  3 4"}));

  // Typed characters gather in the box; Enter on an empty box sends nothing.
  rig.windows.sendMessage(input, chatlink::WmChar, 'h', 0);
  rig.windows.sendMessage(input, chatlink::WmChar, 'i', 0);
  EXPECT_EQ(rig.client.inputText("Lobby"), "hi");
  rig.windows.sendTextMessage(input, chatlink::WmSetText, 0, "");
  rig.windows.sendMessage(input, chatlink::WmChar, chatlink::KeyEnter, 0);
  rig.host.settle();
  EXPECT_EQ(rig.client.transcript("Lobby").size(), 2u);
}

TEST(Client, RoomsOpenRaiseCloseAndTrim) {
  SimRig rig;
  rig.client.openRoom("Lobby");
  rig.client.openRoom("Arena");
  EXPECT_EQ(rig.client.roomNames(), (std::vector<std::string>{"Arena", "Lobby"}));
  rig.client.openRoom("Lobby");
  EXPECT_EQ(rig.client.roomNames(), (std::vector<std::string>{"Lobby", "Arena"}));

  rig.client.setTranscriptLimit(3);
  for (int i = 0; i < 5; ++i)
    rig.service.sayAs("Lobby", "Ann", std::to_string(i));
  rig.service.sayAs("Lobby", "Ann", "two\r\nlines");
  EXPECT_EQ(rig.client.transcript("Lobby"),
            (std::vector<std::string>{"Ann:\t3", "Ann:\t4", "Ann:\ttwo  lines"}));

  // A line sent just before its room closes goes nowhere; WM_CLOSE closes a room.
  const auto lobby = rig.client.room("Lobby");
  rig.windows.sendTextMessage(rig.windows.children(lobby).at(1), chatlink::WmSetText, 0, "bye");
  rig.windows.sendMessage(rig.windows.children(lobby).at(1), chatlink::WmChar, 13, 0);
  rig.windows.sendMessage(lobby, chatlink::WmClose, 0, 0);
  rig.host.settle();
  EXPECT_EQ(rig.client.roomNames(), std::vector<std::string>{"Arena"});
  EXPECT_FALSE(rig.windows.exists(lobby));
  EXPECT_TRUE(rig.client.sentByUser().empty());
}

void typeKeyword(SimRig& rig, const std::string& keyword) {
  rig.client.typeKeyword(keyword);
}

TEST(Client, RoomKeywordsEnterTheRoomNamedAfterTheFirstMarkOrShowTheBoxWhenFull) {
  struct Case {
    const char* keyword;
    const char* room;  // entered, or "" for none
    bool box;
  };
  const Case cases[] = {
      {"aol://2719:67-2-Lobby ", "Lobby", false},
      {"aol://2719:2-2-Back-2-Room", "Back-2-Room", false},
      {"aol://2719:0-2-Two  Blanks", "Two  Blanks", false},
      {"aol://2719:6-Lobby", "", false},  // no mark: no room named
      {"aol://2719:0-2-", "", false},
      {"aol://1234:67-2-Lobby", "", false},
      {"aol://2719:21-2-Packed", "", true},
      {"aol://2719:21-2-Spar Arena", "Spar Arena", false},  // already in it, however full
  };
  for (const Case& c : cases) {
    SimRig rig;
    rig.client.openRoom("Spar Arena");
    rig.client.openRoom("Elsewhere");
    for (const char* full : {"Packed", "Spar Arena"}) {
      rig.service.setRoomCapacity(full, 2);
      rig.service.setRoomPeople(full, 2);
    }
    typeKeyword(rig, c.keyword);
    EXPECT_EQ(rig.client.roomNames().front(), "Elsewhere") << "went inside the call";
    rig.host.settle();
    const std::string top = rig.client.roomNames().front();
    EXPECT_EQ(top, *c.room ? c.room : "Elsewhere") << c.keyword;
    EXPECT_EQ(rig.client.messageBox() != 0, c.box) << c.keyword;
  }
}

TEST(Client, AFullRoomLetsTheUserInOnceSomeoneLeaves) {
  SimRig rig;
  rig.service.setRoomCapacity("Packed", 3);
  rig.service.setRoomPeople("Packed", 3);
  typeKeyword(rig, "aol://2719:61-2-Packed");
  rig.host.settle();
  ASSERT_EQ(rig.client.messageBoxes().size(), 1u);
  EXPECT_EQ(rig.windows.text(rig.client.messageBox()), "America Online");
  EXPECT_TRUE(rig.client.roomNames().empty());

  rig.service.setRoomPeople("Packed", 2);
  typeKeyword(rig, "aol://2719:61-2-Packed");
  rig.host.settle();
  EXPECT_EQ(rig.client.roomNames(), std::vector<std::string>{"Packed"});
  EXPECT_EQ(rig.client.messageBoxes().size(), 1u);
}

TEST(Client, TheBoxClosesOnTheRoundAfterItsButtonIsPressed) {
  struct Case {
    const char* how;
    std::vector<std::pair<chatlink::Msg, chatlink::WParam>> keys;
    bool closes;
  };
  const Case cases[] = {
      {"space down only", {{chatlink::WmKeyDown, chatlink::KeySpace}}, false},
      {"enter", {{chatlink::WmKeyDown, 13}, {chatlink::WmKeyUp, 13}}, false},
      {"space",
       {{chatlink::WmKeyDown, chatlink::KeySpace}, {chatlink::WmKeyUp, chatlink::KeySpace}},
       true},
      {"click", {{chatlink::WmLButtonDown, 0}, {chatlink::WmLButtonUp, 0}}, true},
  };
  for (const Case& c : cases) {
    SimRig rig;
    const auto box = rig.client.showMessageBox("Full.");
    const auto button = rig.client.messageBoxes().at(0).button;
    for (const auto& [msg, key] : c.keys)
      rig.windows.sendMessage(button, msg, key, 0);
    EXPECT_TRUE(rig.windows.exists(box)) << c.how << ": closed inside the press";
    rig.host.settle();
    EXPECT_EQ(!rig.windows.exists(box), c.closes) << c.how;
  }
  SimRig rig;  // WM_CLOSE closes at once
  const auto box = rig.client.showMessageBox("Full.");
  rig.windows.sendMessage(box, chatlink::WmClose, 0, 0);
  EXPECT_FALSE(rig.windows.exists(box));
}

// A service that records what the client asks of it and reports only what a test tells it to.
struct FakeService final : client::ChatService {
  void attach(client::ServiceListener& listener, client::Later) override { tell = &listener; }
  std::string userName() const override { return "Me"; }
  bool signedOn() const override { return true; }
  void joinRoom(const std::string& room) override { asked.push_back("join " + room); }
  void leaveRoom(const std::string& room) override { asked.push_back("leave " + room); }
  void say(const std::string& room, const std::string& text) override {
    asked.push_back("say " + room + " " + text);
  }
  void sendInstantMessage(int ticket, const std::string& to, const std::string& text) override {
    asked.push_back("im " + std::to_string(ticket) + " " + to + " " + text);
  }
  void command(const std::string& room, const client::Command& command) override {
    asked.push_back("/" + command.name + " in " + room + ": " + command.target + "|" +
                    command.text);
  }

  client::ServiceListener* tell = nullptr;
  std::vector<std::string> asked;
};

bool readsAsChat(const std::string& line) {
  std::string name;
  std::string said;
  return chatlink::splitChatLine(line, name, said);
}

TEST(Client, AsksItsServiceOnALaterRoundAndShowsWhatTheServiceReports) {
  client::Desktop windows;
  FakeService service;
  client::Client client(windows, service);
  using Asked = std::vector<std::string>;

  client.typeKeyword("aol://2719:61-2-#spar");
  EXPECT_TRUE(service.asked.empty()) << "asked inside the key";
  windows.runPending();
  EXPECT_EQ(service.asked, Asked{"join #spar"});
  service.tell->joinRefused("#spar", "Cannot join #spar: the channel is full");
  ASSERT_NE(client.messageBox(), 0u);
  EXPECT_EQ(windows.text(client.messageBox()), "America Online");
  EXPECT_EQ(client.messageBoxes().back().text, "Cannot join #spar: the channel is full");
  EXPECT_TRUE(client.roomNames().empty());

  service.tell->roomEntered("#spar");
  EXPECT_EQ(client.roomNames(), Asked{"#spar"});
  // Listed by rank, then by name without regard to letter case.
  service.tell->peopleChanged(
      "#spar", {{"Me", "", 0}, {"zed", "@", 3}, {"ann", "+", 1}, {"Bob", "@", 3}, {"al", "", 0}});
  EXPECT_EQ(client.people("#spar"), (Asked{"@Bob", "@zed", "+ann", "al", "Me"}));
  service.tell->chatLine("#spar", "Ann", "two\r\nlines");
  service.tell->roomNotice("#spar", "Bob:\thas joined");
  service.tell->roomNotice("#nowhere", "Cy has quit");
  client.typeLine("#spar", "hello");
  EXPECT_EQ(service.asked.size(), 1u) << "asked inside the key";
  windows.runPending();
  EXPECT_EQ(service.asked.back(), "say #spar hello");
  service.tell->chatLine("#spar", "Me", "hello");
  const Asked transcript = client.transcript("#spar");
  EXPECT_EQ(transcript, (Asked{"Ann:\ttwo  lines", "Bob: has joined", "Me:\thello"}));
  EXPECT_EQ(client.sentByUser(), Asked{"hello"});
  EXPECT_TRUE(readsAsChat(transcript[0]));
  EXPECT_FALSE(readsAsChat(transcript[1])) << "a notice reads as a chat line";

  client.typeInstantMessage("Cy", "psst");
  client.typeInstantMessage("Ann", "hi");
  windows.runPending();
  EXPECT_EQ(service.asked, (Asked{"join #spar", "say #spar hello", "im 1 Cy psst", "im 2 Ann hi"}));
  service.tell->instantMessageRefused(1, "Cy: no such nick");
  service.tell->instantMessageDelivered(2);
  EXPECT_EQ(client.messageBoxes().back().text, "Cy: no such nick");
  EXPECT_TRUE(windows.exists(client.imWindows().at(0).window));
  EXPECT_FALSE(windows.exists(client.imWindows().at(1).window));
  service.tell->instantMessageReceived("Ann", "hi yourself");
  service.tell->stateChanged("Connected to the chat network");
  EXPECT_EQ(client.receivedMessages(),
            (std::vector<client::InstantMessage>{{"Ann", "hi yourself"}}));
  EXPECT_EQ(client.serviceState(), "Connected to the chat network");

  // The user leaves one room; the service puts the user out of another, which it knows already.
  service.tell->roomEntered("#other");
  client.closeRoom("#spar");
  service.tell->roomLeft("#other");
  windows.runPending();
  EXPECT_EQ(service.asked.back(), "leave #spar");
  EXPECT_EQ(service.asked.size(), 5u);
  EXPECT_TRUE(client.roomNames().empty());
}

TEST(Client, ShowsWhatItMadeOfACommandAndAsksTheServiceTheRest) {
  client::Desktop windows;
  FakeService service;
  client::Client client(windows, service);
  using Lines = std::vector<std::string>;
  client.openRoom("#spar");
  for (const char* typed :
       {"/frob x", "/msg Cy", "/msg Cy psst there", "/me waves", "//roll", "/msg Zed hi"})
    client.command("#spar", client::parseCommand(typed));
  EXPECT_EQ(client.transcript("#spar"), (Lines{"Unknown command /frob", "Usage: /msg NICK TEXT",
                                               "-> Cy: psst there", "-> Zed: hi"}));
  EXPECT_TRUE(service.asked.empty()) << "asked inside the call";
  windows.runPending();
  client.command("#spar", client::parseCommand("/part gone"));
  EXPECT_EQ(client.room("#spar"), 0u) << "/part leaves at once";
  windows.runPending();
  EXPECT_EQ(service.asked, (Lines{"im 1 Cy psst there", "/me in #spar: |waves", "say #spar //roll",
                                  "im 2 Zed hi", "/part in #spar: |gone"}));
  service.tell->instantMessageDelivered(1);
  service.tell->instantMessageRefused(2, "Zed: no such nick");
  service.tell->instantMessageReceived("Ann", "yo");
  EXPECT_EQ(client.imLog(), (Lines{"To Cy: psst there", "To Zed (not sent): hi", "From Ann: yo"}));
  EXPECT_EQ(client.messageBoxes().back().text, "Zed: no such nick");

  // Turned away for good, until the user asks for the room again or is let in.
  service.tell->joinBarred("#vip", "Banned from #vip");
  EXPECT_EQ(client.messageBoxes().back().text, "Banned from #vip");
  EXPECT_EQ(client.turnedAway("#vip"), "Banned from #vip");
  client.goToRoom("#vip");
  EXPECT_EQ(client.turnedAway("#vip"), "");
  service.tell->joinBarred("#vip", "Banned from #vip");
  service.tell->roomEntered("#vip");
  EXPECT_EQ(client.turnedAway("#vip"), "");
  // In, the room's refusals close; others stay.
  EXPECT_FALSE(windows.exists(client.messageBoxes().back().box));
  EXPECT_NE(client.messageBox(), 0u);
}

TEST(Client, ThePracticeServiceDoesWhatACommandMeansOffline) {
  SimRig rig;
  rig.client.openRoom("Lobby");
  const std::pair<const char*, const char*> cases[] = {
      {"/me waves", "* SparKing waves"},
      {"/topic", "The room has no topic."},
      {"/topic Mass spar at nine", "SparKing set the topic: Mass spar at nine"},
      {"/topic", "The topic is: Mass spar at nine"},
      {"/whois bob", "bob is signed on."},
      {"/whois Dan", "Dan is not signed on right now."},
      {"/nick Zed", "/nick is not on the practice service."},
  };
  for (const auto& [typed, shown] : cases) {
    rig.client.command("Lobby", client::parseCommand(typed));
    rig.host.settle();
    EXPECT_EQ(rig.client.transcript("Lobby").back(), shown) << typed;
  }
  EXPECT_EQ(rig.client.topic("Lobby"), "Mass spar at nine");
  rig.client.command("Lobby", client::parseCommand("/join Arena"));
  rig.host.settle();
  EXPECT_EQ(rig.client.roomNames(), (std::vector<std::string>{"Arena", "Lobby"}));
}

TEST(Commands, AreReadFromTheSayBox) {
  using K = client::CommandKind;
  const std::pair<const char*, client::Command> cases[] = {
      {"hello all", {K::Say, "", "", "hello all"}},
      {"//roll", {K::Say, "", "", "//roll"}},
      {" /msg Bob hi", {K::Say, "", "", " /msg Bob hi"}},
      {"/me waves at all", {K::Me, "me", "", "waves at all"}},
      {"/ME  waves ", {K::Me, "me", "", "waves"}},
      {"/me", {K::Usage, "me", "", "/me ACTION"}},
      {"/msg Watcher hello  there", {K::Msg, "msg", "Watcher", "hello  there"}},
      {"/msg Watcher", {K::Usage, "msg", "", "/msg NICK TEXT"}},
      {"/notice Bob\tpsst", {K::Notice, "notice", "Bob", "psst"}},
      {"/join Spar Arena ", {K::Join, "join", "Spar Arena", ""}},
      {"/join", {K::Usage, "join", "", "/join ROOM"}},
      {"/part off to bed", {K::Part, "part", "", "off to bed"}},
      {"/nick Watcher_", {K::Nick, "nick", "Watcher_", ""}},
      {"/nick two words", {K::Usage, "nick", "", "/nick NAME"}},
      {"/topic Mass spar", {K::Topic, "topic", "", "Mass spar"}},
      {"/mode +l 5", {K::Mode, "mode", "", "+l 5"}},
      {"/mode #Spar_Arena +o DiceHost", {K::Mode, "mode", "#Spar_Arena", "+o DiceHost"}},
      {"/mode #Spar_Arena",
       {K::Usage, "mode", "", "/mode [#CHANNEL] +o NICK, -o NICK, +l N or -l"}},
      {"/op DiceHost", {K::Mode, "op", "", "+o DiceHost"}},
      {"/Deop DiceHost", {K::Mode, "deop", "", "-o DiceHost"}},
      {"/quit see you", {K::Quit, "quit", "", "see you"}},
      {"/whois Watcher", {K::Whois, "whois", "Watcher", ""}},
      {"/roll", {K::Unknown, "roll", "", ""}},
      {"/", {K::Unknown, "", "", ""}},
  };
  for (const auto& [line, command] : cases) {
    const client::Command read = client::parseCommand(line);
    EXPECT_EQ(static_cast<int>(read.kind), static_cast<int>(command.kind)) << line;
    EXPECT_EQ(read.name, command.name) << line;
    EXPECT_EQ(read.target, command.target) << line;
    EXPECT_EQ(read.text, command.text) << line;
  }
}

TEST(Client, KeepsTopicsTimesAndTheLinesOfRoomsLeft) {
  client::Desktop windows;
  FakeService service;
  client::Client client(windows, service);
  std::string now = "20:15";
  client.clock = [&] { return now; };
  using Lines = std::vector<std::string>;

  client.openRoom("#spar");
  service.tell->topicChanged("#spar", "Spar at\tnine\r\ntonight");
  EXPECT_EQ(client.topic("#spar"), "Spar at nine  tonight");

  service.tell->chatLine("#spar", "Ann", "hi");
  now = "20:16";
  service.tell->roomNotice("#spar", "Bob has entered the room.");
  EXPECT_EQ(client.transcript("#spar").front(), "Ann:\thi") << "the scanner reads a time";
  // The user's lines not sent yet follow, without a time, and never in the transcript.
  service.tell->linesWaiting("#spar", {"soon\tnow"});
  EXPECT_EQ(client.history("#spar").back(),
            (client::ShownLine{"", "Waiting to be sent: soon now"}));
  EXPECT_EQ(client.transcript("#spar").size(), 2u);
  service.tell->linesWaiting("#spar", {});

  // Leaving keeps the lines for the person until the room is closed; the room's window is gone.
  client.closeRoom("#spar");
  EXPECT_EQ(client.room("#spar"), 0u);
  EXPECT_EQ(client.leftRooms(), Lines{"#spar"});
  const std::vector<client::ShownLine> left = {{"20:15", "Ann:\thi"},
                                               {"20:16", "Bob has entered the room."},
                                               {"20:16", "You left the room."}};
  EXPECT_EQ(client.history("#spar"), left);

  // Back in the room: the earlier stay, then the new one. Put out again: both are kept.
  now = "21:00";
  service.tell->roomEntered("#spar");
  service.tell->chatLine("#spar", "Cy", "back");
  EXPECT_TRUE(client.leftRooms().empty());
  service.tell->roomLeft("#spar");
  auto again = left;
  again.push_back({"21:00", "Cy:\tback"});
  again.push_back({"21:00", "You were put out of the room."});
  EXPECT_EQ(client.history("#spar"), again);
  client.forgetRoom("#spar");
  EXPECT_TRUE(client.leftRooms().empty());
  EXPECT_TRUE(client.history("#spar").empty());
}

}  // namespace
}  // namespace kestar::test
