#pragma once
// The progress panel of the main window's loading: a caption in the middle of
// the window and, after a failed load, the retry label "[重新读取]".
#include <QFrame>

class QLabel;

namespace tcm::ui {

class TPanel;

class TLoadPanel : public QFrame {
  Q_OBJECT
 public:
  explicit TLoadPanel(QWidget* window);

  QLabel* lblLoadCaption = nullptr;
  TPanel* lblReload = nullptr;  // "[重新读取]", shown only after a failure

  // The caption, the panel centred over the window and painted at once (the
  // loading runs on the window's thread).
  void setCaption(const QString& caption);
  QString caption() const;
  // Shows the panel with a caption, unless a failed load keeps its own.
  void showCaption(const QString& caption);
  // Hides the panel unless a load failed and the retry label stands.
  void hideUnlessFailed();
  // A failed load: the caption and the retry label.
  void showFailure(const QString& caption);
  // Takes the retry label away again (a retry starts).
  void clearFailure();
  bool failed() const;
};

}  // namespace tcm::ui
