// The reserved list in fair turns on the controller: the host's and the phones' songs, the host's
// moves, a paused and a removed singer, a phone's cancellation, and the song that plays next.

#include <gtest/gtest.h>

#include "common/smf_builder.h"
#include "controller/main_frame.h"
#include "frame_rig.h"

namespace lyrovox {
namespace {

using testing::Kar;

class SingerRotationTest : public testing::FrameRig {
 protected:
  SingerRotationTest() { MakeFrame(Settings{}); }

  QString Path(const std::string& name) { return Song(name + ".kar", Kar(name)); }
  // The host's song by number, and a phone's.
  void Host(const std::string& name, int number) {
    frame->ReserveNumberedSong(Path(name), number, false);
  }
  void Phone(const std::string& name, const char* singer, quint64 entry) {
    frame->ReserveRequestedSong(Path(name), 7, QString::fromLatin1(singer), entry);
  }
  // The queue as "song/singer", a paused one marked "*".
  QString Queue() const {
    QStringList rows;
    for (const auto& row : reserved.rows) {
      const QString name = row.path.section('/', -1).section('.', 0, 0);
      rows << name + "/" + row.singer + (row.paused ? "*" : "");
    }
    return rows.join(' ');
  }
  int RowOf(const std::string& name) const {
    for (size_t r = 0; r < reserved.rows.size(); ++r) {
      if (reserved.rows[r].path.endsWith(QString::fromStdString("/" + name + ".kar")))
        return static_cast<int>(r);
    }
    return -1;
  }
  QString Playing() const {
    return frame->currentSongPath().section('/', -1).section('.', 0, 0) + "/" +
           frame->currentSinger();
  }
  void Next() {
    frame->StopSong();
    frame->PlayNextSong();
  }
};

TEST_F(SingerRotationTest, SingersTakeTurnsAndTheHostStaysInControl) {
  // Nothing plays and nothing waits: the first song plays at once, under its singer.
  Phone("m0", "Mai", 1001);
  EXPECT_EQ(Playing(), "m0/Mai");
  EXPECT_EQ(Queue(), "");

  Host("h1", 11);
  Phone("m1", "Mai", 1002);
  Phone("m2", "Mai", 1003);
  Phone("l1", "Lan", 1004);
  Host("h2", 12);
  // Mai joined first and has sung in round one; then the host and Lan joined. Round one: h1 l1;
  // round two: m1 h2; round three: m2.
  EXPECT_EQ(Queue(), "h1/Host l1/Lan m1/Mai h2/Host m2/Mai");
  EXPECT_EQ(reserved.rows[2].id, 1002u);  // a phone's entry keeps the id it was given
  EXPECT_EQ(screen.reservedNumbers, "  000011  000007  000007  000012  000007");
  EXPECT_EQ(screen.nextSongTitle, " h1");

  Next();
  EXPECT_EQ(Playing(), "h1/Host");
  // Paused: Mai's songs wait at the end and are passed over.
  frame->PauseSinger("Mai", true);
  EXPECT_EQ(Queue(), "l1/Lan h2/Host m1/Mai* m2/Mai*");
  Next();
  EXPECT_EQ(Playing(), "l1/Lan");
  // A newcomer sings at the end of the round under way: round one ended with Lan, so Eve is
  // next, before round two's h2.
  Phone("e1", "Eve", 1005);
  EXPECT_EQ(Queue(), "e1/Eve h2/Host m1/Mai* m2/Mai*");
  // The host's move stands, even for a paused singer's song.
  frame->MoveReservedToFront(RowOf("m2"));
  EXPECT_EQ(Queue(), "m2/Mai e1/Eve h2/Host m1/Mai*");
  Next();
  EXPECT_EQ(Playing(), "m2/Mai");
  // Mai back: the moved song was her turn of round two, so m1 waits for round three.
  frame->PauseSinger("Mai", false);
  EXPECT_EQ(Queue(), "e1/Eve h2/Host m1/Mai");
  // A phone cancels its own song; the host's songs keep their order.
  frame->CancelRequestedSong(1005);
  EXPECT_EQ(Queue(), "h2/Host m1/Mai");
  Host("h3", 13);
  Phone("l2", "Lan", 1006);
  EXPECT_EQ(Queue(), "h2/Host l2/Lan m1/Mai h3/Host");
  frame->RemoveSinger("Lan");
  EXPECT_EQ(Queue(), "h2/Host m1/Mai h3/Host");
  // Deleted: the host's next song takes its turn.
  frame->DeleteReserved(RowOf("h2"));
  EXPECT_EQ(Queue(), "h3/Host m1/Mai");
  // Escape twice takes the last row; the rotation follows the list.
  frame->OnEscapeKey();
  frame->OnEscapeKey();
  EXPECT_EQ(Queue(), "h3/Host");
  EXPECT_EQ(frame->rotation().size(), 1);
  Next();
  EXPECT_EQ(Playing(), "h3/Host");
  EXPECT_EQ(frame->rotation().size(), 0);
}

TEST_F(SingerRotationTest, APausedSingersSongsAloneDoNotPlay) {
  Phone("m0", "Mai", 2001);
  Phone("m1", "Mai", 2002);
  frame->PauseSinger("Mai", true);
  Next();
  EXPECT_FALSE(frame->isPlaying());
  EXPECT_EQ(Queue(), "m1/Mai*");
  frame->PauseSinger("Mai", false);
  Next();
  EXPECT_EQ(Playing(), "m1/Mai");
}

}  // namespace
}  // namespace lyrovox
