#pragma once
// The texts of a list widget's entries, in order.

#include <QListWidget>
#include <QStringList>

namespace veska::test {

inline QStringList Items(const QListWidget* list)
{
  QStringList items;
  for (int i = 0; i < list->count(); ++i)
    items << list->item(i)->text();
  return items;
}

}  // namespace veska::test
