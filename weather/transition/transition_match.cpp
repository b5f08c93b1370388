#include <algorithm>
#include <cstring>
#include <new>

#include "weather/transition/transition_layers.h"

namespace transition {

namespace {

constexpr int64_t kFar = INT64_MAX / 4;
constexpr size_t kMostGapCells = size_t(1) << 22;  // beyond it a gap is paired from its lower end

template <typename T>
std::unique_ptr<T[]> NewArray(size_t n) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[n == 0 ? 1 : n]);
}

int32_t Gap(const Band& a, const Band& b) {
  if (a.upper < b.lower) return b.lower - a.upper;
  if (b.upper < a.lower) return a.lower - b.upper;
  return 0;
}

// Pairs the p bands of a with the q bands of b in order, min(p, q) pairs, least total distance.
bool PairInOrder(const Band* a, int p, const Band* b, int q, int* pair) {
  if (p == 0 || q == 0) return true;
  const bool swapped = p < q;
  const Band* longer = swapped ? b : a;
  const Band* shorter = swapped ? a : b;
  const int P = swapped ? q : p;
  const int Q = swapped ? p : q;
  auto link = [&](int l, int s) {
    if (swapped) pair[s] = l;
    else pair[l] = s;
  };
  const size_t cells = size_t(P + 1) * size_t(Q + 1);
  std::unique_ptr<int64_t[]> cost = P == Q || cells > kMostGapCells ? nullptr : NewArray<int64_t>(size_t(Q) + 1);
  std::unique_ptr<uint8_t[]> took = cost ? NewArray<uint8_t>(cells) : nullptr;
  if (!took) {
    // Equal counts have only this pairing; a huge gap, or no memory for the table, takes it too.
    for (int k = 0; k < Q; ++k) link(k, k);
    return P == Q || cells > kMostGapCells;
  }
  cost[0] = 0;
  for (int j = 1; j <= Q; ++j) cost[j] = kFar;
  std::memset(took.get(), 0, cells);
  for (int i = 1; i <= P; ++i) {
    for (int j = std::min(i, Q); j >= 1; --j) {
      int64_t take = cost[j - 1] + Gap(longer[i - 1], shorter[j - 1]);
      if (take < cost[j]) {
        cost[j] = take;
        took[size_t(i) * size_t(Q + 1) + size_t(j)] = 1;
      }
    }
  }
  for (int i = P, j = Q; i > 0 && j > 0; --i) {
    if (took[size_t(i) * size_t(Q + 1) + size_t(j)]) {
      link(i - 1, j - 1);
      --j;
    }
  }
  return true;
}

bool Overlap(const Band& a, const Band& b) { return a.lower <= b.upper && b.lower <= a.upper; }

bool IsAltitude(Move m) { return m == Move::LayerAltitude || m == Move::CloudAltitude; }

void CopyValues(const TableShape& shape, const int32_t* from, int32_t* to) {
  for (int i = 0; i < shape.fields; ++i)
    if (!IsAltitude(shape.moves[i])) to[i] = from[i];
}

}  // namespace

bool PairBands(const Band* a, int n, const Band* b, int m, int* pair) {
  for (int i = 0; i < n; ++i) pair[i] = -1;
  // Overlaps first, walking both lists upward.
  for (int i = 0, j = 0; i < n && j < m;) {
    if (Overlap(a[i], b[j])) {
      pair[i++] = j++;
    } else if (a[i].upper < b[j].upper) {
      ++i;
    } else {
      ++j;
    }
  }
  // Then the gaps between those pairs.
  int lastA = -1, lastB = -1;
  for (int i = 0; i <= n; ++i) {
    if (i < n && pair[i] < 0) continue;
    const int nextB = i < n ? pair[i] : m;
    if (!PairInOrder(a + lastA + 1, i - lastA - 1, b + lastB + 1, nextB - lastB - 1, pair + lastA + 1))
      return false;
    for (int k = lastA + 1; k < i; ++k)
      if (pair[k] >= 0) pair[k] += lastB + 1;
    lastA = i;
    lastB = nextB;
  }
  return true;
}

namespace {

struct Side {
  std::unique_ptr<int32_t[]> fields;  // count x kMostFields, sorted by ordering altitude
  std::unique_ptr<Band[]> bands;
  int count = 0;
  const int32_t* Fields(int i) const { return fields.get() + size_t(i) * kMostFields; }
};

bool ReadSide(int table, const uint8_t* bytes, int count, Side& side) {
  const TableShape& shape = ShapeOf(table);
  std::unique_ptr<int[]> order = NewArray<int>(size_t(count));
  std::unique_ptr<int32_t[]> raw = NewArray<int32_t>(size_t(count) * kMostFields);
  side.fields = NewArray<int32_t>(size_t(count) * kMostFields);
  side.bands = NewArray<Band>(size_t(count));
  if (!order || !raw || !side.fields || !side.bands) return false;
  for (int i = 0; i < count; ++i) {
    DecodeLayerFields(shape, bytes + size_t(i) * shape.recordSize, raw.get() + size_t(i) * kMostFields);
    order[i] = i;
  }
  StableInsertionSort(order.get(), count,
                   [&](int x, int y) { return raw[size_t(x) * kMostFields] < raw[size_t(y) * kMostFields]; });
  const bool banded = table == kVisibilityTable || table == kCloudTable;
  for (int i = 0; i < count; ++i) {
    int32_t* f = side.fields.get() + size_t(i) * kMostFields;
    std::memcpy(f, raw.get() + size_t(order[i]) * kMostFields, sizeof(int32_t) * kMostFields);
    side.bands[i] = banded ? Band{std::min(f[0], f[1]), std::max(f[0], f[1])} : Band{f[0], f[0]};
  }
  side.count = count;
  return true;
}

int Nearest(const Side& side, const Band& band) {
  int best = -1;
  int32_t bestGap = 0;
  for (int i = 0; i < side.count; ++i) {
    int32_t g = Gap(side.bands[i], band);
    if (best < 0 || g < bestGap) {
      best = i;
      bestGap = g;
    }
  }
  return best;
}

void SetStandardPressure(int32_t* f) {
  f[0] = 16211;  // 1013.2 mb, what a cleared pressure table holds
  f[1] = 0;
}

}  // namespace

std::unique_ptr<Layer[]> PlanLayers(int table, const uint8_t* from, int fromCount, const uint8_t* to,
                                    int toCount, int& count) {
  count = 0;
  const TableShape& shape = ShapeOf(table);
  if (table == kPressureTable) {
    std::unique_ptr<Layer[]> layers = NewArray<Layer>(1);
    if (!layers) return nullptr;
    Layer& l = layers[0];
    std::memset(&l, 0, sizeof l);
    if (fromCount > 0) DecodeLayerFields(shape, from, l.now);
    else SetStandardPressure(l.now);
    if (toCount > 0) DecodeLayerFields(shape, to, l.to);
    else SetStandardPressure(l.to);
    l.arrived = l.now[0] == l.to[0] && l.now[1] == l.to[1];
    count = 1;
    return layers;
  }
  Side a, b;
  if (!ReadSide(table, from, fromCount, a) || !ReadSide(table, to, toCount, b)) return nullptr;
  std::unique_ptr<int[]> pair = NewArray<int>(size_t(fromCount));
  std::unique_ptr<bool[]> paired = NewArray<bool>(size_t(toCount));
  std::unique_ptr<Layer[]> layers = NewArray<Layer>(size_t(fromCount) + size_t(toCount));
  if (!pair || !paired || !layers || !PairBands(a.bands.get(), a.count, b.bands.get(), b.count, pair.get()))
    return nullptr;
  for (int j = 0; j < toCount; ++j) paired[j] = false;
  const bool cloud = table == kCloudTable;
  int n = 0;
  for (int i = 0; i < a.count; ++i) {
    Layer& l = layers[n++];
    std::memset(&l, 0, sizeof l);
    std::memcpy(l.now, a.Fields(i), sizeof l.now);
    if (pair[i] >= 0) {
      paired[pair[i]] = true;
      std::memcpy(l.to, b.Fields(pair[i]), sizeof l.to);
    } else {
      // Going away: a cloud thins to nothing, fair weather first; another layer first takes
      // the values the new weather has at its altitude (calm when the new table is empty).
      l.leaving = true;
      std::memcpy(l.to, l.now, sizeof l.to);
      if (cloud) {
        l.to[kCoverField] = 0;
        for (int f = kCoverField + 2; f < shape.fields; ++f) l.to[f] = 0;
      } else if (b.count > 0) {
        CopyValues(shape, b.Fields(Nearest(b, a.bands[i])), l.to);
      } else if (table == kWindTable) {
        l.to[1] = l.to[2] = l.to[4] = l.to[5] = 0;
      }
    }
    l.fromCover = l.now[kCoverField];
  }
  for (int j = 0; j < b.count; ++j) {
    if (paired[j]) continue;
    // Appearing: a cloud starts at one eighth, fair; another layer starts with the values the
    // old weather has at its altitude (calm when the old table is empty).
    Layer& l = layers[n++];
    std::memset(&l, 0, sizeof l);
    std::memcpy(l.to, b.Fields(j), sizeof l.to);
    std::memcpy(l.now, l.to, sizeof l.now);
    l.fresh = true;
    if (cloud) {
      l.now[kCoverField] = std::min(l.to[kCoverField], 1);
      for (int f = kCoverField + 2; f < shape.fields; ++f) l.now[f] = 0;
    } else if (a.count > 0) {
      CopyValues(shape, a.Fields(Nearest(a, b.bands[j])), l.now);
    } else if (table == kWindTable) {
      l.now[1] = l.now[2] = l.now[4] = l.now[5] = 0;
    }
    l.fromCover = l.now[kCoverField];
  }
  for (int k = 0; k < n; ++k)
    layers[k].arrived = std::memcmp(layers[k].now, layers[k].to, sizeof(int32_t) * size_t(shape.fields)) == 0;
  StableInsertionSort(layers.get(), n, [](const Layer& x, const Layer& y) { return x.now[0] < y.now[0]; });
  count = n;
  return layers;
}

}  // namespace transition
