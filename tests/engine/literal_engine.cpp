#include "literal_engine.h"

#include "text/item_list.h"

namespace tcm::test {
namespace {

// Ends the run, as an unreadable knowledge text or a failed lookup does.
struct RunStopped {
  QString message;
};

// An unreadable N or S while reading a segment.
struct UnreadableSegment {};

bool digit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

int chrToInt(QChar c) {
  if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) return c.unicode() - '0';
  if (c >= QLatin1Char('a') && c <= QLatin1Char('i')) return c.unicode() - 'a' + 10;
  throw UnreadableSegment{};  // not a group character: handled by the caller like a read failure
}

struct Seg {
  int N = 0;
  int S = 0;
  QStringList codes;
};

Seg readSegment(const QString& text) {
  if (text.size() < 3 || !digit(text[0]) || !digit(text[1]) || !digit(text[2])) throw UnreadableSegment{};
  Seg seg;
  seg.N = text.mid(0, 1).toInt();
  seg.S = text.mid(1, 2).toInt();
  for (int at = 3; at < text.size(); at += 5) seg.codes << text.mid(at, 5);
  return seg;
}

// Reads up to `limit` segments; the number (from 1) and text of an unreadable one go to `bad`.
QList<Seg> readSegments(const QString& text, int limit, int* badNumber, QString* badText) {
  QList<Seg> segs;
  const QStringList parts = text.split(QLatin1Char('-'));
  for (int i = 0; i < parts.size() && i < limit; ++i) {
    try {
      segs << readSegment(parts[i]);
    } catch (const UnreadableSegment&) {
      *badNumber = i + 1;
      *badText = parts[i];
      throw;
    }
  }
  return segs;
}

int countAmong(const QStringList& codes, const QStringList& findings) {
  int n = 0;
  for (const QString& c : codes)
    if (findings.contains(c)) ++n;
  return n;
}

int getAddSymSocre(const QString& module, const QStringList& findings, int* badNumber, QString* badText) {
  const QList<Seg> segs = readSegments(module, 10, badNumber, badText);
  QList<int> counts;
  for (const Seg& s : segs) counts << countAmong(s.codes, findings);
  int score = 0;
  for (int i = 0; i < segs.size(); ++i) {
    if (segs[i].N > 0 && counts[i] < segs[i].N) return 0;
    if (segs[i].N > 0) score += segs[i].S;
    if (segs[i].N == 0 && counts[i] >= 1) score += segs[i].S;
  }
  return score;
}

int getAddSymScore1(const TDisease& d, const QString& column, const QString& list, int tag, const QString& flags,
                    const QStringList& findings, int* flag, int* modPreIdx) {
  *flag = -1;
  *modPreIdx = 0;
  int result = 0;
  int number = 0;
  for (const QString& module : list.split(QLatin1Char('&'))) {
    if (module.isEmpty()) break;
    ++number;
    int badSegment = 0;
    QString badText;
    int s = 0;
    try {
      s = getAddSymSocre(module, findings, &badSegment, &badText);
    } catch (const UnreadableSegment&) {
      engine_detail::ModuleList bad;
      bad.badModule = number;
      bad.bad.badSegment = badSegment;
      bad.bad.badText = badText;
      throw RunStopped{engine_detail::unreadableModulesMessage(d, column, bad)};
    }
    if (tag == 1) result += s;
    if (tag == 2 && s > result) {
      result = s;
      *modPreIdx = number;
      if (!flags.isEmpty() && number <= 15) {
        const QString c = flags.mid(number - 1, 1);
        *flag = (c.size() == 1 && digit(c[0])) ? c.toInt() : -1;
      }
    }
  }
  return result;
}

QList<Seg> readCardinal(const TDisease& d) {
  engine_detail::SegmentList bad;
  try {
    return readSegments(d.CardinalSymptom, 5, &bad.badSegment, &bad.badText);
  } catch (const UnreadableSegment&) {
    throw RunStopped{engine_detail::unreadableCardinalMessage(d, bad)};
  }
}

bool matchMustSym(const TDisease& d, const QStringList& findings, int* decMustRate) {
  const QList<Seg> segs = readCardinal(d);
  int sum = 0;
  bool failed = false;
  for (const Seg& s : segs) {
    sum += s.S;
    if (s.N > 0 && countAmong(s.codes, findings) < s.N) failed = true;
  }
  *decMustRate = failed ? sum : 0;
  return !failed;
}

bool chkPrimarySymptom(const TDisease& d, const QString& chief) {
  const QStringList items = splitItems(chief, QLatin1Char(','));
  for (const Seg& s : readCardinal(d))
    if (s.N > 0 && countAmong(s.codes, items) > 0) return true;
  return false;
}

QString groupMarkOf(int g) {
  static const char* const arrAa[16] = {"",    "-11", "-21", "-31", "-41", "-51", "-61", "-71",
                                        "-81", "-91", "-a1", "-b1", "-c1", "-d1", "-e1", "-f1"};
  return QString::fromLatin1(arrAa[g]);
}

// True when the group's requirement failed.
bool mustFailed(const QString& profile, int g, const QStringList& findings) {
  const QString text = QStringLiteral("-") + profile;
  const int p = static_cast<int>(text.indexOf(groupMarkOf(g)));
  if (p < 0) return false;
  QString block;
  const int q = g < 15 ? static_cast<int>(text.indexOf(groupMarkOf(g + 1))) : -1;
  if (q >= 0)
    block = q - p + 1 > 0 ? text.mid(p, q - p + 1) : QString();
  else
    block = text.mid(p);
  if (block.size() < 4) return false;
  const QChar m = block[3];
  if (!digit(m) || m == QLatin1Char('0')) return false;
  int present = 0, requiredPresent = 0, walked = 0;
  for (int at = 0; at < block.size(); at += 11) {
    const QString chunk = block.mid(at, 11);
    const QString code = chunk.mid(6, 5);
    // The lone separator of the next group is no entry; any other piece is walked.
    const bool separator = q >= 0 && at + chunk.size() == block.size() && chunk == QLatin1String("-");
    if (!code.isEmpty() || !separator) ++walked;
    if (!code.isEmpty() && findings.contains(code)) {
      ++present;
      if (chunk[3] == m) ++requiredPresent;
    }
    if (m != QLatin1Char('9') && requiredPresent >= m.unicode() - '0') return false;
  }
  if (m == QLatin1Char('9')) return walked != present;
  return true;
}

void getSymRateAndCount(const TDisease& d, const QStringList& findings, const QString& chief, int* score,
                        int* count) {
  *score = 0;
  *count = 0;
  int required[16] = {}, weight[16] = {}, matched[16] = {};
  for (int k = 1; k <= d.ORValue.size() && k <= 15; ++k) {
    const QString r = d.ORValue.mid(k - 1, 1);
    const QString w = d.Weight.mid(2 * k - 2, 2);
    if (!digit(r[0]) || w.size() < 2 || !digit(w[0]) || !digit(w[1])) return;
    required[k] = r.toInt();
    weight[k] = w.toInt();
  }
  int bonus = 0;
  for (const QString& code : findings) {
    const int P = static_cast<int>(d.SymIdStr.indexOf(code)) + 1;
    if (P == 0 || P < 6) continue;
    const QChar w = d.SymIdStr[P - 3];
    bonus += digit(w) ? w.unicode() - '0' : 0;
    int g = 0;
    try {
      g = chrToInt(d.SymIdStr[P - 6]);
    } catch (const UnreadableSegment&) {
      continue;
    }
    if (g < 1 || g > 15) continue;
    matched[g] += 1;
    if (matched[g] >= 0 && mustFailed(d.SymIdStr, g, findings)) matched[g] = -15;
    if (chief.contains(code) && required[g] > 0) {
      const int q = weight[g] / required[g];
      if (q >= 8) bonus += qRound(q * 0.2);
    }
  }
  int counted = 0, full = 0;
  for (int g = 1; g <= 15; ++g) {
    if (required[g] > 0 && matched[g] >= 0) {
      ++counted;
      *count += matched[g];
      if (matched[g] >= required[g]) {
        *score += weight[g];
        ++full;
      } else {
        *score += weight[g] / required[g] * matched[g];
      }
    }
  }
  *score += bonus;
  if (counted > 4 && counted == full) {
    *score += 50;
    if (d.MatchSymIdFlag == 1) *score = 150;
  }
}

}  // namespace

EngineRun literalGetIllBySymLst(const KnowledgeTable& table, QStringList& LstSymId, int OutCountLmt, int OutPreLmt,
                                int SortType, const QString& DepStr, QString& HintSym, const QString& ChiefComplainStr,
                                NegativeFindingSource& negatives) {
  EngineRun run;
  QList<TIll>& list = run.DiseaseLst;
  HintSym.clear();
  const QStringList depLst = splitItems(DepStr, QLatin1Char(','));
  const qsizetype callerCount = LstSymId.size();
  try {
    for (int k = 1; k <= table.MaxId(); ++k) {
      const TDisease& d = table.record(k);
      if (d.Id == 0 || d.SymIdStr.size() < 10) continue;
      bool admissible = depLst.contains(d.Dep1);
      for (const QString& dep : d.Dep2.split(QLatin1Char(',')))
        if (depLst.contains(dep)) admissible = true;
      if (!admissible) continue;
      while (LstSymId.size() > callerCount) LstSymId.removeLast();
      if (!ChiefComplainStr.isEmpty()) {
        if (d.CardinalSymptom.isEmpty() || !chkPrimarySymptom(d, ChiefComplainStr)) continue;
      }
      if (!d.NegativeSymIdStr.isEmpty()) {
        QStringList implied;
        QString error;
        if (!negatives.GetNegativeSymptomId(d.NegativeSymIdStr, LstSymId, &implied, &error))
          throw RunStopped{engine_detail::negativeLookupMessage(d, error)};
        LstSymId << implied;
      }
      int flag = -1, modPreIdx = 0, MatchTestFlag = -1, MatchModFlag = -1;
      const int DecWeight = getAddSymScore1(d, QStringLiteral("DecWeightSymIdStr"), d.DecWeightSymIdStr, 1, QString(),
                                            LstSymId, &flag, &modPreIdx);
      const int DecRate = getAddSymScore1(d, QStringLiteral("DifferentialDiagnosisIdStr"), d.DifferentialDiagnosis, 2,
                                          QString(), LstSymId, &flag, &modPreIdx);
      const int TestResultModScore = getAddSymScore1(d, QStringLiteral("TestResultSymIdStr"), d.TestResultSymIdStr, 2,
                                                     d.MatchTestResultFlag, LstSymId, &MatchTestFlag, &modPreIdx);
      const int SymModScore = getAddSymScore1(d, QStringLiteral("SymModIdStr"), d.SymModIdStr, 2, d.MatchModFlagStr,
                                              LstSymId, &MatchModFlag, &modPreIdx);
      int SymWeight = 0, SymCount = 0;
      getSymRateAndCount(d, LstSymId, ChiefComplainStr, &SymWeight, &SymCount);
      SymWeight = SymWeight + SymModScore + TestResultModScore - DecRate - DecWeight;
      if (SymWeight < OutPreLmt) continue;
      int DecMustRate = 0;
      if (!d.CardinalSymptom.isEmpty() && !matchMustSym(d, LstSymId, &DecMustRate)) {
        SymWeight -= DecMustRate;
        if (SymWeight < OutPreLmt) continue;
      }
      if (MatchTestFlag == 1) MatchModFlag = 1;
      if (SymWeight <= 0) continue;
      if (MatchModFlag == 1) SymWeight = 150;
      TIll ill;
      ill.Id = d.Id;
      ill.Name = d.Name;
      ill.Medid1 = d.MedId1;
      ill.HerId1 = d.HerId1;
      ill.SymWeight = SymWeight;
      ill.SymCount = SymCount;
      ill.ICD10 = d.ICD10;
      ill.InfectionFlag = d.InfectionFlag;
      ill.MatchModFlag = MatchModFlag;
      ill.SurgeryTag = d.SurgeryTag;
      ill.ConditionIdStr = d.ConditionIdStr;
      ill.FromType = 1;
      ill.Tre = d.Tre;
      ill.Pre = d.Pre;
      ill.AcuId = d.AcuId;
      ill.notRecommendFood = d.notRecommendFood;
      ill.recommendFood = d.recommendFood;
      if (modPreIdx > 0) {
        const QStringList items = splitItems(d.ModPreIdStr, QLatin1Char('&'));
        if (modPreIdx >= items.size())
          throw RunStopped{engine_detail::missingModulePrescriptionMessage(d, modPreIdx)};
        ill.ModPreId = items[modPreIdx];
        if (ill.ModPreId != QLatin1String("0")) ill.FromType = 3;
      }
      int pos = 0;
      for (const TIll& other : list) {
        if (SortType != 0) {
          if (other.SymWeight > ill.SymWeight || (other.SymWeight == ill.SymWeight && other.SymCount > ill.SymCount))
            ++pos;
        } else if (other.SymWeight >= ill.SymWeight) {
          ++pos;
        }
      }
      list.insert(pos, ill);
    }
    while (list.size() > OutCountLmt && !list.isEmpty()) list.removeLast();
  } catch (const RunStopped& stopped) {
    run.error = stopped.message;
  }
  while (LstSymId.size() > callerCount) LstSymId.removeLast();
  return run;
}

}  // namespace tcm::test
