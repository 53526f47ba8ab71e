#pragma once
// The chip used for a selected finding and for an inquiry answer: a caption
// in a rounded shape, an add icon (diseases) and a help icon.
#include <QFrame>

class QLabel;
class QMenu;

namespace tcm::ui {

class TSelSymFra : public QFrame {
  Q_OBJECT
 public:
  explicit TSelSymFra(QWidget* parent = nullptr);

  QFrame* shp1 = nullptr;
  QLabel* lblName = nullptr;
  QLabel* imgAdd = nullptr;
  QLabel* imgAdd1 = nullptr;
  QLabel* imgHelp = nullptr;

  QString id, ids, exp, childTag, mutex, classId, gender;

  // Sets the caption and fits the chip's width to it and its visible icons.
  void setCaption(const QString& caption);
  QString caption() const;
  void setAddIconVisible(bool visible);
  // Inquiry answers: white when not selected, light grey when selected.
  void setSelected(bool selected);
  bool isSelected() const { return selected_; }
  // Selected findings: dark green with a white caption when marked primary.
  void setPrimaryLook(bool primary);
  bool hasPrimaryLook() const { return primary_; }
  // Attaches the pop-up menu with the single item "删除".
  void enableDeleteMenu();

 Q_SIGNALS:
  // A click on the caption (or an icon's own action).
  void captionClicked(TSelSymFra* chip);
  // A click on the chip's blank padding around the caption.
  void panelClicked(TSelSymFra* chip);
  void addClicked(TSelSymFra* chip);
  void deleteRequested(TSelSymFra* chip);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  void fitWidth();
  void applyLook();
  bool selected_ = false;
  bool primary_ = false;
  bool answerStyle_ = true;
  QMenu* menu_ = nullptr;
};

}  // namespace tcm::ui
