// Fills the lyric store from an XML side file: one syllable per timed element, a
// singer mark in front of every line.

#include <string_view>

#include "lyrics/field_scanner.h"
#include "lyrics/lyric_store.h"
#include "lyrics/text_buffer.h"
#include "lyrics/xml/xml_node.h"

namespace lyrovox {

namespace {

// "va" read with "%d:%d:%1d%1d" (minutes, seconds, two digits of hundredths) in milliseconds;
// -1 when not all four fields are read.
int64_t ReadVa(std::u16string_view va) {
  FieldScanner<char16_t> s(va);
  int64_t min = 0, sec = 0, d1 = 0, d2 = 0;
  if (!(s.Int(min) && s.Literal(':') && s.Int(sec) && s.Literal(':') && s.Digit(d1) &&
        s.Digit(d2))) {
    return -1;
  }
  return (((min * 60 + sec) * 10 + d1) * 10 + d2) * 10;
}

std::u16string_view SingerMark(std::u16string_view s) {
  if (s == u"m") return u"M: ";
  if (s == u"f") return u"F: ";
  return u"D: ";  // a duet, and also a line that names no singer
}

void FillXml(LyricStore& store, const CXmlNode& document) {
  const CXmlNode root = document.GetRoot();
  if (!root.IsValid() || root.GetName() != u"data") return;
  const CXmlNodes lines = root.GetChildren();
  for (int k = 0; k < lines.GetCount(); ++k) {
    const CXmlNode line = lines.GetItem(k);
    // The mark goes into the next free syllable (the last one of a full store) and waits there
    // for the line's first timed syllable; a line without one leaves it to the next line's mark.
    CopyText(store.syllables[store.AppendSlot()].text, SingerMark(line.GetAttribute("s")));
    bool markWaiting = true;
    const CXmlNodes syllables = line.GetChildren();
    const int n = syllables.GetCount();
    for (int i = 0; i < n; ++i) {
      const CXmlNode syllable = syllables.GetItem(i);
      const int64_t t = ReadVa(syllable.GetAttribute("va"));
      if (t <= 0) continue;
      LyricSyllable& s = store.syllables[store.AppendSlot()];
      // In a full store the last slot still holds the syllable before: it is overwritten, not
      // appended to.
      if (!markWaiting) s.text[0] = 0;
      markWaiting = false;
      AppendText(s.text, syllable.GetText());
      if (i < n - 1) AppendText(s.text, u" ");
      s.lineBreak = i == 0 ? 1 : 0;
      s.timeMs = t > INT32_MAX ? INT32_MAX : static_cast<int32_t>(t);
      s.shown = 0;
      store.CountAppended();
    }
  }
}

}  // namespace

void LyricStore::LoadXmlLyrics(const std::string& path) {
  CXmlNode document;
  if (document.Load(path)) FillXml(*this, document);
}

void LyricStore::LoadXmlLyricsBytes(std::span<const uint8_t> bytes) {
  CXmlNode document;
  if (document.LoadBytes(bytes)) FillXml(*this, document);
}

}  // namespace lyrovox
