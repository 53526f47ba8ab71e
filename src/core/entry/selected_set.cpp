#include "entry/selected_set.h"

#include <QDate>

#include "text/item_list.h"

namespace tcm {

const std::array<CategoryInfo, 4>& categories() {
  static const std::array<CategoryInfo, 4> all = {{
      {"0", "症状：", 30, "症状数量不能超过30个"},
      {"5", "舌象：", 20, "舌苔及舌质数量不能超过20个"},
      {"6", "脉象：", 10, "脉象数量不能超过10个"},
      {"8", "疾病：", 1, "疾病只能选择1个"},
  }};
  return all;
}

bool categoryOf(const QString& classId, Category* category) {
  for (size_t i = 0; i < categories().size(); ++i) {
    if (classId == QLatin1String(categories()[i].classId)) {
      *category = static_cast<Category>(i);
      return true;
    }
  }
  return false;
}

bool SelectedSet::isEmpty() const {
  for (const auto& list : items_)
    if (!list.isEmpty()) return false;
  return true;
}

void SelectedSet::notifyChanged() const {
  if (changed_) changed_();
}

bool SelectedSet::isFull(Category c) const {
  return items(c).size() >= categories()[static_cast<size_t>(c)].capacity;
}

QString SelectedSet::fullMessage(const QString& classId) const {
  Category c;
  if (!categoryOf(classId, &c) || !isFull(c)) return {};
  return QString::fromUtf8(categories()[static_cast<size_t>(c)].fullMessage);
}

bool SelectedSet::GetMutexSym(const QString& mutex) const {
  const QStringList parts = mutex.split(QLatin1Char(','));
  for (Category c : {Category::Symptom, Category::Tongue, Category::Pulse})
    for (const ChosenFinding& f : items(c))
      if (parts.contains(f.id)) return true;
  return false;
}

bool SelectedSet::ChkSelSym(Category c, const QString& id) const {
  for (const ChosenFinding& f : items(c))
    if (f.id == id) return true;
  return false;
}

bool SelectedSet::contains(const QString& id) const {
  for (size_t c = 0; c < items_.size(); ++c)
    if (ChkSelSym(static_cast<Category>(c), id)) return true;
  return false;
}

AddResult SelectedSet::AddSelSym(const QString& classId, const QString& id, const QString& name,
                                 const QString& gender, const QString& ids) {
  Category c;
  if (!categoryOf(classId, &c)) return AddResult::UnknownCategory;
  if (isFull(c)) return AddResult::Full;
  if (contains(id)) return AddResult::Duplicate;
  ChosenFinding f;
  f.id = id;
  f.ids = ids;
  f.name = name;
  f.classId = classId;
  f.gender = gender;
  f.primary = c == Category::Disease;
  f.serial = ++serial_;
  items_[static_cast<size_t>(c)].append(f);
  notifyChanged();
  return AddResult::Added;
}

bool SelectedSet::Del(Category c, const QString& id) {
  auto& list = items_[static_cast<size_t>(c)];
  for (qsizetype i = 0; i < list.size(); ++i) {
    if (list[i].id == id) {
      list.removeAt(i);
      notifyChanged();
      return true;
    }
  }
  return false;
}

void SelectedSet::clear() {
  if (isEmpty()) return;
  for (auto& list : items_) list.clear();
  notifyChanged();
}

QString SelectedSet::togglePrimary(Category c, const QString& id) {
  QString primary;
  bool changed = false;
  if (c == Category::Symptom || c == Category::Disease) {
    auto& list = items_[static_cast<size_t>(c)];
    for (ChosenFinding& f : list) {
      if (f.id != id) continue;
      f.primary = !f.primary;
      changed = true;
      if (f.primary) primary = f.id;
      break;
    }
  }
  for (Category other : {Category::Symptom, Category::Disease}) {
    for (ChosenFinding& f : items_[static_cast<size_t>(other)]) {
      if (other == c && f.id == id) continue;
      changed = changed || f.primary;
      f.primary = false;
    }
  }
  if (changed) notifyChanged();
  return primary.isEmpty() ? primaryId() : primary;
}

QString SelectedSet::primaryId() const {
  for (const ChosenFinding& f : items(Category::Disease))
    if (f.primary) return f.id;
  for (const ChosenFinding& f : items(Category::Symptom))
    if (f.primary) return f.id;
  return {};
}

QStringList SelectedSet::GetCodeList() const {
  QStringList codes;
  for (Category c : {Category::Disease, Category::Symptom, Category::Tongue})
    for (const ChosenFinding& f : items(c)) GetCode(codes, f.id);
  return codes;
}

namespace {

// Names are stored unescaped; the separators of the form are replaced by their
// full-width forms so that a stored item always has its five fields.
QString storableName(QString name) {
  name.replace(QLatin1Char(','), QChar(0xFF0C));
  name.replace(QLatin1Char('|'), QChar(0xFF5C));
  return name;
}

}  // namespace

QString SelectedSet::findingListText() const {
  QStringList out;
  for (Category c : {Category::Disease, Category::Symptom, Category::Tongue, Category::Pulse}) {
    const bool markable = c == Category::Disease || c == Category::Symptom;
    for (const ChosenFinding& f : items(c)) {
      out << QStringList{f.classId, f.id, storableName(f.name), markable ? f.gender : QStringLiteral("3"),
                         markable && f.primary ? QStringLiteral("1") : QStringLiteral("0")}
                 .join(QLatin1Char(','));
    }
  }
  return out.join(QLatin1Char('|'));
}

QString SelectedSet::shownText() const {
  QStringList names;
  for (Category c : {Category::Disease, Category::Symptom, Category::Tongue, Category::Pulse})
    for (const ChosenFinding& f : items(c)) names << f.name;
  return names.join(QChar(0xFF0C));
}

QString inquiryGender(const QString& genderBox) {
  return genderBox == QStringLiteral("男") ? QStringLiteral("1") : QStringLiteral("2");
}

bool gynecologyAllowed(const QString& genderBox, const QString& ageBox) {
  return genderBox == QStringLiteral("女") && leadingNumber(ageBox) >= 11;
}

QString CalaAge(const QString& age, const QDate& wrdate, const QDate& today) {
  const int years = wrdate.isValid() ? today.year() - wrdate.year() : 0;
  return QString::number(leadingNumber(age) + years);
}

}  // namespace tcm
