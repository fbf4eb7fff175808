#include "arrange/Arrange.h"

#include "platform/Progress.h"
#include "surface/DrawingSurface.h"

#include <graphviz/cgraph.h>
#include <graphviz/gvc.h>

#include <QByteArray>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <deque>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace veska {
namespace {

// Space kept free around the arranged boxes and between placed text labels.
constexpr int kMargin = 20;
// Horizontal room between two boxes of a row, in points (= pixels here).
constexpr int kNodeSeparation = 24;
// Graphviz measures in points, 72 to the inch; a diagram pixel is taken as
// one point, so positions come back in pixels.
constexpr double kPointsPerInch = 72.0;
// The most boxes the layered layout places with Graphviz's full effort.
constexpr size_t kThoroughLimit = 300;

// Graphviz keeps global state (its error handling, the plugin tables) and is
// not thread-safe: one layout at a time, each with its own context.
std::mutex GraphvizLock;

struct TContextDeleter {
  void operator()(GVC_t* gvc) const { gvFreeContext(gvc); }
};
struct TGraphDeleter {
  void operator()(Agraph_t* g) const { agclose(g); }
};

char* Text(const char* text)
{
  return const_cast<char*>(text);
}

// A relation between two arranged entities, as the layout sees it: `Tail`
// is drawn above `Head` in the layered layout.
struct TLink {
  TRelation* Relation = nullptr;
  int Tail = 0;
  int Head = 0;
};

// Orients the links so that they form no cycle while every primary relation
// keeps its parent as the tail: a topological order over all relations that
// gives way, where relations close a cycle, only on foreign ones (primary
// relations never form one). Links from a later node to an earlier one are
// turned round.
void OrientLinks(int count, std::vector<TLink>& links)
{
  std::vector<std::vector<size_t>> out(static_cast<size_t>(count));
  std::vector<int> inAll(static_cast<size_t>(count), 0);
  std::vector<int> inPrimary(static_cast<size_t>(count), 0);
  for (size_t i = 0; i < links.size(); ++i) {
    const TLink& l = links[i];
    out[static_cast<size_t>(l.Tail)].push_back(i);
    ++inAll[static_cast<size_t>(l.Head)];
    if (l.Relation->PrimaryRelation())
      ++inPrimary[static_cast<size_t>(l.Head)];
  }
  std::deque<int> free;     // no relation from an unplaced node
  std::deque<int> primary;  // no primary relation from an unplaced node
  for (int v = 0; v < count; ++v) {
    if (inAll[static_cast<size_t>(v)] == 0)
      free.push_back(v);
    if (inPrimary[static_cast<size_t>(v)] == 0)
      primary.push_back(v);
  }
  std::vector<int> order(static_cast<size_t>(count), -1);
  int placed = 0;
  int scan = 0;  // a damaged file may hold a primary cycle after all
  const auto take = [&order](std::deque<int>& queue) {
    while (!queue.empty() && order[static_cast<size_t>(queue.front())] >= 0)
      queue.pop_front();
    if (queue.empty())
      return -1;
    const int v = queue.front();
    queue.pop_front();
    return v;
  };
  while (placed < count) {
    int v = take(free);
    if (v < 0)
      v = take(primary);
    if (v < 0) {
      while (order[static_cast<size_t>(scan)] >= 0)
        ++scan;
      v = scan;
    }
    order[static_cast<size_t>(v)] = placed++;
    for (size_t i : out[static_cast<size_t>(v)]) {
      const TLink& l = links[i];
      const auto head = static_cast<size_t>(l.Head);
      if (--inAll[head] == 0)
        free.push_back(l.Head);
      if (l.Relation->PrimaryRelation() && --inPrimary[head] == 0)
        primary.push_back(l.Head);
    }
  }
  for (TLink& l : links)
    if (order[static_cast<size_t>(l.Tail)] > order[static_cast<size_t>(l.Head)])
      std::swap(l.Tail, l.Head);
}

// Where the layout put each box, its top left corner relative to the
// top left of the layout's bounding box, in pixels.
struct TLayout {
  std::vector<QPoint> At;
  QSize Size;
};

TLayout RunGraphviz(const std::vector<TEntity*>& entities, const std::vector<TLink>& links, bool layered,
                    int labelHeight)
{
  const std::lock_guard<std::mutex> lock(GraphvizLock);
  agseterr(AGMAX);  // warnings and errors are not for the user's terminal
  std::unique_ptr<GVC_t, TContextDeleter> gvc(gvContext());
  std::unique_ptr<Agraph_t, TGraphDeleter> g(agopen(Text("arrange"), Agstrictdirected, nullptr));

  const auto graphAttr = [&g](const char* name, const QByteArray& value) {
    agattr(g.get(), AGRAPH, Text(name), Text(value.constData()));
  };
  // No edges drawn: the program routes its relations itself.
  graphAttr("splines", "");
  if (layered) {
    // The free band between two rows holds the relation name labels: the
    // name above the middle line and the inverse name below it.
    const int band = std::max(36, 2 * (labelHeight + 6));
    graphAttr("rankdir", "TB");
    graphAttr("nodesep", QByteArray::number(kNodeSeparation / kPointsPerInch));
    graphAttr("ranksep", QByteArray::number(band / kPointsPerInch));
    // Beyond a few hundred boxes, fewer passes at the crossings and the
    // network simplex: measured 6 s down to under 2 s at 1,000 entities,
    // the rows and their order still sound.
    if (entities.size() > kThoroughLimit) {
      graphAttr("mclimit", "0.2");
      graphAttr("nslimit", "2");
      graphAttr("nslimit1", "2");
    }
  } else {
    graphAttr("overlap", "prism");
    graphAttr("sep", "+" + QByteArray::number(kNodeSeparation / 2));
  }
  agattr(g.get(), AGNODE, Text("shape"), Text("box"));
  agattr(g.get(), AGNODE, Text("fixedsize"), Text("true"));
  agattr(g.get(), AGNODE, Text("label"), Text(""));
  Agsym_t* width = agattr(g.get(), AGNODE, Text("width"), Text("1"));
  Agsym_t* height = agattr(g.get(), AGNODE, Text("height"), Text("1"));
  Agsym_t* weight = agattr(g.get(), AGEDGE, Text("weight"), Text("1"));

  std::vector<Agnode_t*> nodes;
  nodes.reserve(entities.size());
  for (size_t i = 0; i < entities.size(); ++i) {
    const QByteArray name = "n" + QByteArray::number(static_cast<qulonglong>(i));
    Agnode_t* n = agnode(g.get(), Text(name.constData()), 1);
    agxset(n, width, Text(QByteArray::number(std::max(1, entities[i]->Width) / kPointsPerInch).constData()));
    agxset(n, height, Text(QByteArray::number(std::max(1, entities[i]->Height) / kPointsPerInch).constData()));
    nodes.push_back(n);
  }
  for (const TLink& l : links) {
    Agedge_t* e = agedge(g.get(), nodes[static_cast<size_t>(l.Tail)], nodes[static_cast<size_t>(l.Head)], nullptr, 1);
    // Master-detail pairs are kept closer together than references.
    if (l.Relation->PrimaryRelation())
      agxset(e, weight, Text("2"));
  }

  TLayout layout;
  if (gvLayout(gvc.get(), g.get(), layered ? "dot" : "sfdp") != 0)
    return layout;
  const boxf bb = GD_bb(g.get());
  layout.At.reserve(nodes.size());
  int right = 0;
  int bottom = 0;
  for (size_t i = 0; i < nodes.size(); ++i) {
    const pointf c = ND_coord(nodes[i]);
    const TEntity& e = *entities[i];
    // Graphviz's y axis points up, the diagram's down.
    const QPoint at(static_cast<int>(std::lround(c.x - bb.LL.x - e.Width / 2.0)),
                    static_cast<int>(std::lround(bb.UR.y - c.y - e.Height / 2.0)));
    layout.At.push_back(at);
    right = std::max(right, at.x() + e.Width);
    bottom = std::max(bottom, at.y() + e.Height);
  }
  // Rounding may have put a box a pixel beyond the bounding box's corner.
  int left = 0;
  int top = 0;
  for (const QPoint& p : layout.At) {
    left = std::min(left, p.x());
    top = std::min(top, p.y());
  }
  for (QPoint& p : layout.At)
    p -= QPoint(left, top);
  layout.Size = QSize(right - left, bottom - top);
  gvFreeLayout(gvc.get(), g.get());
  return layout;
}

QPoint Centre(const TEntity& e)
{
  return QPoint(e.Left + e.Width / 2, e.Top + e.Height / 2);
}

// In the layered layout, the y of the middle line of each link: in the
// middle of the free band below the upper end's row.
void PlaceMiddleLines(const std::vector<TEntity*>& entities, const std::vector<TLink>& links)
{
  // A row's boxes share their centre; the row reaches from its highest top
  // to its lowest bottom.
  std::map<int, std::pair<int, int>> rows;
  for (const TEntity* e : entities) {
    const int centre = e->Top + e->Height / 2;
    auto [row, added] = rows.try_emplace(centre, e->Top, e->Top + e->Height);
    if (!added) {
      row->second.first = std::min(row->second.first, e->Top);
      row->second.second = std::max(row->second.second, e->Top + e->Height);
    }
  }
  for (const TLink& l : links) {
    const TEntity& tail = *entities[static_cast<size_t>(l.Tail)];
    const int centre = tail.Top + tail.Height / 2;
    const auto row = rows.find(centre);
    if (row == rows.end() || std::next(row) == rows.end())
      continue;
    const auto next = std::next(row);
    const int y = (row->second.second + next->second.first) / 2;
    l.Relation->MidPoint = QPoint((l.Relation->ParentPoint.x() + l.Relation->ChildPoint.x()) / 2, y);
  }
}

// Moves the visible free text labels that lie on an arranged box to a row
// below everything else on the diagram.
int MoveCoveredLabels(TDrawingSurface& surface, const std::vector<TEntity*>& arranged)
{
  std::vector<TTextLabel*> covered;
  for (TTextLabel* label : surface.Labels) {
    if (!label->Visible)
      continue;
    const QRect r = label->BoundsRect();
    if (std::any_of(arranged.begin(), arranged.end(), [&r](const TEntity* e) { return e->BoundsRect().intersects(r); }))
      covered.push_back(label);
  }
  if (covered.empty())
    return 0;
  int bottom = 0;
  for (const TEntity* e : surface.Entities)
    if (e->Visible)
      bottom = std::max(bottom, e->Top + e->Height);
  for (const TRelation* r : surface.Relations)
    if (r->Visible())
      for (const TTextLabel* l : {&r->NameLabel, &r->InverseNameLabel})
        bottom = std::max(bottom, l->Top + l->Height);
  for (const TTextLabel* l : surface.Labels)
    if (l->Visible && std::find(covered.begin(), covered.end(), l) == covered.end())
      bottom = std::max(bottom, l->Top + l->Height);
  int x = kMargin;
  int y = bottom + kMargin;
  int rowHeight = 0;
  for (TTextLabel* label : covered) {
    if (x > kMargin && x + label->Width > surface.Width - kMargin) {
      x = kMargin;
      y += rowHeight + kMargin;
      rowHeight = 0;
    }
    label->SetPosition(x, y);
    x += label->Width + kMargin;
    rowHeight = std::max(rowHeight, label->Height);
  }
  return static_cast<int>(covered.size());
}

// Grows the surface to hold every visible box and label with a margin.
void GrowSurface(TDrawingSurface& surface)
{
  int right = 0;
  int bottom = 0;
  const auto hold = [&right, &bottom](const TControl& c) {
    right = std::max(right, c.Left + c.Width);
    bottom = std::max(bottom, c.Top + c.Height);
  };
  for (const TEntity* e : surface.Entities)
    if (e->Visible)
      hold(*e);
  for (const TRelation* r : surface.Relations) {
    if (r->Visible() && surface.RelationLabelVisible) {
      hold(r->NameLabel);
      hold(r->InverseNameLabel);
    }
  }
  for (const TTextLabel* l : surface.Labels)
    if (l->Visible)
      hold(*l);
  surface.Width = std::max(surface.Width, right + kMargin);
  surface.Height = std::max(surface.Height, bottom + kMargin);
}

}  // namespace

TArrangeResult ArrangeDiagram(TDrawingSurface& surface, bool selectedOnly, const TArrangeOptions& options)
{
  TArrangeResult result;
  std::vector<TEntity*> entities;
  std::map<const TEntity*, int> index;
  for (TEntity* e : surface.Entities) {
    if (!e->Visible || (selectedOnly && !e->Selected()))
      continue;
    index.emplace(e, static_cast<int>(entities.size()));
    entities.push_back(e);
  }
  if (entities.empty())
    return result;
  result.Arranged = static_cast<int>(entities.size());
  result.Layered = result.Arranged <= options.LayeredLimit;

  std::vector<TLink> links;
  std::vector<TRelation*> touched;  // relations with at least one end arranged
  int labelHeight = 0;
  for (TRelation* r : surface.Relations) {
    const auto parent = index.find(r->Parent);
    const auto child = index.find(r->Child);
    if (parent == index.end() && child == index.end())
      continue;
    touched.push_back(r);
    if (parent == index.end() || child == index.end() || parent->second == child->second)
      continue;
    links.push_back({r, parent->second, child->second});
    labelHeight = std::max({labelHeight, r->NameLabel.Height, r->InverseNameLabel.Height});
  }
  if (result.Layered)
    OrientLinks(result.Arranged, links);

  TLayout layout;
  {
    TProgressRun run(options.Progress, QStringLiteral("Arranging Diagram"), 0);
    if (options.Progress) {
      auto running = std::async(std::launch::async, [&] {
        return RunGraphviz(entities, links, result.Layered, labelHeight);
      });
      for (qint64 ticks = 1; running.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready; ++ticks)
        run.Step(ticks);
      layout = running.get();
    } else {
      layout = RunGraphviz(entities, links, result.Layered, labelHeight);
    }
  }
  if (layout.At.size() != entities.size())
    return TArrangeResult{};

  // The whole diagram starts at the margin; a selection keeps its top left
  // corner unless it would come to lie on a box that is not arranged, and
  // then goes below all of them.
  QPoint origin(kMargin, kMargin);
  if (selectedOnly) {
    origin = QPoint(INT_MAX, INT_MAX);
    for (const TEntity* e : entities)
      origin = QPoint(std::min(origin.x(), e->Left), std::min(origin.y(), e->Top));
    origin = QPoint(std::max(origin.x(), 0), std::max(origin.y(), 0));
    const QRect block(origin - QPoint(kMargin, kMargin), layout.Size + QSize(2 * kMargin, 2 * kMargin));
    int bottom = -1;
    bool blocked = false;
    for (const TEntity* e : surface.Entities) {
      if (!e->Visible || index.count(e))
        continue;
      blocked = blocked || e->BoundsRect().intersects(block);
      bottom = std::max(bottom, e->Top + e->Height);
    }
    if (blocked)
      origin.setY(bottom + 2 * kMargin);
  }

  for (size_t i = 0; i < entities.size(); ++i) {
    TEntity& e = *entities[i];
    const QPoint at = origin + layout.At[i];
    if (at != QPoint(e.Left, e.Top))
      ++result.Moved;
    e.SetPosition(at);
  }

  // The relations start from the middle of their boxes again; routing keeps
  // their ends on the boxes' edges.
  for (TRelation* r : touched) {
    r->ParentPoint = Centre(*r->Parent);
    r->ChildPoint = Centre(*r->Child);
    r->MidPoint = (r->ParentPoint + r->ChildPoint) / 2;
    if (index.count(r->Parent) && index.count(r->Child))
      r->LabelAutoPlace = true;
  }
  if (result.Layered)
    PlaceMiddleLines(entities, links);
  for (TRelation* r : touched)
    if (r->Visible() && !r->Suspended())
      r->Reroute();

  result.LabelsMoved = MoveCoveredLabels(surface, entities);
  GrowSurface(surface);
  surface.Invalidate(QRect());
  return result;
}

}  // namespace veska
