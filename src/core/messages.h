#pragma once
// Every user-visible message goes through this interface: the client answers
// with modal boxes, the tests with a recorder that answers in advance.
#include <QString>
#include <QStringList>

namespace tcm {

class Messages {
 public:
  virtual ~Messages() = default;
  // The main window's one-line message box with "确定".
  virtual void showMessage(const QString& text) = 0;
  // The plain message box in which a database failure shows its own text.
  virtual void showDbError(const QString& text) = 0;
  // A modal OK/Cancel question; true for OK.
  virtual bool askOkCancel(const QString& title, const QString& text) = 0;
  // A modal question with one button per choice, in order; the index of the
  // chosen button, or -1 when the box was closed without a choice. The button
  // at `defaultChoice` answers Enter.
  virtual int askChoice(const QString& /*title*/, const QString& /*text*/, const QStringList& /*choices*/,
                        int /*defaultChoice*/) {
    return -1;
  }
  // A plain box with its own caption and "确定" (print and file failures).
  virtual void showCaptioned(const QString& /*caption*/, const QString& text) { showMessage(text); }
  // The main window's message box showing the whole text on as many lines as it
  // needs (the full diet advice), never cut off.
  virtual void showWholeText(const QString& text) { showMessage(text); }
};

// Swallows everything; questions are answered with Cancel. For command-line
// runs that report failures themselves.
class SilentMessages : public Messages {
 public:
  void showMessage(const QString& text) override { last = text; }
  void showDbError(const QString& text) override { last = text; }
  bool askOkCancel(const QString&, const QString&) override { return false; }
  QString last;
};

}  // namespace tcm
