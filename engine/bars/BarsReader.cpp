#include "engine/bars/BarsReader.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "engine/bars/LineScanner.h"
#include "engine/bars/SymbolBand.h"

namespace vexo::engine {
namespace {

// Lines of one symbol may be this many scanned lines apart: a spot or a
// crease spoils a few lines of a symbol that the others read.
constexpr Int32 kMaxLineGap = 3;
// Reads of two lines lie at one place when they overlap by this share of
// the shorter.
constexpr float kMinOverlap = 0.5f;
// A symbol whose checks verify is kept while the lines across it that read
// it otherwise are at most this share of those that agree: a line through a
// spot may misread a weakly checked symbol, and it loses to the many.
constexpr int kMaxDisagreePercent = 25;

struct Hit {
  std::size_t decoder;  // index into the table
  LineRead read;
  Int32 line;
};

// Reads of one symbol on neighbouring lines.
struct Track {
  std::vector<std::size_t> hits;
  Int32 first = 0, last = 0;
  float begin = 0, end = 0;  // the union of its reads along the lines
};

bool Overlap(float b0, float e0, float b1, float e1) {
  const float shorter = std::min(e0 - b0, e1 - b1);
  return std::min(e0, e1) - std::max(b0, b1) >= kMinOverlap * shorter;
}

bool SameSymbol(const Hit& a, const Hit& b) {
  return a.decoder == b.decoder && a.read.reversed == b.read.reversed &&
         a.read.content == b.read.content;
}

// Columns are scanned this many at a time (ScanColumns).
constexpr Int32 kColumnBatch = 256;

std::vector<Hit> ScanLines(const ScanAxis& axis, const RowDecoderTable& table,
                           const std::vector<std::size_t>& active) {
  std::vector<Hit> hits;
  std::vector<LineRead> reads;
  const auto decode = [&](const RunRow& row, Int32 line) {
    for (const std::size_t d : active) {
      if (row.widths.size() < table[d].minRuns) continue;
      reads.clear();
      table[d].decode(row, reads);
      for (LineRead& read : reads) hits.push_back({d, std::move(read), line});
    }
  };
  for (Int32 line = kLineStep / 2; line < axis.Lines();) {
    if (!axis.columns) {
      decode(axis.Scan(line), line);
      line += kLineStep;
      continue;
    }
    for (const RunRow& row : ScanColumns(axis.view, line, kLineStep, kColumnBatch)) {
      decode(row, line);
      line += kLineStep;
    }
  }
  return hits;
}

// Joins hits of the same symbol on neighbouring lines; hits come line by line.
std::vector<Track> JoinTracks(const std::vector<Hit>& hits) {
  std::vector<Track> tracks;
  for (std::size_t h = 0; h < hits.size(); ++h) {
    const Hit& hit = hits[h];
    Track* joined = nullptr;
    for (Track& track : tracks) {
      const Hit& tail = hits[track.hits.back()];
      if (tail.line < hit.line && hit.line - tail.line <= kMaxLineGap * kLineStep &&
          SameSymbol(tail, hit) &&
          Overlap(tail.read.begin, tail.read.end, hit.read.begin, hit.read.end)) {
        joined = &track;
        break;
      }
    }
    if (joined == nullptr) {
      tracks.push_back({{h}, hit.line, hit.line, hit.read.begin, hit.read.end});
      continue;
    }
    joined->hits.push_back(h);
    joined->last = hit.line;
    joined->begin = std::min(joined->begin, hit.read.begin);
    joined->end = std::max(joined->end, hit.read.end);
  }
  return tracks;
}

// Whether lines between two tracks read something else at their place: then
// they are parts of one symbol that those lines read otherwise.
bool Interrupted(const std::vector<Hit>& hits, const Track& upper, const Track& lower) {
  const Hit& own = hits[upper.hits.front()];
  return std::any_of(hits.begin(), hits.end(), [&](const Hit& hit) {
    return hit.line > upper.last && hit.line < lower.first && !SameSymbol(hit, own) &&
           Overlap(upper.begin, upper.end, hit.read.begin, hit.read.end) &&
           Overlap(lower.begin, lower.end, hit.read.begin, hit.read.end);
  });
}

// Joins tracks of one symbol that lines reading something else keep apart.
void JoinInterrupted(const std::vector<Hit>& hits, std::vector<Track>& tracks) {
  for (std::size_t a = 0; a < tracks.size(); ++a) {
    for (std::size_t b = a + 1; b < tracks.size();) {
      Track& upper = tracks[a];
      const Track& lower = tracks[b];
      if (lower.first > upper.last &&
          SameSymbol(hits[upper.hits.front()], hits[lower.hits.front()]) &&
          Overlap(upper.begin, upper.end, lower.begin, lower.end) &&
          Interrupted(hits, upper, lower)) {
        upper.hits.insert(upper.hits.end(), lower.hits.begin(), lower.hits.end());
        upper.last = lower.last;
        upper.begin = std::min(upper.begin, lower.begin);
        upper.end = std::max(upper.end, lower.end);
        tracks.erase(tracks.begin() + static_cast<std::ptrdiff_t>(b));
        continue;
      }
      ++b;
    }
  }
}

// Lines across the track's place that read something else there: its own
// lines and the next ones beyond, or its own alone (`ownLines`).
int Disagreements(const std::vector<Hit>& hits, const Track& track, bool ownLines) {
  const Hit& own = hits[track.hits.front()];
  const Int32 beyond = ownLines ? 0 : kLineStep;
  int count = 0;
  for (const Hit& hit : hits) {
    if (hit.line < track.first - beyond || hit.line > track.last + beyond ||
        !Overlap(track.begin, track.end, hit.read.begin, hit.read.end)) {
      continue;
    }
    if (!SameSymbol(hit, own)) ++count;
  }
  return count;
}

bool Agreed(const RowDecoderEntry& entry, const std::vector<Hit>& hits, const Track& track,
            const ViewSettings& settings) {
  const int agree = static_cast<int>(track.hits.size());
  // Bars without start or stop, read on every line across them (gapless):
  // the lines just beyond, through the ends of the bars of a slightly
  // skewed symbol, read fewer of its bars, another value.
  const int disagree = Disagreements(hits, track, entry.gapless);
  const std::vector<UInt8>& content = hits[track.hits.front()].read.content;
  const bool checked = entry.checked == nullptr || entry.checked(content);
  if (checked) {
    return agree >= settings.minLineCount && disagree * 100 <= kMaxDisagreePercent * agree;
  }
  if (entry.gapless && track.last - track.first != (agree - 1) * kLineStep) return false;
  return agree >= std::max(settings.minLineCount, kMinUncheckedLines) && disagree == 0;
}

// Bars without start or stop crossed at a slant still read (every width
// grows alike), but their band would be measured across the slant: a symbol
// leaning further than this (about 11 degrees) is left to the turned crops
// of the diagonal pass, which read it upright.
constexpr float kMaxLean = 0.2f;

bool Leaning(const RowDecoderEntry& entry, const std::vector<Hit>& hits, const Track& track) {
  if (!entry.gapless || track.last == track.first) return false;
  const LineRead& first = hits[track.hits.front()].read;
  const LineRead& last = hits[track.hits.back()].read;
  const float drift = (last.begin + last.end - first.begin - first.end) / 2;
  return std::abs(drift) > kMaxLean * static_cast<float>(track.last - track.first);
}

Detection DetectionOf(const RowDecoderEntry& entry, const LineRead& read, const SymbolBand& band) {
  Detection detection;
  detection.symbology = entry.symbology;
  detection.code = read.code != 0 ? read.code : Info(entry.symbology).code;
  detection.content = read.content;
  detection.corners = band.corners;
  return detection;
}

void ReadAxis(const ScanAxis& axis, const ViewSettings& settings, const RowDecoderTable& table,
              const std::vector<std::size_t>& active, std::vector<Detection>& out) {
  const std::vector<Hit> hits = ScanLines(axis, table, active);
  std::vector<Track> tracks = JoinTracks(hits);
  JoinInterrupted(hits, tracks);
  for (const Track& track : tracks) {
    if (static_cast<Int32>(out.size()) >= settings.maxNumberOfSymbols) return;
    const RowDecoderEntry& entry = table[hits[track.hits.front()].decoder];
    if (!Agreed(entry, hits, track, settings) || Leaning(entry, hits, track)) continue;
    std::vector<BandLine> lines;
    for (const std::size_t h : track.hits) {
      lines.push_back({hits[h].line, hits[h].read.begin, hits[h].read.end});
    }
    const LineRead& read = hits[track.hits.front()].read;
    const SymbolBand band = BandOf(axis, entry.decode, read, lines);
    if (band.height < entry.minHeightShare * (track.end - track.begin) ||
        band.height < read.minHeight) {
      continue;
    }
    out.push_back(DetectionOf(entry, read, band));
  }
}

}  // namespace

bool NeverChecked(const std::vector<UInt8>& /*content*/) { return false; }

std::vector<Detection> ReadBars(const LumaView& view, const ViewSettings& settings,
                                const RowDecoderTable& table) {
  std::vector<std::size_t> active;
  for (std::size_t d = 0; d < table.size(); ++d) {
    const Symbology s = table[d].symbology;
    if (s < Symbology::Count && settings.symbologies.test(Index(s)) && table[d].decode != nullptr) {
      active.push_back(d);
    }
  }
  std::vector<Detection> found;
  if (active.empty() || view.Empty()) return found;
  ReadAxis({view, false}, settings, table, active, found);
  if (settings.tryRotate) ReadAxis({view, true}, settings, table, active, found);
  return found;
}

SymbologySet DecodedBy(const RowDecoderTable& table) {
  SymbologySet set;
  for (const RowDecoderEntry& entry : table) {
    if (entry.symbology < Symbology::Count) set.set(Index(entry.symbology));
  }
  return set;
}

ViewReader BarsViewReader(const RowDecoderTable& table) {
  return [&table](const LumaView& view, const ViewSettings& settings) -> std::vector<Detection> {
    try {
      return ReadBars(view, settings, table);
    } catch (const std::exception&) {
      return {};  // out of memory on a huge view: no detections, as the reader list expects
    }
  };
}

}  // namespace vexo::engine
