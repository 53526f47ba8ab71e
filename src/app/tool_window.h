#pragma once
// The borderless windows that stay open beside the main window (the customer
// window, the diabetes questionnaire, the shop settings): a white area of a
// fixed size in a 2-pixel frame, with their own title strip on top.
#include <QWidget>

class QFrame;
class QTabWidget;
class QLabel;
class QVBoxLayout;

namespace tcm::ui {

class TPanel;

class TToolWindow : public QWidget {
  Q_OBJECT
 public:
  TToolWindow(const QString& objectName, const QString& title, QSize size, QWidget* parent);

  QFrame* pnlTitle = nullptr;
  QLabel* lblTitle = nullptr;
  TPanel* imgClose = nullptr;  // the window connects it to its own close

 protected:
  // Where the window puts its controls, below the title strip.
  QVBoxLayout* body() const { return body_; }
  // The tabbed pages filling the window below the title, in the windows' tab style.
  QTabWidget* addPages(const QString& objectName);
  void paintEvent(QPaintEvent* e) override;

 private:
  QVBoxLayout* body_ = nullptr;
};

}  // namespace tcm::ui
