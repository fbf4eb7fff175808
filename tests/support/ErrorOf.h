#pragma once
// The message of an exception a test expects, for comparing it as text.

#include <QString>

namespace veska::test {

// what() of the TError that `action` throws; empty when it throws none.
template <class TError, class TAction>
QString ErrorOf(TAction action)
{
  try {
    action();
  } catch (const TError& e) {
    return QString::fromStdString(e.what());
  }
  return {};
}

}  // namespace veska::test
