#include "model/Controls.h"

#include "model/Diagram.h"
#include "model/Identifiers.h"

#include <QRegularExpression>

namespace veska {

void TControl::SetBounds(int left, int top, int width, int height)
{
  if (left == Left && top == Top && width == Width && height == Height)
    return;
  const QRect old = BoundsRect();
  Left = left;
  Top = top;
  Width = width;
  Height = height;
  if (FDiagram) {
    FDiagram->ControlMoved(*this);
    FDiagram->Invalidate(old);
    FDiagram->Invalidate(BoundsRect());
  }
}

void TControl::Repaint()
{
  if (FDiagram)
    FDiagram->Invalidate(BoundsRect());
}

void TControl::BringToFront()
{
  if (FDiagram) {
    ZOrder = FDiagram->NextZOrder();
    Repaint();
  }
}

QStringList TTextLabel::CaptionLines(const QString& caption)
{
  // Most captions (relation names) are one line: no need to split.
  if (!caption.contains(QLatin1Char('\n')) && !caption.contains(QLatin1Char('\r')))
    return {caption};
  static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
  QStringList lines = caption.split(breaks);
  if (lines.size() > 1 && lines.back().isEmpty())
    lines.removeLast();
  return lines;
}

void TTextLabel::SetCaption(const QString& caption)
{
  if (caption == FCaption)
    return;
  FCaption = caption;
  for (TSizeMemo& memo : FSizes)
    memo.Height = -1;
  AdjustSize();
  // The new text must be drawn also when the size stays as it was (an edit
  // inside a line that is not the widest); a changed size has invalidated
  // the old and the new bounds already, drawing the new ones once more is
  // harmless.
  Repaint();
}

void TTextLabel::SetFont(const QFont& font)
{
  Font = font;
  AdjustSize();
}

void TTextLabel::AdjustSize()
{
  if (!FDiagram)
    return;
  const TTextMeasurer& m = FDiagram->Measurer();
  const auto fits = [&](const TSizeMemo& memo) {
    return memo.Height >= 0 && FSizesMeasurer == &m && memo.Font == Font;
  };
  if (!fits(FSizes[0])) {
    std::swap(FSizes[0], FSizes[1]);
    if (!fits(FSizes[0])) {
      if (FSizesMeasurer != &m)
        FSizes[1].Height = -1;
      FSizesMeasurer = &m;
      const QStringList lines = CaptionLines(FCaption);
      int width = 0;
      for (const QString& line : lines)
        width = qMax(width, m.TextWidth(Font, line));
      FSizes[0] = {Font, width, static_cast<int>(lines.size()) * m.TextHeight(Font, QStringLiteral("A"))};
    }
  }
  SetBounds(Left, Top, FSizes[0].Width, FSizes[0].Height);
}

}  // namespace veska
