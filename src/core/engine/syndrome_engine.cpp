#include "engine/syndrome_engine.h"

#include <algorithm>
#include <optional>
#include <tuple>

#include "text/item_list.h"

namespace tcm {
namespace engine_detail {
namespace {

bool isDigit(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }
int digitValue(QChar c) { return c.unicode() - u'0'; }

// A segment: N (one digit), S (two digits), then codes of five characters.
bool parseSegment(const QString& text, CodeTable& codes, Segment* segment) {
  if (text.size() < 3 || !isDigit(text[0]) || !isDigit(text[1]) || !isDigit(text[2])) return false;
  segment->N = digitValue(text[0]);
  segment->S = digitValue(text[1]) * 10 + digitValue(text[2]);
  segment->codes.clear();
  for (qsizetype at = 3; at < text.size(); at += 5) segment->codes.push_back(codes.intern(text.mid(at, 5)));
  return true;
}

}  // namespace

CodeId CodeTable::intern(const QString& code) {
  const auto found = ids_.constFind(code);
  if (found != ids_.constEnd()) return *found;
  const CodeId id = static_cast<CodeId>(ids_.size());
  ids_.insert(code, id);
  return id;
}

int ChrToInt(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'a' && u <= u'i') return u - u'a' + 10;
  return -1;
}

QString groupMark(int g) {
  const QChar groupChar = g <= 9 ? QChar(u'0' + g) : QChar(u'a' + (g - 10));
  return QStringLiteral("-") + groupChar + QLatin1Char('1');
}

SegmentList parseSegments(const QString& text, int limit, CodeTable& codes) {
  SegmentList list;
  const QStringList parts = text.split(QLatin1Char('-'));
  const qsizetype count = std::min<qsizetype>(parts.size(), limit);
  list.segments.reserve(static_cast<size_t>(count));
  for (qsizetype i = 0; i < count; ++i) {
    Segment segment;
    if (!parseSegment(parts[i], codes, &segment)) {
      list.badSegment = static_cast<int>(i + 1);
      list.badText = parts[i];
      list.segments.clear();
      return list;
    }
    list.segments.push_back(std::move(segment));
  }
  return list;
}

ModuleList parseModuleList(const QString& text, CodeTable& codes) {
  ModuleList list;
  const QStringList modules = text.split(QLatin1Char('&'));
  for (const QString& module : modules) {
    if (module.isEmpty()) break;  // an empty module ends the list
    SegmentList segments = parseSegments(module, 10, codes);
    if (!segments.readable()) {
      list.badModule = static_cast<int>(list.modules.size() + 1);
      list.bad = std::move(segments);
      list.modules.clear();
      return list;
    }
    list.modules.push_back(std::move(segments));
  }
  return list;
}

GroupRequirement parseGroupRequirement(const QString& profile, int g, CodeTable& codes) {
  GroupRequirement group;
  // With a "-" in front every entry, the first included, starts with "-" and takes 11 characters.
  const QString text = QLatin1Char('-') + profile;
  const qsizetype start = text.indexOf(groupMark(g));
  if (start < 0) return group;
  qsizetype length = text.size() - start;
  bool cutAtNextGroup = false;
  if (g < 15) {
    const qsizetype next = text.indexOf(groupMark(g + 1));
    if (next >= 0) {
      length = next - start + 1;  // up to and including the next group's mark
      cutAtNextGroup = true;
    }
  }
  if (length < 4) return group;  // no must digit: nothing required
  const QString block = text.mid(start, length);
  const QChar must = block[3];
  if (!isDigit(must) || must == QLatin1Char('0')) return group;
  group.must = must;
  for (qsizetype at = 0; at < block.size(); at += 11) {
    const QString chunk = block.mid(at, 11);
    const QString code = chunk.mid(6, 5);
    if (code.isEmpty()) {
      // Only the lone "-" that starts the next group's first entry is no entry;
      // any other piece without a code (the rest of an over-long entry) is an
      // entry that can never be present.
      const bool nextGroupsSeparator = cutAtNextGroup && at + chunk.size() == block.size() && chunk == QLatin1String("-");
      if (!nextGroupsSeparator) group.hasUnmatchableEntry = true;
      continue;
    }
    const CodeId id = codes.intern(code);
    group.entries.push_back(id);
    if (chunk[3] == must) group.required.push_back(id);
  }
  return group;
}

bool ChkMustSym(const GroupRequirement& group, const FindingSet& findings) {
  if (group.must.isNull()) return true;
  if (group.must == QLatin1Char('9')) {
    if (group.hasUnmatchableEntry) return false;
    return std::all_of(group.entries.begin(), group.entries.end(),
                       [&findings](CodeId id) { return findings.contains(id); });
  }
  const auto present = std::count_if(group.required.begin(), group.required.end(),
                                     [&findings](CodeId id) { return findings.contains(id); });
  return present >= digitValue(group.must);
}

int GetAddSymSocre(const SegmentList& module, const FindingSet& findings) {
  int score = 0;
  for (const Segment& segment : module.segments) {
    const auto present = std::count_if(segment.codes.begin(), segment.codes.end(),
                                       [&findings](CodeId id) { return findings.contains(id); });
    if (segment.N > 0) {
      if (present < segment.N) return 0;
      score += segment.S;
    } else if (present >= 1) {
      score += segment.S;
    }
  }
  return score;
}

ModuleScore GetAddSymScore1(const ModuleList& modules, int Tag, const QString& flags, const FindingSet& findings) {
  ModuleScore result;
  int number = 0;
  for (const SegmentList& module : modules.modules) {
    ++number;
    const int s = GetAddSymSocre(module, findings);
    if (Tag == kTagSum) {
      result.score += s;
    } else if (Tag == kTagBest && s > result.score) {
      result.score = s;
      result.ModPreIdx = number;
      if (!flags.isEmpty() && number <= 15) {
        const bool hasDigit = number <= flags.size() && isDigit(flags[number - 1]);
        result.flag = hasDigit ? digitValue(flags[number - 1]) : -1;
      }
    }
  }
  return result;
}

bool MatchMustSym(const SegmentList& cardinal, const FindingSet& findings, int* DecMustRate) {
  int deduction = 0;
  bool matched = true;
  for (const Segment& segment : cardinal.segments) {
    deduction += segment.S;
    const auto present = std::count_if(segment.codes.begin(), segment.codes.end(),
                                       [&findings](CodeId id) { return findings.contains(id); });
    if (segment.N > 0 && present < segment.N) matched = false;
  }
  *DecMustRate = matched ? 0 : deduction;
  return matched;
}

bool ChkPrimarySymptom(const SegmentList& cardinal, const FindingSet& chiefItems) {
  return std::any_of(cardinal.segments.begin(), cardinal.segments.end(), [&chiefItems](const Segment& segment) {
    return segment.N > 0 && std::any_of(segment.codes.begin(), segment.codes.end(),
                                        [&chiefItems](CodeId id) { return chiefItems.contains(id); });
  });
}

bool GetModPreId(const QStringList& modPreItems, int ModPreIdx, QString* ModPreId) {
  if (ModPreIdx < 0 || ModPreIdx >= modPreItems.size()) return false;
  *ModPreId = modPreItems[ModPreIdx];
  return true;
}

GroupTable readGroupTable(const QString& ORValue, const QString& Weight) {
  GroupTable table;
  const qsizetype groups = std::min<qsizetype>(ORValue.size(), 15);
  for (qsizetype k = 1; k <= groups; ++k) {
    const QChar required = ORValue[k - 1];
    if (Weight.size() < 2 * k || !isDigit(required) || !isDigit(Weight[2 * k - 2]) || !isDigit(Weight[2 * k - 1])) {
      return GroupTable{false, {}, {}};
    }
    table.required[k] = digitValue(required);
    table.weight[k] = digitValue(Weight[2 * k - 2]) * 10 + digitValue(Weight[2 * k - 1]);
  }
  return table;
}

ProfileHit hitAt(const QString& profile, qsizetype at) {
  ProfileHit hit;
  const QChar weight = profile[at - 2];
  hit.entryWeight = isDigit(weight) ? digitValue(weight) : 0;
  hit.group = ChrToInt(profile[at - 5]);
  return hit;
}

bool locateInProfile(const QString& profile, const QString& code, ProfileHit* hit) {
  // `at` is zero-based: P − 2 and P − 5 (counting from 1) are at − 2 and at − 5.
  const qsizetype at = profile.indexOf(code);
  if (at < 5) return false;  // absent, or P < 6
  *hit = hitAt(profile, at);
  return true;
}

QString syndromeLabel(const TDisease& d) { return QStringLiteral("证型 %1（%2）").arg(d.Id).arg(d.Name); }

QString unreadableModulesMessage(const TDisease& d, const QString& column, const ModuleList& modules) {
  return QStringLiteral("%1的 %2 无法读取：第 %3 个模块第 %4 段“%5”不是“个数、两位分值、编码”的形式，辨识已中止")
      .arg(syndromeLabel(d), column)
      .arg(modules.badModule)
      .arg(modules.bad.badSegment)
      .arg(modules.bad.badText);
}

QString unreadableCardinalMessage(const TDisease& d, const SegmentList& cardinal) {
  return QStringLiteral("%1的 CardinalSymptomIdStr 无法读取：第 %2 段“%3”不是“个数、两位分值、编码”的形式，辨识已中止")
      .arg(syndromeLabel(d))
      .arg(cardinal.badSegment)
      .arg(cardinal.badText);
}

QString missingModulePrescriptionMessage(const TDisease& d, int ModPreIdx) {
  return QStringLiteral("%1的 ModPreIdStr 没有第 %2 个模块的方剂，辨识已中止").arg(syndromeLabel(d)).arg(ModPreIdx);
}

QString negativeLookupMessage(const TDisease& d, const QString& error) {
  return QStringLiteral("%1的阴性症状查询失败：%2").arg(syndromeLabel(d), error);
}

}  // namespace engine_detail

using namespace engine_detail;

// ---------------------------------------------------------------------------
// The parsed table.

struct SyndromeIndex::Impl {
  struct Syndrome {
    int record = 0;
    int dep1 = -1;
    std::vector<int> dep2;
    bool hasCardinal = false;
    SegmentList cardinal;
    ModuleList decWeight, differential, testResult, symMod;
    QStringList modPreItems;
    GroupTable groups;
    // Every code of the four module lists, sorted: a syndrome none of whose
    // module codes is among the findings scores 0 in every module.
    std::vector<CodeId> moduleCodes;
    // Requirement of each used group (required > 0); other groups never count.
    std::array<int8_t, 16> requirementSlot{};
    std::vector<GroupRequirement> requirements;
  };
  // A profile window of five ASCII digits at its first occurrence (P ≥ 6).
  struct Posting {
    uint32_t syndrome;
    int8_t entryWeight;
    int8_t group;
  };

  std::vector<Syndrome> syndromes;  // the usable records, ascending id
  CodeTable codes;
  QHash<QString, int> departments;
  // Postings grouped by window: the postings of windowKeys[i] are
  // [windowStart[i], windowStart[i + 1]), in ascending syndrome order.
  std::vector<int> windowKeys;
  std::vector<uint32_t> windowStart;
  std::vector<Posting> postings;
  // Syndromes (numbers) holding code c in a module: [moduleStart[c], moduleStart[c + 1]).
  std::vector<uint32_t> moduleStart;
  std::vector<uint32_t> moduleSyndromes;

  // The postings of a window key: an empty range when no profile holds it.
  std::pair<uint32_t, uint32_t> postingsOf(int key) const {
    const auto found = std::lower_bound(windowKeys.begin(), windowKeys.end(), key);
    if (found == windowKeys.end() || *found != key) return {0, 0};
    const size_t i = static_cast<size_t>(found - windowKeys.begin());
    return {windowStart[i], windowStart[i + 1]};
  }

  void build(const KnowledgeTable& table);
  int department(const QString& id) {
    const auto found = departments.constFind(id);
    if (found != departments.constEnd()) return *found;
    const int number = static_cast<int>(departments.size());
    departments.insert(id, number);
    return number;
  }
};

namespace {

// Key of five ASCII digits, or -1.
int windowKey(const QChar* chars) {
  int key = 0;
  for (int i = 0; i < 5; ++i) {
    const char16_t u = chars[i].unicode();
    if (u < u'0' || u > u'9') return -1;
    key = key * 10 + (u - u'0');
  }
  return key;
}

}  // namespace

void SyndromeIndex::Impl::build(const KnowledgeTable& table) {
  std::vector<std::pair<int, Posting>> keyed;
  std::vector<std::pair<int, qsizetype>> windows;  // key and position, of one profile
  syndromes.reserve(static_cast<size_t>(table.MaxId()));  // no copies while growing
  for (int k = 1; k <= table.MaxId(); ++k) {
    const TDisease& d = table.record(k);
    if (d.Id == 0 || d.SymIdStr.size() < 10) continue;  // never scored
    Syndrome s;
    s.record = k;
    s.dep1 = department(d.Dep1);
    for (const QString& dep : d.Dep2.split(QLatin1Char(','))) s.dep2.push_back(department(dep));
    s.hasCardinal = !d.CardinalSymptom.isEmpty();
    if (s.hasCardinal) s.cardinal = parseSegments(d.CardinalSymptom, 5, codes);
    s.decWeight = parseModuleList(d.DecWeightSymIdStr, codes);
    s.differential = parseModuleList(d.DifferentialDiagnosis, codes);
    s.testResult = parseModuleList(d.TestResultSymIdStr, codes);
    s.symMod = parseModuleList(d.SymModIdStr, codes);
    s.modPreItems = splitItems(d.ModPreIdStr, QLatin1Char('&'));
    s.groups = readGroupTable(d.ORValue, d.Weight);
    s.requirementSlot.fill(-1);
    if (s.groups.readable) {
      for (int g = 1; g <= 15; ++g) {
        if (s.groups.required[g] <= 0) continue;
        s.requirementSlot[g] = static_cast<int8_t>(s.requirements.size());
        s.requirements.push_back(parseGroupRequirement(d.SymIdStr, g, codes));
      }
      // Windows of the profile that a five-digit finding can find first.
      const uint32_t number = static_cast<uint32_t>(syndromes.size());
      const QChar* chars = d.SymIdStr.constData();
      windows.clear();
      for (qsizetype at = 0; at + 5 <= d.SymIdStr.size(); ++at) {
        const int key = windowKey(chars + at);
        if (key >= 0) windows.push_back({key, at});
      }
      std::sort(windows.begin(), windows.end());
      for (size_t i = 0; i < windows.size(); ++i) {
        const auto [key, at] = windows[i];
        if (i > 0 && windows[i - 1].first == key) continue;  // only the first occurrence counts
        if (at < 5) continue;  // P < 6: the code is found but counts for nothing
        const ProfileHit hit = hitAt(d.SymIdStr, at);
        keyed.push_back({key, Posting{number, static_cast<int8_t>(hit.entryWeight), static_cast<int8_t>(hit.group)}});
      }
    }
    for (const ModuleList* list : {&s.decWeight, &s.differential, &s.testResult, &s.symMod})
      for (const SegmentList& module : list->modules)
        for (const Segment& segment : module.segments)
          s.moduleCodes.insert(s.moduleCodes.end(), segment.codes.begin(), segment.codes.end());
    std::sort(s.moduleCodes.begin(), s.moduleCodes.end());
    s.moduleCodes.erase(std::unique(s.moduleCodes.begin(), s.moduleCodes.end()), s.moduleCodes.end());
    syndromes.push_back(std::move(s));
  }
  moduleStart.assign(static_cast<size_t>(codes.size()) + 1, 0);
  for (const Syndrome& s : syndromes)
    for (CodeId c : s.moduleCodes) ++moduleStart[static_cast<size_t>(c) + 1];
  for (size_t c = 1; c < moduleStart.size(); ++c) moduleStart[c] += moduleStart[c - 1];
  moduleSyndromes.resize(moduleStart.back());
  std::vector<uint32_t> fill(moduleStart.begin(), moduleStart.end() - 1);
  for (uint32_t number = 0; number < syndromes.size(); ++number)
    for (CodeId c : syndromes[number].moduleCodes) moduleSyndromes[fill[static_cast<size_t>(c)]++] = number;
  // Group the postings by window, each window's in ascending syndrome order.
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  postings.reserve(keyed.size());
  for (size_t i = 0; i < keyed.size(); ++i) {
    if (i == 0 || keyed[i - 1].first != keyed[i].first) {
      windowKeys.push_back(keyed[i].first);
      windowStart.push_back(static_cast<uint32_t>(i));
    }
    postings.push_back(keyed[i].second);
  }
  windowStart.push_back(static_cast<uint32_t>(keyed.size()));
}

SyndromeIndex::SyndromeIndex(KnowledgeTablePtr table)
    : keep_(table ? std::move(table) : std::make_shared<KnowledgeTable>()),
      table_(keep_.get()),
      impl_(std::make_unique<Impl>()) {
  impl_->build(*table_);
}

SyndromeIndex::SyndromeIndex(const KnowledgeTable& table) : table_(&table), impl_(std::make_unique<Impl>()) {
  impl_->build(*table_);
}

SyndromeIndex::~SyndromeIndex() = default;

std::shared_ptr<const SyndromeIndex> SyndromeIndexCache::indexFor(const KnowledgeTablePtr& table) {
  if (!index_ || table != table_) {
    table_ = table;
    index_ = std::make_shared<const SyndromeIndex>(table);
  }
  return index_;
}

// ---------------------------------------------------------------------------
// One run.

namespace {

using Syndrome = SyndromeIndex::Impl::Syndrome;
using Posting = SyndromeIndex::Impl::Posting;

// A distinct finding text of the caller, with how often it occurs.
struct CallerFinding {
  QString code;
  int count = 0;
  bool inChiefComplaint = false;
  int windowKey = -1;  // five ASCII digits: found through the window postings
  uint32_t cursor = 0, end = 0;  // its postings not yet passed
};

// A scored syndrome waiting for its rank.
struct Ranked {
  int SymWeight;
  int SymCount;
  int order;  // scoring order (ascending id)
  int record;
  int MatchModFlag;
  int FromType;
  QString ModPreId;
};

class Run {
 public:
  Run(const SyndromeIndex& index, QStringList& LstSymId, const QString& ChiefComplainStr,
      NegativeFindingSource& negatives)
      : index_(index),
        impl_(index.impl()),
        findings_(LstSymId),
        callerCount_(LstSymId.size()),
        chief_(ChiefComplainStr),
        negatives_(negatives),
        findingSet_(impl_.codes.size()),
        chiefItems_(impl_.codes.size()) {}

  EngineRun go(int OutCountLmt, int OutPreLmt, int SortType, const QString& DepStr) {
    prepare(DepStr);
    EngineRun run;
    for (const Syndrome& s : impl_.syndromes) {
      if (!score(s, OutPreLmt, &run.error)) break;
    }
    trimFindings();
    const bool byCount = SortType != kSortByScore;
    auto before = [byCount](const Ranked& a, const Ranked& b) {
      if (a.SymWeight != b.SymWeight) return a.SymWeight > b.SymWeight;
      if (!byCount) return a.order < b.order;
      if (a.SymCount != b.SymCount) return a.SymCount > b.SymCount;
      return a.order > b.order;  // complete ties: the later (larger id) first
    };
    // After a failure the list keeps everything ranked so far, uncut.
    const size_t keep = run.ok() ? std::min(ranked_.size(), static_cast<size_t>(std::max(OutCountLmt, 0)))
                                 : ranked_.size();
    std::partial_sort(ranked_.begin(), ranked_.begin() + static_cast<std::ptrdiff_t>(keep), ranked_.end(), before);
    run.DiseaseLst.reserve(static_cast<qsizetype>(keep));
    for (size_t i = 0; i < keep; ++i) run.DiseaseLst.append(result(ranked_[i]));
    return run;
  }

 private:
  void prepare(const QString& DepStr) {
    admissible_.assign(static_cast<size_t>(impl_.departments.size()), 0);
    for (const QString& dep : splitItems(DepStr, QLatin1Char(','))) {
      const int number = impl_.departments.value(dep, -1);
      if (number >= 0) admissible_[static_cast<size_t>(number)] = 1;
    }
    for (const QString& item : splitItems(chief_, QLatin1Char(','))) chiefItems_.add(impl_.codes.find(item));
    moduleTouched_.assign(impl_.syndromes.size(), 0);
    QHash<QString, int> slot;
    for (const QString& code : findings_) {
      const CodeId id = impl_.codes.find(code);
      findingSet_.add(id);
      if (id >= 0 && !slot.contains(code)) {
        for (uint32_t at = impl_.moduleStart[static_cast<size_t>(id)]; at < impl_.moduleStart[static_cast<size_t>(id) + 1]; ++at)
          moduleTouched_[impl_.moduleSyndromes[at]] = 1;
      }
      const auto found = slot.constFind(code);
      if (found != slot.constEnd()) {
        ++callerFindings_[static_cast<size_t>(*found)].count;
        continue;
      }
      slot.insert(code, static_cast<int>(callerFindings_.size()));
      CallerFinding f;
      f.code = code;
      f.count = 1;
      f.inChiefComplaint = chief_.contains(code);
      if (code.size() == 5) f.windowKey = windowKey(code.constData());
      if (f.windowKey >= 0) {
        std::tie(f.cursor, f.end) = impl_.postingsOf(f.windowKey);
      }
      callerFindings_.push_back(std::move(f));
    }
  }

  // Removes the negative findings added for the previous syndrome.
  void trimFindings() {
    for (CodeId id : negativeIds_) findingSet_.remove(id);
    negativeIds_.clear();
    while (findings_.size() > callerCount_) findings_.removeLast();
  }

  bool admissible(const Syndrome& s) const {
    if (admissible_[static_cast<size_t>(s.dep1)]) return true;
    return std::any_of(s.dep2.begin(), s.dep2.end(), [this](int d) { return admissible_[static_cast<size_t>(d)] != 0; });
  }

  // Scores one syndrome; false (with `error`) when the run must stop.
  bool score(const Syndrome& s, int OutPreLmt, QString* error) {
    const uint32_t number = static_cast<uint32_t>(&s - impl_.syndromes.data());
    const TDisease& d = index_.table().record(s.record);
    if (!admissible(s)) return true;
    trimFindings();
    if (!chief_.isEmpty()) {
      if (!s.hasCardinal) return true;
      if (!s.cardinal.readable()) return fail(unreadableCardinalMessage(d, s.cardinal), error);
      if (!ChkPrimarySymptom(s.cardinal, chiefItems_)) return true;
    }
    if (!d.NegativeSymIdStr.isEmpty()) {
      QStringList implied;
      QString lookupError;
      if (!negatives_.GetNegativeSymptomId(d.NegativeSymIdStr, findings_, &implied, &lookupError)) {
        return fail(negativeLookupMessage(d, lookupError), error);
      }
      for (const QString& code : implied) {
        findings_.append(code);
        const CodeId id = impl_.codes.find(code);
        findingSet_.add(id);
        negativeIds_.push_back(id);
      }
    }
    if (!s.decWeight.readable()) return fail(unreadableModulesMessage(d, QStringLiteral("DecWeightSymIdStr"), s.decWeight), error);
    if (!s.differential.readable()) {
      return fail(unreadableModulesMessage(d, QStringLiteral("DifferentialDiagnosisIdStr"), s.differential), error);
    }
    if (!s.testResult.readable()) {
      return fail(unreadableModulesMessage(d, QStringLiteral("TestResultSymIdStr"), s.testResult), error);
    }
    if (!s.symMod.readable()) return fail(unreadableModulesMessage(d, QStringLiteral("SymModIdStr"), s.symMod), error);
    // With no module code among the findings every module scores 0: the scores below are those of that case.
    int DecWeight = 0;
    int DecRate = 0;
    ModuleScore testResult, symMod;
    if (modulesTouched(s, number)) {
      DecWeight = GetAddSymScore1(s.decWeight, kTagSum, QString(), findingSet_).score;
      DecRate = GetAddSymScore1(s.differential, kTagBest, QString(), findingSet_).score;
      testResult = GetAddSymScore1(s.testResult, kTagBest, d.MatchTestResultFlag, findingSet_);
      symMod = GetAddSymScore1(s.symMod, kTagBest, d.MatchModFlagStr, findingSet_);
    }

    const BaseScore base = baseScore(s, d, number);
    int SymWeight = base.SymWeight + symMod.score + testResult.score - DecRate - DecWeight;
    if (SymWeight < OutPreLmt) return true;
    if (s.hasCardinal) {
      if (!s.cardinal.readable()) return fail(unreadableCardinalMessage(d, s.cardinal), error);
      int DecMustRate = 0;
      if (!MatchMustSym(s.cardinal, findingSet_, &DecMustRate)) {
        SymWeight -= DecMustRate;
        if (SymWeight < OutPreLmt) return true;
      }
    }
    int MatchModFlag = symMod.flag;
    if (testResult.flag == 1) MatchModFlag = 1;
    if (SymWeight <= 0) return true;
    if (MatchModFlag == 1) SymWeight = 150;
    Ranked r{SymWeight, base.SymCount, static_cast<int>(ranked_.size()), s.record, MatchModFlag, 1, QStringLiteral("0")};
    if (symMod.ModPreIdx > 0) {
      if (!GetModPreId(s.modPreItems, symMod.ModPreIdx, &r.ModPreId)) {
        return fail(missingModulePrescriptionMessage(d, symMod.ModPreIdx), error);
      }
      if (r.ModPreId != QLatin1String("0")) r.FromType = 3;
    }
    ranked_.push_back(std::move(r));
    return true;
  }

  // Some code of the syndrome's modules is among the findings (the caller's or its negative ones).
  bool modulesTouched(const Syndrome& s, uint32_t number) const {
    if (moduleTouched_[number]) return true;
    return std::any_of(negativeIds_.begin(), negativeIds_.end(), [&s](CodeId id) {
      return id >= 0 && std::binary_search(s.moduleCodes.begin(), s.moduleCodes.end(), id);
    });
  }

  BaseScore baseScore(const Syndrome& s, const TDisease& d, uint32_t number) {
    hits_.clear();
    for (CallerFinding& f : callerFindings_) {
      if (f.windowKey >= 0) {
        // Postings of this window run in ascending syndrome order.
        while (f.cursor < f.end && impl_.postings[f.cursor].syndrome < number) ++f.cursor;
        if (f.cursor < f.end && impl_.postings[f.cursor].syndrome == number) {
          const Posting& p = impl_.postings[f.cursor];
          for (int i = 0; i < f.count; ++i) hits_.push_back(ProfileHit{p.entryWeight, p.group, f.inChiefComplaint});
        }
        continue;
      }
      if (!s.groups.readable) continue;
      ProfileHit hit;
      if (!locateInProfile(d.SymIdStr, f.code, &hit)) continue;
      hit.inChiefComplaint = f.inChiefComplaint;
      for (int i = 0; i < f.count; ++i) hits_.push_back(hit);
    }
    if (s.groups.readable) {
      for (qsizetype i = callerCount_; i < findings_.size(); ++i) {
        ProfileHit hit;
        if (!locateInProfile(d.SymIdStr, findings_[i], &hit)) continue;
        hit.inChiefComplaint = chief_.contains(findings_[i]);
        hits_.push_back(hit);
      }
    }
    std::array<int8_t, 16> met;
    met.fill(-1);
    auto requirementMet = [&](int g) {
      if (met[g] < 0) {
        const int slot = s.requirementSlot[g];
        met[g] = slot < 0 || ChkMustSym(s.requirements[static_cast<size_t>(slot)], findingSet_) ? 1 : 0;
      }
      return met[g] == 1;
    };
    return GetSymRateAndCount(s.groups, hits_, d.MatchSymIdFlag, requirementMet);
  }

  TIll result(const Ranked& r) const {
    const TDisease& d = index_.table().record(r.record);
    TIll ill;
    ill.Id = d.Id;
    ill.Name = d.Name;
    ill.Medid1 = d.MedId1;
    ill.HerId1 = d.HerId1;
    ill.SymWeight = r.SymWeight;
    ill.SymCount = r.SymCount;
    ill.ICD10 = d.ICD10;
    ill.InfectionFlag = d.InfectionFlag;
    ill.MatchModFlag = r.MatchModFlag;
    ill.SurgeryTag = d.SurgeryTag;
    ill.ConditionIdStr = d.ConditionIdStr;
    ill.FromType = r.FromType;
    ill.Tre = d.Tre;
    ill.Pre = d.Pre;
    ill.ModPreId = r.ModPreId;
    ill.AcuId = d.AcuId;
    ill.notRecommendFood = d.notRecommendFood;
    ill.recommendFood = d.recommendFood;
    return ill;
  }

  static bool fail(const QString& message, QString* error) {
    *error = message;
    return false;
  }

  const SyndromeIndex& index_;
  const SyndromeIndex::Impl& impl_;
  QStringList& findings_;
  const qsizetype callerCount_;
  const QString& chief_;
  NegativeFindingSource& negatives_;
  FindingSet findingSet_;
  FindingSet chiefItems_;
  std::vector<char> admissible_;
  std::vector<char> moduleTouched_;  // by syndrome number: a caller's finding is among its module codes
  std::vector<CallerFinding> callerFindings_;
  std::vector<CodeId> negativeIds_;
  std::vector<ProfileHit> hits_;
  std::vector<Ranked> ranked_;
};

}  // namespace

EngineRun GetIllBySymLst(const SyndromeIndex& index, QStringList& LstSymId, int OutCountLmt, int OutPreLmt,
                         int SortType, const QString& DepStr, QString& HintSym, const QString& ChiefComplainStr,
                         NegativeFindingSource& negatives) {
  HintSym.clear();
  Run run(index, LstSymId, ChiefComplainStr, negatives);
  return run.go(OutCountLmt, OutPreLmt, SortType, DepStr);
}

EngineRun GetIllBySymLst(const KnowledgeTable& table, QStringList& LstSymId, int OutCountLmt, int OutPreLmt,
                         int SortType, const QString& DepStr, QString& HintSym, const QString& ChiefComplainStr,
                         NegativeFindingSource& negatives) {
  const SyndromeIndex index(table);
  return GetIllBySymLst(index, LstSymId, OutCountLmt, OutPreLmt, SortType, DepStr, HintSym, ChiefComplainStr,
                        negatives);
}

QString resultLine(const TIll& ill) {
  return QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7")
      .arg(ill.Id)
      .arg(ill.Name)
      .arg(ill.SymWeight)
      .arg(ill.SymCount)
      .arg(ill.MatchModFlag)
      .arg(ill.FromType)
      .arg(ill.ModPreId);
}

}  // namespace tcm
