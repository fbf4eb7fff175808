#pragma once
// The application object of the desktop program. Its general error handler
// shows an error that no command handled (a std::exception escaping an event
// handler) in an error box, and the program goes on.

#include <QApplication>

namespace veska {

class TApplication final : public QApplication {
public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
  // The program's name, as the settings and the windows use it.
  static void SetNames();
};

}  // namespace veska
