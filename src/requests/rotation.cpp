#include "requests/rotation.h"

#include <algorithm>
#include <tuple>

namespace lyrovox {

int Rotation::FindSinger(const std::string& name) const {
  for (size_t i = 0; i < singers_.size(); ++i) {
    if (singers_[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

int Rotation::FindEntry(uint64_t id) const {
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

bool Rotation::Add(uint64_t id, const std::string& singer) {
  if (FindEntry(id) >= 0) return false;
  if (FindSinger(singer) < 0) singers_.push_back({singer, round_, false});
  entries_.push_back({id, singer, 0});
  return true;
}

bool Rotation::Remove(uint64_t id) {
  const int i = FindEntry(id);
  if (i < 0) return false;
  entries_.erase(entries_.begin() + i);
  return true;
}

bool Rotation::MoveToFront(uint64_t id) {
  const int i = FindEntry(id);
  if (i < 0) return false;
  entries_[static_cast<size_t>(i)].pinned = ++moves_;
  return true;
}

bool Rotation::Start(uint64_t id) {
  const int i = FindEntry(id);
  if (i < 0) return false;
  const int s = FindSinger(entries_[static_cast<size_t>(i)].singer);
  if (s >= 0) {
    // The turn is taken in the round the singer was due in (never one already past); a song the
    // host moved forward counts as the singer's turn too.
    Singer& singer = singers_[static_cast<size_t>(s)];
    const int64_t round = std::max(singer.nextRound, round_);
    singer.nextRound = round + 1;
    if (entries_[static_cast<size_t>(i)].pinned == 0) round_ = round;
  }
  entries_.erase(entries_.begin() + i);
  return true;
}

bool Rotation::SetPaused(const std::string& singer, bool paused) {
  const int s = FindSinger(singer);
  if (s < 0) return false;
  singers_[static_cast<size_t>(s)].paused = paused;
  return true;
}

std::vector<uint64_t> Rotation::RemoveSinger(const std::string& singer) {
  std::vector<uint64_t> removed;
  for (uint64_t id : Order()) {
    const std::string* name = SingerOf(id);
    if (name != nullptr && *name == singer) removed.push_back(id);
  }
  std::erase_if(entries_, [&](const Entry& e) { return e.singer == singer; });
  std::erase_if(singers_, [&](const Singer& s) { return s.name == singer; });
  return removed;
}

void Rotation::Clear() {
  entries_.clear();
  singers_.clear();
  round_ = 0;
  moves_ = 0;
}

std::vector<uint64_t> Rotation::Order() const {
  // Sort keys: the host's moves (latest first), then (round, join order) of active singers, then
  // paused singers' songs by join order; ties keep the order the songs were asked for.
  struct Keyed {
    int group;
    int64_t a;
    int64_t b;
    size_t seq;
    uint64_t id;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(entries_.size());
  std::vector<int64_t> taken(singers_.size(), 0);
  for (size_t seq = 0; seq < entries_.size(); ++seq) {
    const Entry& e = entries_[seq];
    if (e.pinned != 0) {
      keyed.push_back({0, -static_cast<int64_t>(e.pinned), 0, seq, e.id});
      continue;
    }
    const int s = FindSinger(e.singer);
    if (s < 0) {
      keyed.push_back({3, 0, 0, seq, e.id});
      continue;
    }
    const Singer& singer = singers_[static_cast<size_t>(s)];
    const int64_t k = taken[static_cast<size_t>(s)]++;
    if (singer.paused) {
      keyed.push_back({2, s, k, seq, e.id});
    } else {
      keyed.push_back({1, std::max(singer.nextRound, round_) + k, s, seq, e.id});
    }
  }
  std::sort(keyed.begin(), keyed.end(), [](const Keyed& x, const Keyed& y) {
    return std::tie(x.group, x.a, x.b, x.seq) < std::tie(y.group, y.a, y.b, y.seq);
  });
  std::vector<uint64_t> order;
  order.reserve(keyed.size());
  for (const Keyed& k : keyed)
    order.push_back(k.id);
  return order;
}

const std::string* Rotation::SingerOf(uint64_t id) const {
  const int i = FindEntry(id);
  return i < 0 ? nullptr : &entries_[static_cast<size_t>(i)].singer;
}

bool Rotation::IsPinned(uint64_t id) const {
  const int i = FindEntry(id);
  return i >= 0 && entries_[static_cast<size_t>(i)].pinned != 0;
}

bool Rotation::IsPaused(const std::string& singer) const {
  const int s = FindSinger(singer);
  return s >= 0 && singers_[static_cast<size_t>(s)].paused;
}

int Rotation::CountOf(const std::string& singer) const {
  return static_cast<int>(std::count_if(entries_.begin(), entries_.end(),
                                        [&](const Entry& e) { return e.singer == singer; }));
}

void Rotation::Restore(std::vector<Singer> singers, std::vector<Entry> entries, int64_t round) {
  singers_ = std::move(singers);
  entries_ = std::move(entries);
  round_ = round;
  moves_ = 0;
  for (const Entry& e : entries_)
    moves_ = std::max(moves_, e.pinned);
  // Every waiting song's singer is in the rotation.
  for (const Entry& e : entries_) {
    if (FindSinger(e.singer) < 0) singers_.push_back({e.singer, round_, false});
  }
}

}  // namespace lyrovox
