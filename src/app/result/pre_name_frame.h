#pragma once
// A prescription slot of the result panel: the prescription's name (its id
// kept as the label's hint), a check box used by the diet slots.
#include <QFrame>

class QCheckBox;
class QLabel;

namespace tcm::ui {

class TPreNameFrame : public QFrame {
  Q_OBJECT
 public:
  explicit TPreNameFrame(bool withCheckBox, QWidget* parent = nullptr);

  QLabel* lblName = nullptr;
  QCheckBox* chk = nullptr;
  QLabel* lblScore = nullptr;
  QLabel* lblHerCount = nullptr;
  QFrame* pnl20 = nullptr;

  QString Id, SynId, Syn, FType, herIds;
  int FromType = 0, HerCount = 0, Score = 0;

  // The prescription id held by the name label.
  QString preId() const { return hint_; }
  void fill(const QString& preId, const QString& name, const QString& synId, const QString& syn, const QString& remark);
  void Clear();

 Q_SIGNALS:
  void nameClicked(TPreNameFrame* slot);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QString hint_;
};

}  // namespace tcm::ui
