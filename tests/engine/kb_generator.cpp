#include "kb_generator.h"

#include <set>

namespace tcm::test {
namespace {

const char* const kDemographic[] = {"01294", "01295", "01292", "01293", "01084", "00990", "00997"};

QString twoDigits(int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }

QChar groupChar(int g) { return g <= 9 ? QChar(u'0' + g) : QChar(u'a' + (g - 10)); }

}  // namespace

KbGenerator::KbGenerator(uint32_t seed, KbShape shape) : rng_(seed), shape_(shape) {
  std::set<int> ids;
  while (static_cast<int>(ids.size()) < shape_.codePool) ids.insert(uniform(1, 3000));
  for (int id : ids) codes_ << QStringLiteral("%1").arg(id, 5, 10, QLatin1Char('0'));
  for (const char* c : kDemographic) codes_ << QLatin1String(c);
}

QString KbGenerator::segment(int maxCodes) {
  QString s = QString::number(uniform(0, 2)) + twoDigits(uniform(0, 30));
  const int n = uniform(1, maxCodes);
  for (int i = 0; i < n; ++i) s += code();
  return s;
}

QString KbGenerator::moduleList(int maxModules) {
  QStringList modules;
  const int n = uniform(0, maxModules);
  for (int m = 0; m < n; ++m) {
    QStringList segments;
    const int k = uniform(1, 3);
    for (int i = 0; i < k; ++i) segments << segment(3);
    modules << segments.join(QLatin1Char('-'));
  }
  return modules.join(QLatin1Char('&'));
}

// One of the damages stored texts suffer: a letter for a digit, a cut, a doubled or trailing separator.
QString KbGenerator::damage(const QString& text) {
  QString t = text;
  switch (uniform(0, 5)) {
    case 0:
      if (!t.isEmpty()) t[uniform(0, static_cast<int>(t.size()) - 1)] = QLatin1Char('x');
      break;
    case 1:
      t.truncate(uniform(0, static_cast<int>(t.size())));
      break;
    case 2:
      t += QLatin1Char('-');
      break;
    case 3:
      t.replace(QLatin1Char('-'), QStringLiteral("--"));
      break;
    case 4:
      t = QLatin1Char('&') + t;
      break;
    default:
      t.insert(uniform(0, static_cast<int>(t.size())), QLatin1Char(' '));
  }
  return t;
}

void KbGenerator::fillProfile(TDisease& d) {
  const int groups = chance(0.1) ? uniform(6, 15) : uniform(1, 6);
  QString orValue, weight;
  QStringList entries;
  std::vector<int> order(static_cast<size_t>(groups));
  for (int g = 0; g < groups; ++g) order[static_cast<size_t>(g)] = g + 1;
  if (chance(0.1)) std::shuffle(order.begin(), order.end(), rng_);  // groups out of order
  std::vector<int> sizes(static_cast<size_t>(groups) + 1);
  for (int g = 1; g <= groups; ++g) {
    const int size = uniform(1, 5);
    sizes[static_cast<size_t>(g)] = size;
    orValue += QString::number(chance(0.1) ? 0 : uniform(1, std::min(size, 4)));
    weight += twoDigits(uniform(5, 60));
  }
  for (int g : order) {
    const int size = sizes[static_cast<size_t>(g)];
    int must = 0;
    if (chance(0.3)) must = chance(0.3) ? 9 : uniform(1, 3);
    for (int place = 1; place <= size; ++place) {
      const int entryMust = place == 1 ? must : (chance(0.6) ? must : 0);
      entries << QString(groupChar(g)) + QString::number(std::min(place, 9)) + QString::number(entryMust) +
                     QString::number(uniform(0, 3)) + QLatin1Char('0') + code();
    }
  }
  d.ORValue = orValue;
  d.Weight = weight;
  d.SymIdStr = entries.join(QLatin1Char('-'));
  if (chance(0.02)) d.MatchSymIdFlag = 1;
}

TDisease KbGenerator::syndrome(int id) {
  TDisease d;
  d.Id = id;
  d.Name = QStringLiteral("证候%1").arg(id);
  fillProfile(d);
  d.Dep1 = QString::number(uniform(1, 8));
  if (chance(0.4)) {
    QStringList deps;
    const int n = uniform(1, 3);
    for (int i = 0; i < n; ++i) deps << QString::number(uniform(1, 12));
    d.Dep2 = deps.join(QLatin1Char(','));
  }
  if (chance(0.5)) {
    QStringList segs;
    const int n = uniform(1, 3);
    for (int i = 0; i < n; ++i) segs << segment(2);
    d.CardinalSymptom = segs.join(QLatin1Char('-'));
  }
  d.SymModIdStr = moduleList(3);
  if (!d.SymModIdStr.isEmpty()) {
    QString flags;
    const int n = uniform(0, 4);
    for (int i = 0; i < n; ++i) flags += QString::number(chance(0.3) ? 1 : 0);
    d.MatchModFlagStr = flags;
    QStringList pres{QStringLiteral("0")};
    const int modules = static_cast<int>(d.SymModIdStr.count(QLatin1Char('&'))) + 1;
    const int items = chance(shape_.shortPrescriptions) ? uniform(1, modules) : modules + 1;
    for (int i = 1; i < items; ++i) pres << (chance(0.2) ? QStringLiteral("0") : QString::number(uniform(100, 999)));
    d.ModPreIdStr = pres.join(QLatin1Char('&'));
  }
  if (chance(0.3)) d.DifferentialDiagnosis = moduleList(2);
  if (chance(0.3)) d.DecWeightSymIdStr = moduleList(2);
  if (chance(0.05)) {
    d.TestResultSymIdStr = moduleList(2);
    d.MatchTestResultFlag = chance(0.5) ? QStringLiteral("1") : QStringLiteral("01");
  }
  if (chance(0.4)) {
    QStringList groups;
    const int n = uniform(1, 2);
    for (int i = 0; i < n; ++i) {
      QString g;
      const int k = uniform(1, 3);
      for (int j = 0; j < k; ++j) g += code();
      groups << g;
    }
    d.NegativeSymIdStr = groups.join(QLatin1Char('-'));
  }
  d.Tre = QStringLiteral("治法%1").arg(id);
  d.Pre = QStringLiteral("[{id:%1,name:方%1,remark:4}]").arg(id);
  d.AcuId = id;
  d.MedId1 = uniform(0, 3);
  d.ICD10 = QStringLiteral("U%1").arg(id);
  if (chance(shape_.damaged)) {
    switch (uniform(0, 7)) {
      case 0: d.SymModIdStr = damage(d.SymModIdStr); break;
      case 1: d.CardinalSymptom = damage(d.CardinalSymptom.isEmpty() ? segment(2) : d.CardinalSymptom); break;
      case 2: d.ModPreIdStr = damage(d.ModPreIdStr); break;
      case 3: d.ORValue = damage(d.ORValue); break;
      case 4: d.Weight = damage(d.Weight); break;
      case 5: d.SymIdStr = damage(d.SymIdStr); break;
      case 6: d.DifferentialDiagnosis = damage(d.DifferentialDiagnosis.isEmpty() ? segment(2) : d.DifferentialDiagnosis); break;
      default: d.DecWeightSymIdStr = damage(segment(2)); break;
    }
  }
  return d;
}

KnowledgeTable KbGenerator::table() {
  KnowledgeTable t(shape_.syndromes);
  for (int id = 1; id <= shape_.syndromes; ++id) {
    if (chance(shape_.holes)) continue;
    t.record(id) = syndrome(id);
  }
  return t;
}

QStringList KbGenerator::findings(int symptoms) {
  QStringList f;
  for (int i = 0; i < symptoms; ++i) {
    const QString c = code();
    if (!f.contains(c)) f << c;
  }
  f << (chance(0.5) ? QStringLiteral("01294") : QStringLiteral("01295"));
  f << QLatin1String(kDemographic[uniform(2, 6)]);
  return f;
}

QStringList KbGenerator::oddFindings() {
  QStringList f = findings(uniform(1, 6));
  const QStringList odd = {QString(), QStringLiteral("123456"), QStringLiteral("-11"), QStringLiteral("1"),
                           QStringLiteral("00"), QStringLiteral("11000"), f.first(), QStringLiteral("中")};
  const int n = uniform(1, 3);
  for (int i = 0; i < n; ++i) f.insert(uniform(0, static_cast<int>(f.size())), odd[uniform(0, static_cast<int>(odd.size()) - 1)]);
  return f;
}

QString KbGenerator::chiefComplaint() {
  if (chance(0.5)) return {};
  QStringList c{code()};
  if (chance(0.3)) c << code();
  return c.join(QLatin1Char(','));
}

QString KbGenerator::departments() {
  QStringList deps;
  for (int d = 1; d <= 12; ++d)
    if (chance(0.7)) deps << QString::number(d);
  return deps.join(QLatin1Char(','));
}

QList<std::pair<QString, QString>> KbGenerator::negativePairs() {
  QList<std::pair<QString, QString>> pairs;
  for (const QString& c : codes_)
    if (chance(0.4)) pairs.append({c, code()});
  return pairs;
}

}  // namespace tcm::test
