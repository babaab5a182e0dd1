#pragma once

// The fair order of the reserved list: every waiting song belongs to a singer ("Host" for the
// songs the desktop queues); each singer's songs keep their own order, and singers take turns,
// one song per turn, in the order they first asked. Turns are counted in rounds: a singer's next
// song belongs to the current round unless the singer has already sung in it, and within a round
// singers go in the order they joined, so a newcomer sings at the end of the current round. The
// host's own moves stand: a song moved to the front stays in front of the rotation (the latest
// move first), a deleted song is gone. A paused singer keeps the place but is skipped: their
// songs wait at the end until they are resumed. Plain C++, no Qt.

#include <cstdint>
#include <string>
#include <vector>

namespace lyrovox {

// The singer of the songs the desktop queues.
inline constexpr char kHostSinger[] = "Host";

class Rotation {
 public:
  struct Singer {
    std::string name;
    // The round of the singer's next turn: a turn taken in round r makes it r + 1.
    int64_t nextRound = 0;
    bool paused = false;
  };
  struct Entry {
    uint64_t id = 0;
    std::string singer;
    // 0: in the rotation; else moved to the front by the host (a larger value is a later move).
    uint64_t pinned = 0;
  };

  // A new waiting song, at the end of its singer's own songs. A singer seen for the first time
  // joins the rotation last. False (and nothing changes) when the id is already waiting.
  bool Add(uint64_t id, const std::string& singer);
  // The song leaves the queue without being sung (the host deleted it, the singer cancelled).
  bool Remove(uint64_t id);
  // The host put the song in front of every other.
  bool MoveToFront(uint64_t id);
  // The song is taken to be sung: it leaves the queue and its singer's turn is used.
  bool Start(uint64_t id);
  // A paused singer is skipped until resumed, keeping the place in the rotation.
  bool SetPaused(const std::string& singer, bool paused);
  // The singer and every song of theirs leave; the removed songs' ids in queue order.
  std::vector<uint64_t> RemoveSinger(const std::string& singer);
  void Clear();

  // The queue: the host's moves first, then the rotation's turns, then paused singers' songs.
  std::vector<uint64_t> Order() const;
  // The singer of a waiting song, or null.
  const std::string* SingerOf(uint64_t id) const;
  bool IsPaused(const std::string& singer) const;
  bool Contains(uint64_t id) const { return FindEntry(id) >= 0; }
  // The host moved the song to the front.
  bool IsPinned(uint64_t id) const;
  // Waiting songs of a singer.
  int CountOf(const std::string& singer) const;
  int size() const { return static_cast<int>(entries_.size()); }

  // The whole state, in join order and request order, to be kept and given back after a restart.
  const std::vector<Singer>& singers() const { return singers_; }
  const std::vector<Entry>& entries() const { return entries_; }
  int64_t currentRound() const { return round_; }
  uint64_t lastMove() const { return moves_; }
  void Restore(std::vector<Singer> singers, std::vector<Entry> entries, int64_t round);

 private:
  int FindSinger(const std::string& name) const;
  int FindEntry(uint64_t id) const;

  std::vector<Singer> singers_;  // in the order they joined
  std::vector<Entry> entries_;   // in the order they were asked for
  int64_t round_ = 0;            // the round of the last song started
  uint64_t moves_ = 0;
};

}  // namespace lyrovox
