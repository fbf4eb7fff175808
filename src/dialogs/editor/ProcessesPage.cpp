#include "dialogs/editor/ProcessesPage.h"

#include "dialogs/EditorWidgets.h"
#include "dialogs/ObjectEditor.h"
#include "model/EditRules.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace veska {

TProcessesPage::TProcessesPage(TObjectEditor& window) : TEditorPage(window)
{
  setObjectName(QStringLiteral("processesPage"));
  Build();
  Connect();
}

void TProcessesPage::Build()
{
  newProcessButton = Button("newProcessButton", QStringLiteral("&New"));
  deleteProcessButton = Button("deleteProcessButton", QStringLiteral("&Delete"));
  processNameBox = MakeNameBox("processNameBox");
  serverCombo = new QComboBox;
  serverCombo->setObjectName(QStringLiteral("serverCombo"));
  processContentMemo = Memo("processContentMemo", false);
  processContentMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  processContentMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(
      PageBar(QStringLiteral("&Process Name"), processNameBox, {newProcessButton, deleteProcessButton}));
  auto* server = new QHBoxLayout;
  server->addWidget(BuddyLabel(QStringLiteral("&Server"), serverCombo));
  server->addWidget(serverCombo, 1);
  layout->addLayout(server);
  layout->addWidget(BuddyLabel(QStringLiteral("Process &Content"), processContentMemo));
  layout->addWidget(processContentMemo, 1);
}

void TProcessesPage::Connect()
{
  connect(newProcessButton, &QPushButton::clicked, this, [this] {
    if (TDrawingSurface* s = Surface())
      Window.SetCurrentProcess(s->AddServerProc(std::make_unique<TServerProc>()));
  });
  connect(deleteProcessButton, &QPushButton::clicked, this, [this] {
    if (TDrawingSurface* s = Surface())
      DeleteCurrent(s->ServerProcs, Window.CurrentProcess, &TDiagram::DeleteServerProc);
  });
  OnEdit(serverCombo, &QComboBox::activated, [this] {
    if (Window.CurrentProcess)
      Window.CurrentProcess->Server = serverCombo->currentText();
  });
  OnEdit(processContentMemo, &QPlainTextEdit::textChanged, [this] {
    if (Window.CurrentProcess)
      Window.CurrentProcess->Text = processContentMemo->Lines();
  });
}

void TProcessesPage::SetServerNames(const QStringList& servers)
{
  const QSignalBlocker block(serverCombo);
  serverCombo->clear();
  serverCombo->addItems(servers);
  serverCombo->setCurrentIndex(-1);
}

bool TProcessesPage::Fill()
{
  const TDrawingSurface* s = Surface();
  const TServerProc* p = Window.CurrentProcess;
  const bool valid = s && p && s->ServerProcs.IndexOfObject(p) >= 0;
  FillNameBox(s ? s->ServerProcs.Texts() : QStringList(), valid ? &p->Name : nullptr);
  {
    const QSignalBlocker block(serverCombo);
    serverCombo->setCurrentIndex(valid ? serverCombo->findText(p->Server, Qt::MatchFixedString) : -1);
  }
  processContentMemo->SetLines(valid ? p->Text : QStringList());
  return valid;
}

void TProcessesPage::Pick(const QString& name)
{
  if (TServerProc* p = Surface()->ServerProcs.Find(name))
    Window.SetCurrentProcess(p);
}

void TProcessesPage::Rename(const QString& typed)
{
  RenameIn(Surface()->ServerProcs, Window.CurrentProcess, ProcessNameRefusal(typed), &TDiagram::RenameServerProc,
           typed);
}

}  // namespace veska
