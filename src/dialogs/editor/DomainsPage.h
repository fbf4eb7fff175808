#pragma once
// The "Domains" page: a domain's name, data type, validation rule and
// description.

#include "dialogs/editor/EditorPage.h"

namespace veska {

class TDomainsPage : public TEditorPage {
  Q_OBJECT
public:
  explicit TDomainsPage(TObjectEditor& window);

  TNameBox* domainNameBox = nullptr;
  QPushButton* newDomainButton = nullptr;
  QPushButton* deleteDomainButton = nullptr;
  QLineEdit* dataTypeEdit = nullptr;
  QLineEdit* validationRuleEdit = nullptr;
  TMemo* domainDescriptionMemo = nullptr;

protected:
  bool Fill() override;
  void Pick(const QString& name) override;
  void Rename(const QString& typed) override;

private:
  void Build();
  void Connect();
};

}  // namespace veska
