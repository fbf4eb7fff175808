#include "dialogs/editor/TextPage.h"

#include "dialogs/EditorWidgets.h"
#include "dialogs/ObjectEditor.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace veska {

namespace {

constexpr int kMaxCaption = 250;

// A caption holds its line breaks as CR LF, the memo as LF.
QString CaptionOf(const QString& memoText)
{
  QString caption = memoText;
  caption.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return caption;
}

QString MemoText(const QString& caption)
{
  QString text = caption;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace

TTextPage::TTextPage(TObjectEditor& window) : TEditorPage(window)
{
  setObjectName(QStringLiteral("textPage"));
  newTextButton = Button("newTextButton", QStringLiteral("&New"));
  deleteTextButton = Button("deleteTextButton", QStringLiteral("&Delete"));
  textNameBox = MakeNameBox("textNameBox");
  textContentMemo = Memo("textContentMemo", false);
  textContentMemo->MaxLength = kMaxCaption;

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(PageBar(QStringLiteral("Te&xt Name"), textNameBox, {newTextButton, deleteTextButton}));
  layout->addWidget(BuddyLabel(QStringLiteral("Text &Content"), textContentMemo));
  layout->addWidget(textContentMemo, 1);

  connect(newTextButton, &QPushButton::clicked, this, &TTextPage::NewText);
  connect(deleteTextButton, &QPushButton::clicked, this, [this] {
    if (TDrawingSurface* s = Surface())
      DeleteCurrent(s->Labels, Window.CurrentText, &TDiagram::DeleteLabel);
  });
  OnEdit(textContentMemo, &QPlainTextEdit::textChanged, [this] {
    if (Window.CurrentText)
      Window.CurrentText->SetCaption(CaptionOf(textContentMemo->toPlainText()));
  });
}

bool TTextPage::Fill()
{
  const TDrawingSurface* s = Surface();
  const TTextLabel* label = Window.CurrentText;
  const bool valid = s && label && s->Labels.IndexOfObject(label) >= 0;
  // A label's name is its entry in the surface's list.
  FillNameBox(s ? s->Labels.Texts() : QStringList(),
              valid ? &s->Labels.Strings(s->Labels.IndexOfObject(label)) : nullptr);
  textContentMemo->SetText(valid ? MemoText(label->Caption()) : QString());
  return valid;
}

void TTextPage::Pick(const QString& name)
{
  if (TTextLabel* label = Surface()->Labels.Find(name))
    Window.SetCurrentText(label);
}

void TTextPage::Rename(const QString& typed)
{
  RenameIn(Surface()->Labels, Window.CurrentText, QString(), &TDiagram::RenameLabel, typed);
}

void TTextPage::NewText()
{
  TDrawingSurface* s = Surface();
  if (!s)
    return;
  auto label = std::make_unique<TTextLabel>();
  const int at = 20 * s->Labels.Count();
  label->SetPosition(at, at);
  label->Transparent = true;
  TTextLabel* added = s->AddLabel(std::move(label));
  added->Repaint();
  Window.SetCurrentText(added);
}

}  // namespace veska
