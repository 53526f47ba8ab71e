#include "entry/vocabulary_search.h"

#include <QStringMatcher>
#include <algorithm>

#include "crypto/gbk.h"

namespace tcm {

QString searchKey(const QString& boxText, int* gbkLength) {
  // No vocabulary entry holds a character GBK lacks: such a text searches nothing.
  QByteArray bytes = toGbk(boxText.trimmed().toUpper()).bytes;
  if (bytes.size() > 255) {
    bytes.truncate(255);
    // Never cut a two-byte character in half.
    if (!fromGbk(bytes).isEmpty() && toGbk(fromGbk(bytes)).bytes.size() != bytes.size()) bytes.chop(1);
  }
  *gbkLength = static_cast<int>(bytes.size());
  return fromGbk(bytes);
}

namespace {

constexpr QChar kUnitSeparator(0x1F);
constexpr QChar kRecordSeparator(0x1E);

SearchHit hitOf(const TAliease& a) {
  SearchHit hit;
  hit.name = a.name;
  hit.entry.id = a.id;
  hit.entry.classId = a.classId;
  hit.entry.mutex = a.mutex;
  return hit;
}

}  // namespace

VocabularyIndex::VocabularyIndex(const AliasList& vocabulary) : data_(vocabulary.constData()), size_(vocabulary.size()) {
  qsizetype length = 0;
  for (const AliasItem& item : vocabulary) length += item.entry.pinyin.size() + item.entry.name.size() + 2;
  text_.reserve(length);
  starts_.reserve(static_cast<size_t>(vocabulary.size()) + 1);
  counts_.assign(0x10000, 0);
  for (const AliasItem& item : vocabulary) {
    starts_.push_back(text_.size());
    text_ += item.entry.pinyin;
    text_ += kUnitSeparator;
    text_ += item.entry.name;
    text_ += kRecordSeparator;
  }
  starts_.push_back(text_.size());
  for (QChar c : std::as_const(text_)) ++counts_[c.unicode()];
}

std::optional<QList<qsizetype>> VocabularyIndex::find(const AliasList& vocabulary, const QString& key,
                                                      const QString& category, qsizetype limit) const {
  if (key.contains(kUnitSeparator) || key.contains(kRecordSeparator)) return std::nullopt;
  QList<qsizetype> found;
  const bool anyCategory = category == QLatin1String("0");
  const QStringView text(text_);
  // The key's rarest character in the text is looked for with the vectorised
  // character search, and the whole key compared only where it stands: a key
  // that matches nothing costs one pass over memory, not a step per character.
  qsizetype anchor = 0;
  for (qsizetype i = 1; i < key.size(); ++i)
    if (counts_[key[i].unicode()] < counts_[key[anchor].unicode()]) anchor = i;
  const QChar anchorChar = key[anchor];
  qsizetype from = 0;
  auto entry = starts_.begin();
  while (found.size() < limit) {
    qsizetype at = -1;
    for (qsizetype probe = from + anchor; (probe = text.indexOf(anchorChar, probe)) >= 0; ++probe) {
      if (text.sliced(probe - anchor).startsWith(key)) {
        at = probe - anchor;
        break;
      }
    }
    if (at < 0) break;
    // The entry holding the match, then on to the start of the next one.
    entry = std::upper_bound(entry, starts_.end(), at) - 1;
    const qsizetype k = entry - starts_.begin();
    if (anyCategory || vocabulary[k].entry.classId == category) found << k;
    from = *(entry + 1);
  }
  return found;
}

SearchOutcome searchVocabulary(const AliasList& vocabulary, const QString& boxText, const QString& category,
                               bool resultListEmpty, const VocabularyIndex* index) {
  SearchOutcome out;
  int length = 0;
  const QString key = searchKey(boxText, &length);
  if (key.isEmpty()) return out;
  if (length > 2 && resultListEmpty) {
    out.action = SearchAction::KeepList;
    return out;
  }
  out.action = SearchAction::Show;
  if (index && index->isFor(vocabulary)) {
    if (const auto found = index->find(vocabulary, key, category, kMaxSearchResults)) {
      for (qsizetype k : *found) out.hits << hitOf(vocabulary[k].entry);
      return out;
    }
  }
  const bool anyCategory = category == QLatin1String("0");
  const QStringMatcher matcher(key);
  for (const AliasItem& item : vocabulary) {
    const TAliease& a = item.entry;
    if (!anyCategory && a.classId != category) continue;
    if (matcher.indexIn(a.pinyin) < 0 && matcher.indexIn(a.name) < 0) continue;
    out.hits << hitOf(a);
    if (out.hits.size() >= kMaxSearchResults) break;
  }
  return out;
}

SearchOutcome VocabularySearch::search(const AliasList& vocabulary, const QString& boxText, const QString& category) {
  int length = 0;
  const QString key = searchKey(boxText, &length);
  const bool extendsMiss = !lastKeyWithoutHits_.isEmpty() && category == lastCategory_ &&
                           key.startsWith(lastKeyWithoutHits_);
  SearchOutcome out = searchVocabulary(vocabulary, boxText, category, extendsMiss, &indexFor(vocabulary));
  if (out.action == SearchAction::Show) {
    lastKeyWithoutHits_ = out.hits.isEmpty() ? key : QString();
    lastCategory_ = category;
  } else if (out.action == SearchAction::HidePopup) {
    lastKeyWithoutHits_.clear();
  }
  return out;
}

const VocabularyIndex& VocabularySearch::indexFor(const AliasList& vocabulary) {
  if (!index_ || !index_->isFor(vocabulary)) index_.emplace(vocabulary);
  return *index_;
}

}  // namespace tcm
