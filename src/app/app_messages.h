#pragma once
// The client's answer to messages: the main window's box (every line of the
// text, so showWholeText is showMessage), the plain box for database failures,
// and the OK/Cancel question. Both boxes wrap and show the whole text.
#include "messages.h"

namespace tcm::ui {

class TMainFrm;

class AppMessages : public Messages {
 public:
  void setMainFrm(TMainFrm* main) { main_ = main; }
  void showMessage(const QString& text) override;
  void showDbError(const QString& text) override;
  bool askOkCancel(const QString& title, const QString& text) override;
  int askChoice(const QString& title, const QString& text, const QStringList& choices, int defaultChoice) override;
  void showCaptioned(const QString& caption, const QString& text) override;

 private:
  TMainFrm* main_ = nullptr;
};

}  // namespace tcm::ui
