// Writes the bundled demo song: "Twinkle, Twinkle, Little Star" (words by Jane Taylor, 1806;
// traditional French tune), both public domain, as a MIDI karaoke file with a melody, a bass line
// and the lyrics as text events in the usual karaoke marks ("\" paragraph, "/" line).
//
// usage: lyrovox-make-demo OUT.kar

#include <cstdio>
#include <string>
#include <vector>

#include "common/smf_builder.h"

namespace {

constexpr uint16_t kDivision = 480;
constexpr uint32_t kQuarter = kDivision;
constexpr uint32_t kBar = 4 * kQuarter;

// One seven-note phrase of the tune: six quarters and a half note, as MIDI keys.
struct Phrase {
  int keys[7];
  int bass[2];  // roots of the two chords of the phrase (one per bar)
};

constexpr int C4 = 60, D4 = 62, E4 = 64, F4 = 65, G4 = 67, A4 = 69;
constexpr Phrase kOpening = {{C4, C4, G4, G4, A4, A4, G4}, {48, 53}};  // C  F/C
constexpr Phrase kClosing = {{F4, F4, E4, E4, D4, D4, C4}, {53, 48}};  // F  C
constexpr Phrase kMiddle = {{G4, G4, F4, F4, E4, E4, D4}, {48, 43}};   // C  G

struct Line {
  const Phrase* phrase;
  const char* syllables[7];
};

// Each line is one phrase; syllables carry the spaces and punctuation that follow them.
const std::vector<std::vector<Line>> kVerses = {
    {{&kOpening, {"Twin", "kle, ", "twin", "kle, ", "lit", "tle ", "star, "}},
     {&kClosing, {"How ", "I ", "won", "der ", "what ", "you ", "are! "}},
     {&kMiddle, {"Up ", "a", "bove ", "the ", "world ", "so ", "high, "}},
     {&kMiddle, {"Like ", "a ", "dia", "mond ", "in ", "the ", "sky. "}},
     {&kOpening, {"Twin", "kle, ", "twin", "kle, ", "lit", "tle ", "star, "}},
     {&kClosing, {"How ", "I ", "won", "der ", "what ", "you ", "are! "}}},
    {{&kOpening, {"When ", "the ", "blaz", "ing ", "sun ", "is ", "gone, "}},
     {&kClosing, {"When ", "he ", "noth", "ing ", "shines ", "up", "on, "}},
     {&kMiddle, {"Then ", "you ", "show ", "your ", "lit", "tle ", "light, "}},
     {&kMiddle, {"Twin", "kle, ", "twin", "kle, ", "all ", "the ", "night. "}},
     {&kOpening, {"Twin", "kle, ", "twin", "kle, ", "lit", "tle ", "star, "}},
     {&kClosing, {"How ", "I ", "won", "der ", "what ", "you ", "are! "}}},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.kar\n", argv[0]);
    return 2;
  }
  using lyrovox::smf::File;
  File file(1, kDivision);

  auto& conductor = file.AddTrack();
  conductor.Meta(0, 0x03, "Twinkle, Twinkle, Little Star");
  conductor.Tempo(0, 600000);  // 100 beats per minute

  auto& words = file.AddTrack();
  words.Meta(0, 0x03, "Words");
  words.Text(0, "@KMIDI KARAOKE FILE");
  words.Text(0, "@V0100");
  words.Text(0, "@LENGL");
  words.Text(0, "@TTwinkle, Twinkle, Little Star");
  words.Text(0, "@TJane Taylor (1806), traditional tune");

  auto& melody = file.AddTrack();
  melody.Meta(0, 0x03, "Melody");
  melody.Program(0, 0, 73);  // flute
  melody.Controller(0, 0, 7, 110);

  auto& bass = file.AddTrack();
  bass.Meta(0, 0x03, "Bass");
  bass.Program(0, 1, 32);  // acoustic bass
  bass.Controller(0, 1, 7, 90);

  uint32_t tick = 2 * kBar;  // two bars to get ready
  for (const auto& verse : kVerses) {
    bool firstLine = true;
    for (const Line& line : verse) {
      for (int i = 0; i < 7; ++i) {
        const uint32_t length = i == 6 ? 2 * kQuarter : kQuarter;
        const std::string mark = i != 0 ? "" : firstLine ? "\\" : "/";
        const std::string text = mark + line.syllables[i];
        words.Text(tick, text);
        melody.Note(tick, length - 40, 0, static_cast<uint8_t>(line.phrase->keys[i]), 96);
        if (i == 0 || i == 4) {
          const int root = line.phrase->bass[i == 0 ? 0 : 1];
          bass.Note(tick, 2 * kQuarter - 40, 1, static_cast<uint8_t>(root), 80);
          bass.Note(tick + 2 * kQuarter, 2 * kQuarter - 40, 1, static_cast<uint8_t>(root + 7), 70);
        }
        tick += length;
      }
      firstLine = false;
    }
    tick += kBar;  // a bar of rest between the verses
  }

  if (!file.Write(argv[1])) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
