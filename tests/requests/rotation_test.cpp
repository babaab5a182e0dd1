#include "requests/rotation.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

namespace lyrovox {
namespace {

// A song is written as its singer's letter in lower case and its number ("b2": singer B's
// second song; "h1": the host's). Steps: "+b2" asked for, "-b2" deleted, "^b2" moved to the
// front, "!b2" started, "pB" / "rB" singer paused / resumed, "xB" singer removed. After each
// step the queue must be as worked out by hand.
struct Step {
  const char* op;
  const char* queue;
};
struct Table {
  const char* name;
  std::vector<Step> steps;
};

std::string SingerName(char letter) {
  return letter == 'H' ? std::string(kHostSinger) : std::string(1, letter);
}

uint64_t IdOf(const std::string& song) {
  return static_cast<uint64_t>(song[0]) * 1000 + std::stoul(song.substr(1));
}

std::string Queue(const Rotation& rotation, const std::map<uint64_t, std::string>& names) {
  std::string text;
  for (uint64_t id : rotation.Order()) {
    if (!text.empty()) text += ' ';
    text += names.at(id);
  }
  return text;
}

void RunTable(const Table& table) {
  Rotation rotation;
  std::map<uint64_t, std::string> names;
  for (const Step& step : table.steps) {
    const std::string op = step.op;
    const std::string arg = op.substr(1);
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(arg[0])));
    switch (op[0]) {
      case '+':
        names[IdOf(arg)] = arg;
        EXPECT_TRUE(rotation.Add(IdOf(arg), SingerName(letter))) << table.name << " " << op;
        break;
      case '-':
        EXPECT_TRUE(rotation.Remove(IdOf(arg))) << table.name << " " << op;
        break;
      case '^':
        EXPECT_TRUE(rotation.MoveToFront(IdOf(arg))) << table.name << " " << op;
        break;
      case '!':
        EXPECT_TRUE(rotation.Start(IdOf(arg))) << table.name << " " << op;
        break;
      case 'p':
      case 'r':
        EXPECT_TRUE(rotation.SetPaused(SingerName(arg[0]), op[0] == 'p')) << table.name << op;
        break;
      case 'x':
        rotation.RemoveSinger(SingerName(arg[0]));
        break;
    }
    EXPECT_EQ(Queue(rotation, names), step.queue) << table.name << " after " << op;
  }
}

TEST(RotationTest, HandWorkedTables) {
  const std::vector<Table> tables = {
      {"three singers, different counts",
       {{"+a1", "a1"},
        {"+a2", "a1 a2"},
        {"+a3", "a1 a2 a3"},
        {"+b1", "a1 b1 a2 a3"},
        {"+c1", "a1 b1 c1 a2 a3"},
        {"+c2", "a1 b1 c1 a2 c2 a3"},
        {"!a1", "b1 c1 a2 c2 a3"},
        {"!b1", "c1 a2 c2 a3"},
        {"+b2", "c1 a2 b2 c2 a3"},
        {"!c1", "a2 b2 c2 a3"},
        {"!a2", "b2 c2 a3"}}},
      {"five singers, requests interleaved",
       {{"+a1", "a1"},
        {"+b1", "a1 b1"},
        {"+b2", "a1 b1 b2"},
        {"+c1", "a1 b1 c1 b2"},
        {"+b3", "a1 b1 c1 b2 b3"},
        {"+d1", "a1 b1 c1 d1 b2 b3"},
        {"+e1", "a1 b1 c1 d1 e1 b2 b3"},
        {"+c2", "a1 b1 c1 d1 e1 b2 c2 b3"},
        {"+e2", "a1 b1 c1 d1 e1 b2 c2 e2 b3"},
        {"!a1", "b1 c1 d1 e1 b2 c2 e2 b3"},
        {"!b1", "c1 d1 e1 b2 c2 e2 b3"},
        // A sang in round 0: the new song waits for round 1, before B (A joined first).
        {"+a2", "c1 d1 e1 a2 b2 c2 e2 b3"},
        {"xC", "d1 e1 a2 b2 e2 b3"}}},
      {"a late joiner enters at the end of the current round",
       {{"+a1", "a1"},
        {"+a2", "a1 a2"},
        {"+b1", "a1 b1 a2"},
        {"+b2", "a1 b1 a2 b2"},
        {"+c1", "a1 b1 c1 a2 b2"},
        {"+c2", "a1 b1 c1 a2 b2 c2"},
        {"!a1", "b1 c1 a2 b2 c2"},
        {"+d1", "b1 c1 d1 a2 b2 c2"},
        {"+d2", "b1 c1 d1 a2 b2 c2 d2"},
        {"!b1", "c1 d1 a2 b2 c2 d2"},
        {"!c1", "d1 a2 b2 c2 d2"},
        {"!d1", "a2 b2 c2 d2"},
        {"!a2", "b2 c2 d2"},
        // Round 1 is under way (A sang in it): E comes after D.
        {"+e1", "b2 c2 d2 e1"},
        // A singer who had nothing waiting sings next in the current round only if not yet sung
        // in it: A has, so round 2.
        {"+a3", "b2 c2 d2 e1 a3"}}},
      {"a paused singer keeps the place",
       {{"+a1", "a1"},
        {"+b1", "a1 b1"},
        {"+c1", "a1 b1 c1"},
        {"+d1", "a1 b1 c1 d1"},
        {"+a2", "a1 b1 c1 d1 a2"},
        {"+b2", "a1 b1 c1 d1 a2 b2"},
        {"+c2", "a1 b1 c1 d1 a2 b2 c2"},
        {"+d2", "a1 b1 c1 d1 a2 b2 c2 d2"},
        {"pB", "a1 c1 d1 a2 c2 d2 b1 b2"},
        {"!a1", "c1 d1 a2 c2 d2 b1 b2"},
        {"!c1", "d1 a2 c2 d2 b1 b2"},
        // Back in round 0, where B's place is before D.
        {"rB", "b1 d1 a2 b2 c2 d2"},
        {"pB", "d1 a2 c2 d2 b1 b2"},
        {"!d1", "a2 c2 d2 b1 b2"},
        {"!a2", "c2 d2 b1 b2"},
        // Round 1 is under way: B's missed turn of round 0 is not made up, B sings in round 1.
        {"rB", "b1 c2 d2 b2"}}},
      {"the host takes turns and the host's moves stand",
       {{"+h1", "h1"},
        {"+a1", "h1 a1"},
        {"+a2", "h1 a1 a2"},
        {"+b1", "h1 a1 b1 a2"},
        {"+h2", "h1 a1 b1 h2 a2"},
        {"^a2", "a2 h1 a1 b1 h2"},
        {"^b1", "b1 a2 h1 a1 h2"},
        // Songs moved forward count as their singers' turns.
        {"!b1", "a2 h1 a1 h2"},
        {"!a2", "h1 h2 a1"},
        {"-h1", "h2 a1"},
        {"^a1", "a1 h2"},
        {"-a1", "h2"},
        {"!h2", ""}}},
  };
  for (const Table& table : tables)
    RunTable(table);
}

TEST(RotationTest, RestoredStateGivesTheSameQueue) {
  Rotation rotation;
  const std::vector<std::pair<uint64_t, std::string>> songs = {{1, "A"}, {2, "A"}, {3, "B"},
                                                               {4, "C"}, {5, "B"}, {6, "Host"}};
  for (const auto& [id, singer] : songs)
    rotation.Add(id, singer);
  rotation.Start(1);
  rotation.MoveToFront(5);
  rotation.SetPaused("C", true);
  const std::vector<uint64_t> before = rotation.Order();
  EXPECT_EQ(before, (std::vector<uint64_t>{5, 3, 6, 2, 4}));

  Rotation restored;
  restored.Restore(rotation.singers(), rotation.entries(), rotation.currentRound());
  EXPECT_EQ(restored.Order(), before);
  EXPECT_TRUE(restored.IsPaused("C"));
  // A later move goes in front of the restored one.
  restored.MoveToFront(2);
  EXPECT_EQ(restored.Order(), (std::vector<uint64_t>{2, 5, 3, 6, 4}));
  // Unknown ids and singers change nothing.
  EXPECT_FALSE(restored.Add(3, "Z"));
  EXPECT_FALSE(restored.Remove(99));
  EXPECT_FALSE(restored.SetPaused("Z", true));
  EXPECT_EQ(restored.CountOf("B"), 2);
}

}  // namespace
}  // namespace lyrovox
