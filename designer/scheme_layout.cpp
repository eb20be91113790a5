#include "designer/scheme_layout.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numeric>
#include <utility>

#include "script/row.h"

namespace designer::scheme {
namespace {

using script::kEnd;
using script::kGoOn;
using script::kRowCount;

// Spacing, in device-independent pixels.
constexpr int kMargin = 10;             // round the picture
constexpr int kPad = 4;                 // inside a card
constexpr int kColumnGap = 6;           // between the number column and the texts
constexpr int kLineWidth = 150;         // the texts on a card, unless its labels need more
constexpr int kCardGap = 28;            // between two cards of a layer
constexpr int kPassGap = 14;            // between an arrow passing a layer and its neighbours
constexpr int kLabelGap = 4;            // from an arrow's first segment to its label
constexpr int kPortGap = 8;             // from a label to the next arrow of its card
constexpr int kLabelTop = 2;            // from a card's bottom edge to its labels
constexpr int kGripInside = 4;          // an exit's grip reaches this far into its card
constexpr int kTrack = 6;               // between the horizontal runs of loops in one channel
constexpr int kSlant = 16;              // the height in which arrows change columns
constexpr int kHead = 6;                // the straight run into a card that carries the head
constexpr int kEndRun = 10;             // from the labels and loops to an end mark's centre
constexpr int kLoopSpace = 14;          // right of a card that leads to itself
constexpr int kLaneGap = 8;             // between the lanes of loops, and from the cards
constexpr int kGroupGap = 24;           // above the cards never shown
constexpr int kMarkPadX = 8;            // left and right of "Старт" in its mark
constexpr int kMarkPadY = 3;            // above and below it
constexpr int kMarkGap = 6;             // from the mark to the arrows above the start card
constexpr std::size_t kExhaustive = 8;  // the largest layer ordered by trying every order
constexpr int kOrderRounds = 4;
constexpr int kPlaceRounds = 4;

std::string_view field(const script::Fields& fields, std::size_t i) {
  return fields.has(i) ? fields.field[i] : std::string_view{};
}

std::string label_of(const script::Exit& exit) {
  if (exit.answer) return std::string(script::kAnswerNames[static_cast<std::size_t>(*exit.answer)]);
  return script::seconds_text(exit.wait);
}

using script::is_row;

std::string where_of(const script::Exit& exit) {
  if (!is_row(exit.to)) return std::string(script::kEndName);
  if (exit.written == kGoOn) return "дальше";
  return "диалог " + std::to_string(exit.to);
}

bool ends_sentence(std::string_view text) {
  for (std::string_view end : {".", "!", "?", "…"})
    if (text.ends_with(end)) return true;
  return false;
}

// The longest start of text that fits width with "…" after it (spaces before the
// "…" dropped), or the whole text when it fits. No character is narrower than a pixel,
// so only the first width + 1 characters are ever measured, however long the text.
std::string cut(std::string_view text, bool bold, int width, const Measure& measure) {
  const std::size_t limit = static_cast<std::size_t>(std::max(width, 0)) + 2;
  std::vector<std::size_t> starts;  // of the first characters
  starts.reserve(limit);
  for (std::size_t i = 0; i < text.size() && starts.size() < limit; ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
  if (starts.size() < limit && measure(text, bold).width <= width) return std::string(text);

  std::string best = "…", candidate;
  // best keeps lo - 1 characters (or none); keeping hi or more does not fit.
  std::size_t lo = 1, hi = starts.size();
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    std::string_view start = text.substr(0, starts[mid]);
    while (start.ends_with(' ')) start.remove_suffix(1);
    candidate.assign(start).append("…");
    if (measure(candidate, bold).width <= width) {
      best = candidate;
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  return best;
}

std::string_view first_line(std::string_view text) {
  return text.substr(0, text.find_first_of("#\r\n"));
}

std::string with_breaks(std::string_view text) {
  std::string s(text);
  std::replace(s.begin(), s.end(), '#', '\n');
  return s;
}

// ---- The graph as cards and edges --------------------------------------------------

enum class Kind { Forward, Lane, Loop, End };

struct CardInfo {
  int row = 0;
  bool apart = false;  // never shown
  int layer = 0;
  int node = 0;
  bool has_loop = false;
};

struct Edge {
  int from = 0;  // card
  int exit = 0;
  int to = -1;  // card, -1 for an end
  Kind kind = Kind::End;
  int port = 0;             // the start's offset on the bottom edge of `from`
  int in_port = 0;          // the head's offset on the top edge of `to`
  std::vector<int> passes;  // Forward: the nodes on the layers between
  int lane = 0;
  int track_out = 0, track_in = 0;
  std::string label;
  Box label_size;
};

struct Node {
  int card = -1;  // or a passing edge
  int edge = -1;
  int layer = 0;
  int key = 0;  // the reading order: rows, then the edges passing below each row
  int width = 0;
  double x = 0;
};

// One piece of a forward edge between two adjacent layers.
struct Segment {
  int upper = 0, lower = 0;
  int edge = 0;
};

struct Plan {
  std::vector<CardInfo> cards;  // by row
  std::vector<Edge> edges;
  std::vector<Node> nodes;
  std::vector<Segment> segments;
  std::vector<std::vector<int>> layers;  // node ids, left to right
  int main_layers = 0;
  int card_width = 0;
};

Plan collect(const script::Graph& graph) {
  Plan g;
  std::array<int, kRowCount> card_of{};
  card_of.fill(-1);
  for (int row = 0; row < kRowCount; ++row) {
    const auto r = static_cast<std::size_t>(row);
    if (!graph.shown[r]) continue;
    card_of[r] = static_cast<int>(g.cards.size());
    g.cards.push_back({.row = row, .apart = graph.never_shown[r]});
  }
  for (int c = 0; c < static_cast<int>(g.cards.size()); ++c) {
    CardInfo& card = g.cards[static_cast<std::size_t>(c)];
    const auto& exits = graph.exits[static_cast<std::size_t>(card.row)];
    for (int k = 0; k < static_cast<int>(exits.size()); ++k) {
      const script::Exit& exit = exits[static_cast<std::size_t>(k)];
      Edge e;
      e.from = c;
      e.exit = k;
      e.label = label_of(exit);
      e.to = is_row(exit.to) ? card_of[static_cast<std::size_t>(exit.to)] : -1;
      if (e.to < 0) {
        e.kind = Kind::End;
      } else if (e.to == c) {
        e.kind = Kind::Loop;
        card.has_loop = true;
      } else {
        const CardInfo& target = g.cards[static_cast<std::size_t>(e.to)];
        e.kind = target.apart == card.apart && target.row > card.row ? Kind::Forward : Kind::Lane;
      }
      g.edges.push_back(std::move(e));
    }
  }
  return g;
}

// ---- Rank: a card one layer below the lowest card with a forward edge to it ----------

void rank(Plan& g) {
  std::vector<std::vector<int>> preds(g.cards.size());
  for (const Edge& e : g.edges)
    if (e.kind == Kind::Forward) preds[static_cast<std::size_t>(e.to)].push_back(e.from);
  int main_layers = 0;
  for (bool apart : {false, true}) {
    int previous = -1, deepest = -1;
    for (std::size_t c = 0; c < g.cards.size(); ++c) {
      CardInfo& card = g.cards[c];
      if (card.apart != apart) continue;
      // Forward edges go to later rows, so every predecessor has its layer already. A
      // card that only loops lead to stands beside the card before it.
      int layer = previous < 0 ? 0 : g.cards[static_cast<std::size_t>(previous)].layer;
      if (!preds[c].empty()) {
        layer = 0;
        for (int p : preds[c])
          layer = std::max(layer, g.cards[static_cast<std::size_t>(p)].layer + 1);
      }
      card.layer = layer;
      deepest = std::max(deepest, layer);
      previous = static_cast<int>(c);
    }
    if (!apart) main_layers = deepest + 1;
  }
  g.main_layers = main_layers;
  for (CardInfo& card : g.cards)
    if (card.apart) card.layer += main_layers;
}

// ---- Nodes: the cards, and a passing node per layer that a forward edge crosses -------

void add_nodes(Plan& g) {
  int layers = 0;
  for (const CardInfo& card : g.cards) layers = std::max(layers, card.layer + 1);
  g.layers.assign(static_cast<std::size_t>(layers), {});
  const auto add = [&](Node node) {
    const int id = static_cast<int>(g.nodes.size());
    g.layers[static_cast<std::size_t>(node.layer)].push_back(id);
    g.nodes.push_back(node);
    return id;
  };
  for (std::size_t c = 0; c < g.cards.size(); ++c) {
    CardInfo& card = g.cards[c];
    card.node = add({.card = static_cast<int>(c),
                     .layer = card.layer,
                     .key = card.row * 16,
                     .width = g.card_width + (card.has_loop ? kLoopSpace : 0)});
  }
  for (std::size_t i = 0; i < g.edges.size(); ++i) {
    Edge& e = g.edges[i];
    if (e.kind != Kind::Forward) continue;
    const CardInfo& from = g.cards[static_cast<std::size_t>(e.from)];
    const CardInfo& to = g.cards[static_cast<std::size_t>(e.to)];
    int upper = from.node;
    for (int layer = from.layer + 1; layer < to.layer; ++layer) {
      const int pass =
          add({.edge = static_cast<int>(i), .layer = layer, .key = from.row * 16 + 8 + e.exit});
      e.passes.push_back(pass);
      g.segments.push_back({upper, pass, static_cast<int>(i)});
      upper = pass;
    }
    g.segments.push_back({upper, to.node, static_cast<int>(i)});
  }
  for (auto& layer : g.layers)
    std::sort(layer.begin(), layer.end(), [&](int a, int b) {
      return g.nodes[static_cast<std::size_t>(a)].key < g.nodes[static_cast<std::size_t>(b)].key;
    });
}

// ---- Order: fewest crossings between adjacent layers --------------------------------

struct Neighbours {
  std::vector<std::vector<int>> up, down;  // per node: the nodes of its segments
};

Neighbours neighbours_of(const Plan& g) {
  Neighbours n{std::vector<std::vector<int>>(g.nodes.size()),
               std::vector<std::vector<int>>(g.nodes.size())};
  for (const Segment& s : g.segments) {
    n.down[static_cast<std::size_t>(s.upper)].push_back(s.lower);
    n.up[static_cast<std::size_t>(s.lower)].push_back(s.upper);
  }
  return n;
}

int crossings(const Plan& g, const std::vector<int>& position) {
  int count = 0;
  for (std::size_t i = 0; i < g.segments.size(); ++i)
    for (std::size_t j = i + 1; j < g.segments.size(); ++j) {
      const Segment& a = g.segments[i];
      const Segment& b = g.segments[j];
      if (g.nodes[static_cast<std::size_t>(a.upper)].layer !=
          g.nodes[static_cast<std::size_t>(b.upper)].layer)
        continue;
      const int du =
          position[static_cast<std::size_t>(a.upper)] - position[static_cast<std::size_t>(b.upper)];
      const int dl =
          position[static_cast<std::size_t>(a.lower)] - position[static_cast<std::size_t>(b.lower)];
      if ((du < 0 && dl > 0) || (du > 0 && dl < 0)) ++count;
    }
  return count;
}

// Reorders one layer for the fewest crossings with both neighbouring layers as they
// stand. cost[a][b] counts the crossings when a stands left of b. Small layers take the
// best of every order, the first in reading order among equals; larger ones sort by the
// mean position of their neighbours and then swap neighbours while that helps.
// Buffers kept from layer to layer.
struct OrderScratch {
  std::vector<int> nodes, cost, left_of, fewest;
  std::vector<int> ends;          // per node and side, its neighbours' positions, sorted
  std::vector<std::size_t> from;  // where each node's and side's run of ends starts
};

void order_layer(std::vector<int>& layer, const Plan& g, const Neighbours& n,
                 std::vector<int>& position, OrderScratch& scratch) {
  const std::size_t size = layer.size();
  if (size < 2) return;
  std::vector<int>& nodes = scratch.nodes;
  nodes = layer;
  std::sort(nodes.begin(), nodes.end(), [&](int a, int b) {
    return g.nodes[static_cast<std::size_t>(a)].key < g.nodes[static_cast<std::size_t>(b)].key;
  });
  std::vector<int>& ends = scratch.ends;
  std::vector<std::size_t>& from = scratch.from;
  ends.clear();
  from.clear();
  for (int node : nodes)
    for (const auto* side : {&n.up, &n.down}) {
      from.push_back(ends.size());
      for (int x : (*side)[static_cast<std::size_t>(node)])
        ends.push_back(position[static_cast<std::size_t>(x)]);
      std::sort(ends.begin() + static_cast<std::ptrdiff_t>(from.back()), ends.end());
    }
  from.push_back(ends.size());
  // The crossings of a left of b on one side: pairs of their ends in the other order.
  const auto inverted = [&](std::size_t a, std::size_t b) {
    int count = 0;
    std::size_t j = from[b];
    for (std::size_t i = from[a]; i < from[a + 1]; ++i) {
      while (j < from[b + 1] && ends[j] < ends[i]) ++j;
      count += static_cast<int>(j - from[b]);
    }
    return count;
  };
  std::vector<int>& cost = scratch.cost;
  cost.assign(size * size, 0);
  for (std::size_t a = 0; a < size; ++a)
    for (std::size_t b = 0; b < size; ++b)
      if (a != b) cost[a * size + b] = inverted(2 * a, 2 * b) + inverted(2 * a + 1, 2 * b + 1);
  std::vector<std::size_t> best(size);
  std::iota(best.begin(), best.end(), std::size_t{0});
  if (size <= kExhaustive) {
    // The best of every order, over the subsets of the layer: fewest[s] is the least
    // crossing count of the nodes of s among themselves, left_of[a][s] that of a left of
    // all of s. The order is read from the left: each time the first node in reading
    // order that still leads to the fewest, so ties keep the rows in order.
    const std::size_t subsets = std::size_t{1} << size;
    std::vector<int>& left_of = scratch.left_of;
    left_of.assign(size * subsets, 0);
    for (std::size_t a = 0; a < size; ++a)
      for (std::size_t s = 1; s < subsets; ++s)
        left_of[a * subsets + s] = left_of[a * subsets + (s & (s - 1))] +
                                   cost[a * size + static_cast<std::size_t>(std::countr_zero(s))];
    std::vector<int>& fewest = scratch.fewest;
    fewest.assign(subsets, 0);
    const auto first = [&](std::size_t a, std::size_t s) {
      const std::size_t rest = s & ~(std::size_t{1} << a);
      return left_of[a * subsets + rest] + fewest[rest];
    };
    for (std::size_t s = 1; s < subsets; ++s) {
      int f = std::numeric_limits<int>::max();
      for (std::size_t a = 0; a < size; ++a)
        if (s >> a & 1) f = std::min(f, first(a, s));
      fewest[s] = f;
    }
    std::size_t s = subsets - 1;
    for (std::size_t i = 0; i < size; ++i)
      for (std::size_t a = 0; a < size; ++a)
        if ((s >> a & 1) && first(a, s) == fewest[s]) {
          best[i] = a;
          s &= ~(std::size_t{1} << a);
          break;
        }
  } else {
    std::vector<double> mean(size);
    for (std::size_t a = 0; a < size; ++a) {
      const int node = nodes[a];
      double sum = 0;
      int count = 0;
      for (const auto* side : {&n.up, &n.down})
        for (int x : (*side)[static_cast<std::size_t>(node)])
          sum += position[static_cast<std::size_t>(x)], ++count;
      mean[a] = count ? sum / count : position[static_cast<std::size_t>(node)];
    }
    std::stable_sort(best.begin(), best.end(),
                     [&](std::size_t a, std::size_t b) { return mean[a] < mean[b]; });
    for (bool swapped = true; swapped;) {
      swapped = false;
      for (std::size_t i = 0; i + 1 < size; ++i)
        if (cost[best[i + 1] * size + best[i]] < cost[best[i] * size + best[i + 1]]) {
          std::swap(best[i], best[i + 1]);
          swapped = true;
        }
    }
  }
  for (std::size_t i = 0; i < size; ++i) {
    layer[i] = nodes[best[i]];
    position[static_cast<std::size_t>(layer[i])] = static_cast<int>(i);
  }
}

void order(Plan& g) {
  const Neighbours n = neighbours_of(g);
  OrderScratch scratch;
  std::vector<int> position(g.nodes.size());
  const auto number = [&] {
    for (const auto& layer : g.layers)
      for (std::size_t i = 0; i < layer.size(); ++i)
        position[static_cast<std::size_t>(layer[i])] = static_cast<int>(i);
  };
  number();
  auto best = g.layers;
  int fewest = crossings(g, position);
  for (int round = 0; round < kOrderRounds && fewest > 0; ++round) {
    for (auto& layer : g.layers) order_layer(layer, g, n, position, scratch);
    for (auto it = g.layers.rbegin(); it != g.layers.rend(); ++it)
      order_layer(*it, g, n, position, scratch);
    const int now = crossings(g, position);
    if (now >= fewest) break;
    fewest = now;
    best = g.layers;
  }
  g.layers = best;
}

// ---- Position: each node as near its neighbours as its layer allows ------------------

int gap_between(const Node& a, const Node& b) {
  if (a.card >= 0 && b.card >= 0) return kCardGap;
  return kPassGap;
}

// Places a layer's nodes, in their order and apart by their widths and gaps, as near
// their wishes as can be in the least-squares sense (pooling adjacent violators).
struct Block {
  double sum = 0;
  int count = 0;
  double mean() const { return sum / count; }
};

// Buffers kept from layer to layer.
struct PlaceScratch {
  std::vector<double> wish, offset;
  std::vector<Block> blocks;
};

void place(const std::vector<int>& layer, std::vector<Node>& nodes, PlaceScratch& scratch) {
  const std::size_t size = layer.size();
  const std::vector<double>& wish = scratch.wish;
  std::vector<double>& offset = scratch.offset;
  offset.assign(size, 0);
  for (std::size_t i = 1; i < size; ++i) {
    const Node& a = nodes[static_cast<std::size_t>(layer[i - 1])];
    const Node& b = nodes[static_cast<std::size_t>(layer[i])];
    offset[i] = offset[i - 1] + a.width + gap_between(a, b);
  }
  std::vector<Block>& blocks = scratch.blocks;
  blocks.clear();
  for (std::size_t i = 0; i < size; ++i) {
    blocks.push_back({wish[i] - offset[i], 1});
    while (blocks.size() > 1 && blocks[blocks.size() - 2].mean() > blocks.back().mean()) {
      const Block last = blocks.back();
      blocks.pop_back();
      blocks.back().sum += last.sum;
      blocks.back().count += last.count;
    }
  }
  std::size_t i = 0;
  for (const Block& block : blocks)
    for (int k = 0; k < block.count; ++k, ++i)
      nodes[static_cast<std::size_t>(layer[i])].x = block.mean() + offset[i];
}

// Where a segment meets a node, from the node's left edge.
int attach(const Plan& g, int node, const Segment& s) {
  const Node& n = g.nodes[static_cast<std::size_t>(node)];
  if (n.card < 0) return 0;
  if (node == s.upper) return g.edges[static_cast<std::size_t>(s.edge)].port;
  return g.card_width / 2;
}

void position(Plan& g, int rounds) {
  std::vector<std::vector<const Segment*>> up(g.nodes.size()), down(g.nodes.size());
  for (const Segment& s : g.segments) {
    down[static_cast<std::size_t>(s.upper)].push_back(&s);
    up[static_cast<std::size_t>(s.lower)].push_back(&s);
  }
  PlaceScratch scratch;
  std::vector<double>& wish = scratch.wish;
  for (const auto& layer : g.layers) {
    wish.assign(layer.size(), 0);
    place(layer, g.nodes, scratch);
  }
  const auto sweep = [&](const std::vector<int>& layer, bool from_above) {
    wish.resize(layer.size());
    for (std::size_t i = 0; i < layer.size(); ++i) {
      const int node = layer[i];
      const auto& segments = (from_above ? up : down)[static_cast<std::size_t>(node)];
      if (segments.empty()) {
        wish[i] = g.nodes[static_cast<std::size_t>(node)].x;
        continue;
      }
      double sum = 0;
      for (const Segment* s : segments) {
        const int other = from_above ? s->upper : s->lower;
        sum +=
            g.nodes[static_cast<std::size_t>(other)].x + attach(g, other, *s) - attach(g, node, *s);
      }
      wish[i] = sum / static_cast<double>(segments.size());
    }
    place(layer, g.nodes, scratch);
  };
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t l = 1; l < g.layers.size(); ++l) sweep(g.layers[l], true);
    for (std::size_t l = g.layers.size(); l-- > 1;) sweep(g.layers[l - 1], false);
  }
  for (std::size_t l = 1; l < g.layers.size(); ++l) sweep(g.layers[l], true);

  // Each group from the left margin, in whole pixels, the gaps kept.
  for (bool apart : {false, true}) {
    const std::size_t first = apart ? static_cast<std::size_t>(g.main_layers) : 0;
    const std::size_t last = apart ? g.layers.size() : static_cast<std::size_t>(g.main_layers);
    double left = 0;
    bool any = false;
    for (std::size_t l = first; l < last; ++l)
      for (int node : g.layers[l]) {
        const double x = g.nodes[static_cast<std::size_t>(node)].x;
        left = any ? std::min(left, x) : x;
        any = true;
      }
    for (std::size_t l = first; l < last; ++l) {
      const auto& layer = g.layers[l];
      for (std::size_t i = 0; i < layer.size(); ++i) {
        Node& node = g.nodes[static_cast<std::size_t>(layer[i])];
        double x = std::round(node.x - left) + kMargin;
        if (i > 0) {
          const Node& before = g.nodes[static_cast<std::size_t>(layer[i - 1])];
          x = std::max(x, before.x + before.width + gap_between(before, node));
        }
        node.x = x;
      }
    }
  }
}

// ---- Ports, lanes and tracks ---------------------------------------------------------

int ports_width(const std::vector<int>& widths) {
  int need = 0;
  for (std::size_t j = 0; j < widths.size(); ++j)
    need += widths[j] + kLabelGap + (j + 1 < widths.size() ? kPortGap : 0);
  return need;
}

// The starts of a card's arrows on its bottom edge, in the order of `out`, each with
// its label at its right: one arrow in the middle, more spread over the card.
void set_ports(Plan& g, const std::vector<int>& out) {
  if (out.empty()) return;
  std::vector<int> widths;
  for (int e : out) widths.push_back(g.edges[static_cast<std::size_t>(e)].label_size.width);
  const int room = g.card_width - 2 * kPad;
  if (out.size() == 1) {
    g.edges[static_cast<std::size_t>(out[0])].port =
        std::min(g.card_width / 2, kPad + room - widths[0] - kLabelGap);
    return;
  }
  const int slack = (room - ports_width(widths)) / static_cast<int>(out.size());
  int x = kPad + slack / 2;
  for (std::size_t j = 0; j < out.size(); ++j) {
    g.edges[static_cast<std::size_t>(out[j])].port = x;
    x += widths[j] + kLabelGap + kPortGap + slack;
  }
}

// The order of a card's arrows that keeps them from crossing each other: those going
// down by where they go (an end mark straight below the card's middle), then the
// loops, whose runs go right: the outermost lane first, the card's own loop last.
void sort_ports(const Plan& g, std::vector<int>& out) {
  const auto place = [&](int id) -> std::pair<int, double> {
    const Edge& e = g.edges[static_cast<std::size_t>(id)];
    const Node& from =
        g.nodes[static_cast<std::size_t>(g.cards[static_cast<std::size_t>(e.from)].node)];
    switch (e.kind) {
      case Kind::End:
        return {0, from.x + g.card_width / 2.0};
      case Kind::Forward: {
        if (!e.passes.empty()) return {0, g.nodes[static_cast<std::size_t>(e.passes.front())].x};
        const Node& to =
            g.nodes[static_cast<std::size_t>(g.cards[static_cast<std::size_t>(e.to)].node)];
        return {0, to.x + g.card_width / 2.0};
      }
      case Kind::Lane:
        return {1, -e.lane};
      case Kind::Loop:
        break;
    }
    return {2, 0};
  };
  std::stable_sort(out.begin(), out.end(), [&](int a, int b) { return place(a) < place(b); });
}

struct Span {
  int low = 0, high = 0;  // in half layers: 2l + 1 is the channel below layer l
  bool meets(const Span& o) const { return low <= o.high && o.low <= high; }
};

Span span_of(const Plan& g, const Edge& e) {
  const int a = 2 * g.cards[static_cast<std::size_t>(e.from)].layer + 1;
  const int b = 2 * g.cards[static_cast<std::size_t>(e.to)].layer - 1;
  return {std::min(a, b), std::max(a, b)};
}

// Lanes: the shortest loops nearest the cards, each in the first lane free over its
// height, so that loops nest and do not cross.
int assign_lanes(Plan& g) {
  std::vector<int> lane_edges;
  for (std::size_t i = 0; i < g.edges.size(); ++i)
    if (g.edges[i].kind == Kind::Lane) lane_edges.push_back(static_cast<int>(i));
  std::stable_sort(lane_edges.begin(), lane_edges.end(), [&](int a, int b) {
    const Span sa = span_of(g, g.edges[static_cast<std::size_t>(a)]);
    const Span sb = span_of(g, g.edges[static_cast<std::size_t>(b)]);
    return sa.high - sa.low < sb.high - sb.low;
  });
  std::vector<std::vector<Span>> lanes;
  for (int i : lane_edges) {
    Edge& e = g.edges[static_cast<std::size_t>(i)];
    const Span s = span_of(g, e);
    std::size_t lane = 0;
    while (lane < lanes.size() && std::any_of(lanes[lane].begin(), lanes[lane].end(),
                                              [&](const Span& o) { return o.meets(s); }))
      ++lane;
    if (lane == lanes.size()) lanes.emplace_back();
    lanes[lane].push_back(s);
    e.lane = static_cast<int>(lane);
  }
  return static_cast<int>(lanes.size());
}

double node_x(const Plan& g, int node) { return g.nodes[static_cast<std::size_t>(node)].x; }
int card_x(const Plan& g, int card) {
  return static_cast<int>(node_x(g, g.cards[static_cast<std::size_t>(card)].node));
}

// Heads on a card's top edge, left to right: the start mark's arrow, forward edges by
// where they come from, lanes from the outermost in, the card's own loop.
void assign_in_ports(Plan& g, int start_card) {
  std::vector<std::vector<int>> in(g.cards.size());
  for (std::size_t i = 0; i < g.edges.size(); ++i)
    if (g.edges[i].to >= 0)
      in[static_cast<std::size_t>(g.edges[i].to)].push_back(static_cast<int>(i));
  const auto from_x = [&](const Edge& e) {
    if (!e.passes.empty()) return node_x(g, e.passes.back());
    return static_cast<double>(card_x(g, e.from) + e.port);
  };
  const auto rank_of = [](const Edge& e) {
    return e.kind == Kind::Forward ? 0 : e.kind == Kind::Lane ? 1 : 2;
  };
  for (std::size_t c = 0; c < in.size(); ++c) {
    auto& list = in[c];
    std::stable_sort(list.begin(), list.end(), [&](int a, int b) {
      const Edge& ea = g.edges[static_cast<std::size_t>(a)];
      const Edge& eb = g.edges[static_cast<std::size_t>(b)];
      if (rank_of(ea) != rank_of(eb)) return rank_of(ea) < rank_of(eb);
      if (ea.kind == Kind::Forward) return from_x(ea) < from_x(eb);
      if (ea.kind == Kind::Lane) return ea.lane > eb.lane;
      return false;
    });
    const int first = static_cast<int>(c) == start_card ? 1 : 0;
    const int count = static_cast<int>(list.size()) + first;
    for (std::size_t j = 0; j < list.size(); ++j)
      g.edges[static_cast<std::size_t>(list[j])].in_port =
          g.card_width * (static_cast<int>(j) + first + 1) / (count + 1);
  }
}

// The horizontal runs of loops: below its card's layer in the order loops, then lanes
// from the innermost out; above the target's layer lanes from the outermost in, then
// loops. So runs into lanes cross no lane.
void assign_tracks(Plan& g, std::vector<int>& out_count, std::vector<int>& in_count) {
  out_count.assign(g.layers.size(), 0);
  in_count.assign(g.layers.size(), 0);
  std::vector<std::vector<int>> out(g.layers.size()), in(g.layers.size());
  for (std::size_t i = 0; i < g.edges.size(); ++i) {
    const Edge& e = g.edges[i];
    if (e.kind != Kind::Lane && e.kind != Kind::Loop) continue;
    out[static_cast<std::size_t>(g.cards[static_cast<std::size_t>(e.from)].layer)].push_back(
        static_cast<int>(i));
    in[static_cast<std::size_t>(g.cards[static_cast<std::size_t>(e.to)].layer)].push_back(
        static_cast<int>(i));
  }
  const auto loop_x = [&](const Edge& e) { return card_x(g, e.from); };
  for (std::size_t l = 0; l < g.layers.size(); ++l) {
    std::stable_sort(out[l].begin(), out[l].end(), [&](int a, int b) {
      const Edge& ea = g.edges[static_cast<std::size_t>(a)];
      const Edge& eb = g.edges[static_cast<std::size_t>(b)];
      if (ea.kind != eb.kind) return ea.kind == Kind::Loop;
      return ea.kind == Kind::Loop ? loop_x(ea) < loop_x(eb) : ea.lane < eb.lane;
    });
    std::stable_sort(in[l].begin(), in[l].end(), [&](int a, int b) {
      const Edge& ea = g.edges[static_cast<std::size_t>(a)];
      const Edge& eb = g.edges[static_cast<std::size_t>(b)];
      if (ea.kind != eb.kind) return ea.kind == Kind::Lane;
      return ea.kind == Kind::Loop ? loop_x(ea) < loop_x(eb) : ea.lane > eb.lane;
    });
    for (std::size_t k = 0; k < out[l].size(); ++k)
      g.edges[static_cast<std::size_t>(out[l][k])].track_out = static_cast<int>(k);
    for (std::size_t k = 0; k < in[l].size(); ++k)
      g.edges[static_cast<std::size_t>(in[l][k])].track_in = static_cast<int>(k);
    out_count[l] = static_cast<int>(out[l].size());
    in_count[l] = static_cast<int>(in[l].size());
  }
}

void push(std::vector<Point>& points, Point p) {
  if (!points.empty() && points.back() == p) return;
  // Drop a middle point on a straight run.
  if (points.size() >= 2) {
    const Point a = points[points.size() - 2];
    const Point b = points.back();
    const long long cross = static_cast<long long>(b.x - a.x) * (p.y - b.y) -
                            static_cast<long long>(b.y - a.y) * (p.x - b.x);
    const long long dot = static_cast<long long>(b.x - a.x) * (p.x - b.x) +
                          static_cast<long long>(b.y - a.y) * (p.y - b.y);
    if (cross == 0 && dot >= 0) points.pop_back();
  }
  points.push_back(p);
}

}  // namespace

// ---- The whole layout ----------------------------------------------------------------

Layout lay_out(const script::Rows& rows, const script::Graph& graph, const Measure& measure) {
  Layout out;
  Plan g = collect(graph);
  if (g.cards.empty()) return out;

  // The card's size: one for all, wide enough for the widest row of labels.
  const Box number_size = measure("14", true);  // drawn bold
  const int column = std::max(kIconSize, number_size.width);
  const int title_height = std::max(1, measure(kStartText, true).height);
  const int line_height = std::max(1, measure(kStartText, false).height);
  int label_height = line_height;
  std::vector<std::vector<int>> out_of(g.cards.size());
  for (std::size_t i = 0; i < g.edges.size(); ++i) {
    Edge& e = g.edges[i];
    e.label_size = measure(e.label, false);
    label_height = std::max(label_height, e.label_size.height);
    out_of[static_cast<std::size_t>(e.from)].push_back(static_cast<int>(i));
  }
  g.card_width = kPad + column + kColumnGap + kLineWidth + kPad;
  for (const auto& out : out_of) {
    std::vector<int> widths;
    for (int e : out) widths.push_back(g.edges[static_cast<std::size_t>(e)].label_size.width);
    g.card_width = std::max(g.card_width, ports_width(widths) + 2 * kPad);
  }
  const int card_height =
      kPad + std::max(number_size.height + 2 + kIconSize, title_height + 2 + line_height) + kPad;

  rank(g);
  add_nodes(g);
  order(g);
  const int lanes = assign_lanes(g);
  // Placed roughly with the arrows in the set's order, then again with each card's
  // arrows in the order of where they go.
  for (const auto& out : out_of) set_ports(g, out);
  position(g, 1);
  for (auto& out : out_of) {
    sort_ports(g, out);
    set_ports(g, out);
  }
  position(g, kPlaceRounds);
  int start_card = -1;
  for (std::size_t c = 0; c < g.cards.size(); ++c)
    if (g.cards[c].row == graph.start && !g.cards[c].apart) start_card = static_cast<int>(c);
  assign_in_ports(g, start_card);
  std::vector<int> out_tracks, in_tracks;
  assign_tracks(g, out_tracks, in_tracks);

  // Heights: each layer of cards, and below it its channel: the labels, the runs of
  // loops leaving it, the end marks, the slant, the runs of loops entering the next
  // layer and the straight run into it.
  const std::size_t layer_count = g.layers.size();
  std::vector<bool> ends(layer_count, false);
  for (const Edge& e : g.edges)
    if (e.kind == Kind::End)
      ends[static_cast<std::size_t>(g.cards[static_cast<std::size_t>(e.from)].layer)] = true;
  const int label_band = kLabelTop + label_height + 1;
  std::vector<int> top(layer_count), out_y(layer_count), slant_y(layer_count), in_y(layer_count);
  int y = kMargin;
  const Box mark_text = measure(kStartText, false);
  if (start_card >= 0) {
    out.start_mark = {0, y, mark_text.width + 2 * kMarkPadX, mark_text.height + 2 * kMarkPadY};
    y += out.start_mark.height + kMarkGap;
  }
  for (std::size_t l = 0; l < layer_count; ++l) {
    if (l > 0 && static_cast<int>(l) == g.main_layers) {
      out.apart_top = y + kGroupGap / 2;
      y += kGroupGap;
    }
    in_y[l] = y;
    y += in_tracks[l] * kTrack + kHead;
    top[l] = y;
    y += card_height;
    out_y[l] = y + label_band + out_tracks[l] * kTrack;
    // The end marks have a band of their own above the slant, where every other
    // arrow still runs straight down from its own port: none passes through a mark.
    slant_y[l] = out_y[l] + (ends[l] ? kEndRun + kEndMark / 2 + 2 : 0);
    const bool group_ends = l + 1 == layer_count || static_cast<int>(l + 1) == g.main_layers;
    y = group_ends ? std::max(slant_y[l], out_y[l] + 2) : slant_y[l] + kSlant;
  }
  out.height = y + kMargin;

  // Cards, in reading order.
  std::vector<int> card_order;
  for (const auto& layer : g.layers)
    for (int node : layer)
      if (g.nodes[static_cast<std::size_t>(node)].card >= 0)
        card_order.push_back(g.nodes[static_cast<std::size_t>(node)].card);
  int right = 0;
  for (const Node& node : g.nodes) right = std::max(right, static_cast<int>(node.x) + node.width);
  const int text_x = kPad + column + kColumnGap;
  const int text_width = g.card_width - text_x - kPad;
  for (int c : card_order) {
    const CardInfo& info = g.cards[static_cast<std::size_t>(c)];
    const auto r = static_cast<std::size_t>(info.row);
    const script::Fields fields = script::split_row(rows[r]);
    Card card;
    card.row = info.row;
    card.box = {card_x(g, c), top[static_cast<std::size_t>(info.layer)], g.card_width, card_height};
    card.start = c == start_card;
    card.never_shown = graph.never_shown[r];
    card.trapped = graph.trapped[r];
    const auto icon = script::match_icon(field(fields, 2));
    card.icon = icon && *icon != script::kIconCount - 1 ? *icon : -1;
    const int bx = card.box.x, by = card.box.y;
    card.number_box = {bx + kPad + (column - number_size.width) / 2, by + kPad, number_size.width,
                       number_size.height};
    card.icon_box = {bx + kPad + (column - kIconSize) / 2, by + kPad + number_size.height + 2,
                     kIconSize, kIconSize};
    card.title_box = {bx + text_x, by + kPad, text_width, title_height};
    card.line_box = {bx + text_x, by + kPad + title_height + 2, text_width, line_height};
    card.title = cut(field(fields, 1), true, text_width, measure);
    card.line = cut(first_line(field(fields, 0)), false, text_width, measure);
    card.text = with_breaks(field(fields, 0));
    card.name = name_of(rows, graph, info.row);
    out.cards.push_back(std::move(card));
  }

  // The start mark over the first head on the start card's top edge.
  if (start_card >= 0) {
    const CardInfo& info = g.cards[static_cast<std::size_t>(start_card)];
    int heads = 1;
    for (const Edge& e : g.edges) heads += e.to == start_card ? 1 : 0;
    const int x = card_x(g, start_card) + g.card_width / (heads + 1);
    out.start_mark.x = std::max(kMargin, x - out.start_mark.width / 2);
    out.start_arrow = {{x, out.start_mark.y + out.start_mark.height},
                       {x, top[static_cast<std::size_t>(info.layer)]}};
  }

  // Arrows.
  const int lane_left = right + kLaneGap;
  int width = std::max(right, out.start_mark.x + out.start_mark.width);
  if (lanes > 0) width = std::max(width, lane_left + (lanes - 1) * kLaneGap);
  for (int c : card_order) {
    const CardInfo& from = g.cards[static_cast<std::size_t>(c)];
    const auto fl = static_cast<std::size_t>(from.layer);
    const int bottom = top[fl] + card_height;
    for (const Edge& e : g.edges) {
      if (e.from != c) continue;
      const script::Exit& exit =
          graph.exits[static_cast<std::size_t>(from.row)][static_cast<std::size_t>(e.exit)];
      Arrow a;
      a.from = from.row;
      a.to = e.to >= 0 ? g.cards[static_cast<std::size_t>(e.to)].row : kEnd;
      a.exit = e.exit;
      a.answer = exit.answer;
      a.implicit = exit.written == kGoOn;
      a.back = e.to >= 0 && a.to <= a.from;
      a.label = e.label;
      const int sx = card_x(g, c) + e.port;
      a.label_box = {sx + kLabelGap, bottom + kLabelTop, e.label_size.width, label_height};
      // Half the gap to the label before it on each side of the arrow.
      a.grip = {sx - kPortGap / 2 + 1, bottom - kGripInside,
                kPortGap / 2 - 1 + kLabelGap + e.label_size.width + kPortGap / 2 - 1,
                kGripInside + kLabelTop + label_height + 1};
      push(a.points, {sx, bottom});
      if (e.kind == Kind::End) {
        push(a.points, {sx, out_y[fl] + kEndRun});
      } else {
        const CardInfo& to = g.cards[static_cast<std::size_t>(e.to)];
        const auto tl = static_cast<std::size_t>(to.layer);
        const int tx = card_x(g, e.to) + e.in_port;
        if (e.kind == Kind::Forward) {
          push(a.points, {sx, slant_y[fl]});
          for (int pass : e.passes) {
            const Node& n = g.nodes[static_cast<std::size_t>(pass)];
            const auto pl = static_cast<std::size_t>(n.layer);
            push(a.points, {static_cast<int>(n.x), in_y[pl]});
            push(a.points, {static_cast<int>(n.x), slant_y[pl]});
          }
          push(a.points, {tx, in_y[tl]});
        } else {
          const int lane = e.kind == Kind::Loop ? card_x(g, c) + g.card_width + kLoopSpace / 2
                                                : lane_left + e.lane * kLaneGap;
          const int run_out = bottom + label_band + kTrack / 2 + e.track_out * kTrack;
          const int run_in = in_y[tl] + kTrack / 2 + e.track_in * kTrack;
          push(a.points, {sx, run_out});
          push(a.points, {lane, run_out});
          push(a.points, {lane, run_in});
          push(a.points, {tx, run_in});
        }
        push(a.points, {tx, top[tl]});
      }
      out.arrows.push_back(std::move(a));
    }
  }
  out.width = width + kMargin;
  return out;
}

std::string name_of(const script::Rows& rows, const script::Graph& graph, int row) {
  if (!is_row(row)) return {};
  const auto r = static_cast<std::size_t>(row);
  const script::Fields fields = script::split_row(rows[r]);
  const std::string_view title = field(fields, 1);
  std::string s = "Диалог " + std::to_string(row);
  if (title.empty()) {
    s += ".";
  } else {
    s += ": ";
    s += title;
    if (!ends_sentence(title)) s += ".";
  }
  const auto& exits = graph.exits[r];
  for (std::size_t k = 0; k < exits.size(); ++k) s += (k == 0 ? " " : ", ") + exit_name(exits[k]);
  if (!exits.empty()) s += ".";
  if (graph.never_shown[r]) s += " Никогда не будет показан.";
  if (graph.trapped[r]) s += " Отсюда нет пути к концу.";
  return s;
}

std::string exit_name(const script::Exit& exit) {
  return (exit.answer ? std::string(script::kAnswerNames[static_cast<std::size_t>(*exit.answer)])
                      : "через " + script::seconds_text(exit.wait)) +
         " → " + where_of(exit);
}

std::string copy_text(const Layout& layout) {
  std::string s;
  for (const Card& card : layout.cards) s += card.name + "\r\n";
  return s;
}

}  // namespace designer::scheme
